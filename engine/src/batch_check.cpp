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
    Replay(const std::string& folder, const std::vector<Step>& steps, platform::FileSystem& fileSystem)
        : folder_(folder), steps_(steps), fileSystem_(fileSystem) {}

    std::optional<StepProblem> run() {
        const platform::FolderProbe listed = fileSystem_.probeFolder(folder_);
        listed_ = listed;

        // The sources, and the destinations in the folder itself, are looked at
        // all at once: the platform may answer from one read of the folder
        // instead of asking the system about each name.
        std::vector<std::string_view> names;
        names.reserve(2 * steps_.size());
        for (const Step& step : steps_) names.push_back(step.from);
        for (const Step& step : steps_)
            if (!holdsSeparator(step.to)) names.push_back(step.to);
        const std::vector<platform::PathProbe> probes = fileSystem_.probeNames(folder_, names);
        names = {};
        std::size_t nextInFolder = steps_.size();

        // The folder itself gone: every file with it.
        if (!listed.isFolder && !steps_.empty()) return StepProblem{0, Kind::SourceGone, listed.error};

        // Every step frees one name and claims one; sized once, the table never rehashes.
        earlier_.reserve(2 * steps_.size());
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            const Step& step = steps_[i];
            const platform::PathProbe* destination = holdsSeparator(step.to) ? nullptr : &probes[nextInFolder++];
            if (auto problem = checkSourceThere(i, probes[i])) return problem;
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
            if (earlier == earlier_.end()) {
                const platform::PathProbe probed = destination ? *destination : fileSystem_.probe(JoinPath(folder_, step.to));
                if (auto problem = checkNotTaken(i, place, probed)) return problem;
            }
            // Freed first: a file given its own name under another case claims it again.
            earlier_.insert_or_assign(sourceKey(step.from), Earlier{i, false});
            earlier_.insert_or_assign(std::move(place.key), Earlier{i, true});
        }
        return std::nullopt;
    }

private:
    // What an earlier step did to a place: claimed it as its destination, or
    // freed it by moving away.
    struct Earlier {
        std::size_t step;
        bool claimed;
    };

    // Where a destination lies as the system resolves it: the folder that
    // receives it, by identity, and the name in that folder's own comparison.
    struct Place {
        std::string key;
        bool inListedFolder = true;
        std::optional<StepProblem> problem;
    };

    std::string fold(std::string_view name, bool ignoresCase) const {
        return ignoresCase ? platform::foldCase(name) : std::string(name);
    }

    // Sources are names listed in the folder itself.
    std::string sourceKey(std::string_view name) const { return fold(name, listed_.ignoresCase); }

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
            return place;
        }
        if (folder.id == listed_.id) {
            // A step through a link or "." back into the listed folder.
            place.key = fold(last, listed_.ignoresCase);
            place.inListedFolder = last == name; // only the plain spelling may change case
            return place;
        }
        place.inListedFolder = false;
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

    std::optional<StepProblem> checkSourceThere(std::size_t i, const platform::PathProbe& source) const {
        if (present(source)) return std::nullopt;
        return StepProblem{i, Kind::SourceGone, source.error};
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
        if (place.inListedFolder && place.key == sourceKey(steps_[i].from)) return std::nullopt;
        return StepProblem{i, Kind::NameTaken, std::nullopt};
    }

    const std::string& folder_;
    const std::vector<Step>& steps_;
    platform::FileSystem& fileSystem_;
    platform::FolderProbe listed_;
    // Keyed by the place relative to the listed folder rather than by full
    // path: most names of a batch sit in that folder, so the relative key
    // decides as the path's would, for half the memory and hashing.
    std::unordered_map<std::string, Earlier> earlier_;
    std::unordered_map<std::string, platform::FolderProbe> folders_;
};

} // namespace

std::optional<StepProblem> check(const std::string& folder, const std::vector<Step>& steps, platform::FileSystem& fileSystem) {
    return Replay(folder, steps, fileSystem).run();
}

} // namespace norvane::batch
