#include "batch_check.h"

#include <unordered_map>

namespace norvane::batch {

using Kind = RenameFailure::Kind;

bool holdsSeparator(std::string_view name) {
    return name.find(platform::directorySeparator()) != std::string_view::npos || name.find('/') != std::string_view::npos;
}

namespace {

std::size_t lastSeparator(std::string_view name) {
    return name.find_last_of(std::string{platform::directorySeparator(), '/'});
}

bool present(const platform::PathProbe& probe) {
    return !probe.error && (probe.kind == platform::PathKind::File || probe.kind == platform::PathKind::Other);
}

// A system error met while looking at a destination, for what it stands in the way of.
Kind kindOfObstacle(const platform::SystemError& error) {
    switch (platform::errorKind(error)) {
    case platform::ErrorKind::NameTooLong: return Kind::NameTooLong;
    case platform::ErrorKind::NoPermission: return Kind::NoPermission;
    case platform::ErrorKind::TooManyLinks: return Kind::TooManyLinks;
    case platform::ErrorKind::NotAFolder:
    case platform::ErrorKind::NotFound: return Kind::FolderMissing;
    case platform::ErrorKind::BadName: return Kind::InvalidName;
    case platform::ErrorKind::Exists:
    case platform::ErrorKind::Other: break;
    }
    return Kind::CannotCheck;
}

class Replay {
public:
    Replay(const std::string& folder, const std::vector<Step>& steps, platform::FileSystem& fileSystem, OnProblem onProblem)
        : folder_(folder), steps_(steps), fileSystem_(fileSystem), onProblem_(onProblem) {}

    Checked run() {
        listed_ = fileSystem_.probeFolder(folder_);
        if (!listed_.isFolder) {
            // The folder itself gone: every file with it.
            for (std::size_t i = 0; i < steps_.size() && !stopped(); ++i)
                result_.problems.push_back(StepProblem{i, Kind::SourceGone, listed_.error});
            return std::move(result_);
        }
        probeInFolder();

        // Every step frees one name and claims one; sized once, the table never rehashes.
        earlier_.reserve(2 * steps_.size());
        for (std::size_t i = 0; i < steps_.size() && !stopped(); ++i) {
            if (auto problem = checkStep(i)) {
                // Its file stays where it is, under the name it has now.
                if (onProblem_ == OnProblem::LeaveFileAndGoOn) stuck_.insert_or_assign(placeOf(steps_[i].from).key, i);
                result_.problems.push_back(std::move(*problem));
            }
        }
        return std::move(result_);
    }

private:
    // What an earlier step did to a place: claimed it as its destination, or
    // freed it by moving away.
    struct Earlier {
        std::size_t step;
        bool claimed;
    };

    // Where a name lies as the system resolves it: the folder that holds it,
    // by identity, and the name in that folder's own comparison.
    struct Place {
        std::string key;
        bool plain = true; // a bare name in the listed folder
        std::optional<StepProblem> problem;
    };

    bool stopped() const { return onProblem_ == OnProblem::StopBatch && !result_.problems.empty(); }

    // The names in the folder itself, sources and destinations, are looked at
    // all at once: the platform may answer from one read of the folder
    // instead of asking the system about each name.
    void probeInFolder() {
        std::vector<std::string_view> names;
        names.reserve(2 * steps_.size());
        for (const Step& step : steps_)
            if (!holdsSeparator(step.from)) names.push_back(step.from);
        for (const Step& step : steps_)
            if (!holdsSeparator(step.to)) names.push_back(step.to);
        probes_ = fileSystem_.probeNames(folder_, names);
        std::size_t next = 0;
        sourceProbe_.resize(steps_.size());
        destinationProbe_.resize(steps_.size());
        for (std::size_t i = 0; i < steps_.size(); ++i)
            sourceProbe_[i] = holdsSeparator(steps_[i].from) ? none : next++;
        for (std::size_t i = 0; i < steps_.size(); ++i)
            destinationProbe_[i] = holdsSeparator(steps_[i].to) ? none : next++;
        result_.sources.resize(steps_.size());
    }

    platform::PathProbe probed(const std::vector<std::size_t>& index, std::size_t i, std::string_view name) const {
        return index[i] != none ? probes_[index[i]] : fileSystem_.probe(JoinPath(folder_, name));
    }

    std::optional<StepProblem> checkStep(std::size_t i) {
        const Step& step = steps_[i];
        if (auto problem = checkSourceThere(i)) return problem;
        if (auto problem = checkNotEmpty(i)) return problem;
        if (auto problem = checkBytes(i)) return problem;
        Place place = placeOf(step.to);
        if (place.problem) {
            place.problem->step = i;
            return place.problem;
        }
        const auto earlier = earlier_.find(place.key);
        if (earlier != earlier_.end() && earlier->second.claimed)
            return StepProblem{i, Kind::DuplicateName, std::nullopt, earlier->second.step};
        // A name an earlier step frees is free by the time of this one.
        if (earlier == earlier_.end())
            if (auto problem = checkNotTaken(i, place, probed(destinationProbe_, i, step.to))) return problem;
        // Freed first: a file given its own name under another case claims it again.
        earlier_.insert_or_assign(placeOf(step.from).key, Earlier{i, false});
        earlier_.insert_or_assign(std::move(place.key), Earlier{i, true});
        return std::nullopt;
    }

    std::string fold(std::string_view name, bool ignoresCase) const {
        return ignoresCase ? platform::foldCase(name) : std::string(name);
    }

    // A name in the listed folder is keyed by its name alone; one in another
    // folder by that folder's identity, so every spelling of one place (links,
    // "." and ".." steps, doubled separators) meets under one key. A NUL,
    // which no name holds, keeps the two kinds of key apart.
    Place placeOf(std::string_view name) {
        if (!holdsSeparator(name)) return Place{fold(name, listed_.ignoresCase), true, std::nullopt};
        const std::size_t cut = lastSeparator(name);
        const std::string_view last = name.substr(cut + 1);
        const platform::FolderProbe& folder = folderOf(name.substr(0, cut));
        Place place;
        if (!folder.isFolder) {
            place.problem = StepProblem{0, Kind::FolderMissing, folder.error};
            if (folder.error && platform::errorKind(*folder.error) != platform::ErrorKind::NotFound &&
                platform::errorKind(*folder.error) != platform::ErrorKind::NotAFolder)
                place.problem->kind = kindOfObstacle(*folder.error);
            place.key = std::string(name); // never met again: nothing can move there
            return place;
        }
        if (folder.id == listed_.id) {
            // A step through a link or "." back into the listed folder.
            place.key = fold(last, listed_.ignoresCase);
            place.plain = false; // only the bare spelling may change case
            return place;
        }
        place.plain = false;
        place.key.assign(1, '\0');
        place.key.append(reinterpret_cast<const char*>(&folder.id), sizeof folder.id);
        place.key += fold(last, folder.ignoresCase);
        return place;
    }

    const platform::FolderProbe& folderOf(std::string_view relative) {
        const auto known = folders_.find(std::string(relative));
        if (known != folders_.end()) return known->second;
        return folders_.emplace(std::string(relative), fileSystem_.probeFolder(JoinPath(folder_, relative))).first->second;
    }

    // The file is where the batch expects it, and, where the batch knows which
    // file it is, is that file and not another that has taken its name.
    std::optional<StepProblem> checkSourceThere(std::size_t i) {
        const Step& step = steps_[i];
        platform::PathProbe source = probed(sourceProbe_, i, step.from);
        if (!present(source)) return StepProblem{i, Kind::SourceGone, source.error};
        if ((step.expected && !source.id) || (step.bornBy && !source.born)) source = fileSystem_.probe(JoinPath(folder_, step.from));
        if ((step.expected && source.id != step.expected) || (step.bornBy && source.born && *source.born > *step.bornBy))
            return StepProblem{i, Kind::SourceReplaced, std::nullopt};
        result_.sources[i] = source.id;
        return std::nullopt;
    }

    // An empty name joins to the folder itself.
    std::optional<StepProblem> checkNotEmpty(std::size_t i) const {
        if (!steps_[i].to.empty()) return std::nullopt;
        return StepProblem{i, Kind::EmptyName, std::nullopt};
    }

    // A NUL would cut the path short at the system call and move the file to
    // a name nobody asked for.
    std::optional<StepProblem> checkBytes(std::size_t i) const {
        if (steps_[i].to.find('\0') == std::string_view::npos) return std::nullopt;
        return StepProblem{i, Kind::InvalidName, std::nullopt};
    }

    std::optional<StepProblem> checkNotTaken(std::size_t i, const Place& place, const platform::PathProbe& destination) const {
        if (destination.error) return StepProblem{i, kindOfObstacle(*destination.error), destination.error};
        if (destination.kind == platform::PathKind::Absent) return std::nullopt;
        // Where names ignore case, 'photo.JPG' -> 'photo.jpg' finds the file
        // itself: the folder cannot hold a second file under that name.
        const Step& step = steps_[i];
        if (place.plain && !holdsSeparator(step.from) && place.key == fold(step.from, listed_.ignoresCase))
            return std::nullopt;
        // Held by a file of this batch that cannot move away.
        const auto holder = stuck_.find(place.key);
        if (holder != stuck_.end()) return StepProblem{i, Kind::BlockedByAnother, std::nullopt, holder->second};
        return StepProblem{i, Kind::NameTaken, std::nullopt};
    }

    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    const std::string& folder_;
    const std::vector<Step>& steps_;
    platform::FileSystem& fileSystem_;
    const OnProblem onProblem_;
    platform::FolderProbe listed_;
    std::vector<platform::PathProbe> probes_;
    std::vector<std::size_t> sourceProbe_, destinationProbe_; // each step's entry in probes_, or none
    Checked result_;
    // Keyed by the place relative to the listed folder rather than by full
    // path: most names of a batch sit in that folder, so the relative key
    // decides as the path's would, for half the memory and hashing.
    std::unordered_map<std::string, Earlier> earlier_;
    std::unordered_map<std::string, std::size_t> stuck_; // places kept by files left out
    std::unordered_map<std::string, platform::FolderProbe> folders_;
};

} // namespace

Checked check(const std::string& folder, const std::vector<Step>& steps, platform::FileSystem& fileSystem, OnProblem onProblem) {
    return Replay(folder, steps, fileSystem, onProblem).run();
}

} // namespace norvane::batch
