#include "norvane/rename_run.h"

#include <unordered_map>
#include <vector>

namespace norvane {

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path += platform::directorySeparator();
    path.append(name);
    return path;
}

namespace {

// One file the run will move; files whose rule skips them, or gives them the
// name they already have, are not in the plan.
// Full paths are joined only where a move or a probe needs them: kept for a
// whole folder they would cost more memory than the rest of the plan.
struct PlannedMove {
    std::size_t position;
    std::string newName;
};

struct Plan {
    std::vector<PlannedMove> moves;
    // A file whose rule failed ends the plan; it is reported unless a file
    // before it fails the plan check first.
    std::optional<RenameFailure> stoppedBy;
};

class Planner {
public:
    Planner(Rule rule, const FileList& files, const RuleTexts& texts) : rule_(rule), files_(files), texts_(texts) {}

    // Every file's new name from its pre-run name alone, in list order.
    Plan plan() const {
        Plan plan;
        for (std::size_t position = 0; position < files_.count(); ++position) {
            const std::string& name = files_.name(position);
            RuleResult result = apply(rule_, name, position, texts_);
            if (std::holds_alternative<Skip>(result)) continue;
            if (const auto* missing = std::get_if<MissingPart>(&result)) {
                RenameFailure failure = failureAt(position, RenameFailure::Kind::MissingPart);
                failure.missingPart = missing->index;
                plan.stoppedBy = std::move(failure);
                return plan;
            }
            std::string& newName = std::get<NewName>(result).name;
            if (newName == name) continue; // already has the name asked for
            plan.moves.push_back({position, std::move(newName)});
        }
        return plan;
    }

    RenameFailure failureAt(std::size_t position, RenameFailure::Kind kind) const {
        RenameFailure failure;
        failure.kind = kind;
        failure.position = position;
        failure.count = files_.count();
        failure.name = files_.name(position);
        return failure;
    }

    const std::string& nameAt(std::size_t position) const { return files_.name(position); }
    const std::string& folder() const { return files_.path(); }
    std::string sourceOf(const PlannedMove& move) const { return JoinPath(files_.path(), nameAt(move.position)); }
    std::string destinationOf(const PlannedMove& move) const { return JoinPath(files_.path(), move.newName); }

private:
    Rule rule_;
    const FileList& files_;
    const RuleTexts& texts_;
};

bool isSeparator(char c) { return c == platform::directorySeparator() || c == '/'; }

bool holdsSeparator(std::string_view name) {
    return name.find(platform::directorySeparator()) != std::string_view::npos || name.find('/') != std::string_view::npos;
}

std::string parentOf(const std::string& path) {
    const std::size_t last = path.find_last_of(std::string{platform::directorySeparator(), '/'});
    return path.substr(0, last);
}

// Replays the plan in run order over what the folder holds now, so each
// destination is judged as it will be at the moment of its own move.
class PlanCheck {
public:
    PlanCheck(const Planner& planner, platform::FileSystem& fileSystem) : planner_(planner), fileSystem_(fileSystem) {}

    std::optional<RenameFailure> check(const Plan& plan) {
        // Destinations in the listed folder are looked at all at once: the
        // platform may answer from one read of the folder instead of asking
        // the system about each name, which costs a third of a rename each.
        std::vector<std::string_view> inFolder;
        for (const PlannedMove& move : plan.moves)
            if (!holdsSeparator(move.newName)) inFolder.push_back(move.newName);
        const std::vector<platform::PathProbe> inFolderProbes = fileSystem_.probeNames(planner_.folder(), inFolder);
        inFolder = {};
        std::size_t nextInFolder = 0;

        // Every move frees one name and claims one; sized once, the table never rehashes.
        earlier_.reserve(2 * plan.moves.size());
        for (const PlannedMove& move : plan.moves) {
            const bool separated = holdsSeparator(move.newName);
            const platform::PathProbe* probed = separated ? nullptr : &inFolderProbes[nextInFolder++];
            if (auto failure = checkNotEmpty(move)) return failure;
            if (auto failure = checkBytes(move)) return failure;
            std::string destinationKey = placeOf(move.newName);
            const auto earlier = earlier_.find(destinationKey);
            if (earlier != earlier_.end() && earlier->second.claimed) return duplicate(move, earlier->second.position);
            if (auto failure = checkFolderExists(move)) return failure;
            // A name an earlier move frees is free by the time of this one.
            if (earlier == earlier_.end()) {
                const std::string destinationPath = planner_.destinationOf(move);
                if (auto failure = checkNotTaken(move, destinationPath, probed ? *probed : fileSystem_.probe(destinationPath)))
                    return failure;
            }
            // Freed first: a file given its own name under another case claims it again.
            earlier_.insert_or_assign(placeOf(planner_.nameAt(move.position)), Earlier{move.position, false});
            earlier_.insert_or_assign(std::move(destinationKey), Earlier{move.position, true});
        }
        return plan.stoppedBy;
    }

private:
    // What an earlier move of the run did to a name: claimed it as its new
    // name, or freed it by moving away.
    struct Earlier {
        std::size_t position;
        bool claimed;
    };

    RenameFailure failure(const PlannedMove& move, RenameFailure::Kind kind) const {
        RenameFailure result = planner_.failureAt(move.position, kind);
        result.newName = move.newName;
        result.destination = planner_.destinationOf(move);
        return result;
    }

    // An empty name joins to the folder itself.
    std::optional<RenameFailure> checkNotEmpty(const PlannedMove& move) const {
        if (!move.newName.empty()) return std::nullopt;
        return failure(move, RenameFailure::Kind::EmptyName);
    }

    // A NUL would cut the path short at the system call and move the file to
    // a name nobody asked for.
    std::optional<RenameFailure> checkBytes(const PlannedMove& move) const {
        if (move.newName.find('\0') == std::string::npos) return std::nullopt;
        return failure(move, RenameFailure::Kind::InvalidName);
    }

    // The key under which every spelling of one place in the folder meets,
    // relative to the folder: runs of separators and "." steps fold away, and
    // ".." undoes a step into a real folder (not into a link, after which ".."
    // leads elsewhere). The last step is kept as written: it names the file itself.
    std::string placeOf(std::string_view name) const {
        if (!holdsSeparator(name)) return platform::comparisonKey(name);
        std::vector<std::string_view> steps;
        std::size_t start = 0;
        for (std::size_t end = 0; end <= name.size(); ++end) {
            if (end < name.size() && !isSeparator(name[end])) continue;
            const std::string_view step = name.substr(start, end - start);
            start = end + 1;
            const bool last = end == name.size();
            if (!last && (step.empty() || step == ".")) continue;
            if (!last && step == ".." && !steps.empty() && steps.back() != ".." && isRealFolder(steps)) {
                steps.pop_back();
                continue;
            }
            steps.push_back(step);
        }
        return platform::comparisonKey(joinedSteps(steps));
    }

    bool isRealFolder(const std::vector<std::string_view>& steps) const {
        return fileSystem_.probe(JoinPath(planner_.folder(), joinedSteps(steps))).kind == platform::PathKind::Folder;
    }

    static std::string joinedSteps(const std::vector<std::string_view>& steps) {
        std::string path;
        for (const std::string_view step : steps) {
            if (!path.empty()) path += platform::directorySeparator();
            path.append(step);
        }
        return path;
    }

    RenameFailure duplicate(const PlannedMove& move, std::size_t otherPosition) const {
        RenameFailure result = failure(move, RenameFailure::Kind::DuplicateName);
        result.otherPosition = otherPosition;
        result.otherName = planner_.nameAt(otherPosition);
        return result;
    }

    std::optional<RenameFailure> checkFolderExists(const PlannedMove& move) const {
        if (!holdsSeparator(move.newName)) return std::nullopt;
        const platform::PathProbe folder = fileSystem_.probe(parentOf(planner_.destinationOf(move)));
        if (folder.kind == platform::PathKind::Folder) return std::nullopt;
        RenameFailure result = failure(move, RenameFailure::Kind::FolderMissing);
        result.error = folder.error;
        return result;
    }

    std::optional<RenameFailure> checkNotTaken(const PlannedMove& move, const std::string& destinationPath,
                                               const platform::PathProbe& destination) const {
        if (destination.error) {
            RenameFailure result = failure(move, RenameFailure::Kind::InvalidName);
            result.error = destination.error;
            return result;
        }
        if (destination.kind == platform::PathKind::Absent) return std::nullopt;
        // Where names ignore case, 'photo.JPG' -> 'photo.jpg' finds the file itself.
        const std::string sourcePath = planner_.sourceOf(move);
        if (platform::comparisonKey(sourcePath) == platform::comparisonKey(destinationPath) &&
            fileSystem_.sameFile(sourcePath, destinationPath))
            return std::nullopt;
        return failure(move, RenameFailure::Kind::NameTaken);
    }

    const Planner& planner_;
    platform::FileSystem& fileSystem_;
    // Keyed by the place relative to the listed folder rather than by full
    // path: every name of the run sits under that folder, so the relative key
    // decides as the path's would, for half the memory and hashing.
    std::unordered_map<std::string, Earlier> earlier_;
};

std::optional<RenameFailure> carryOut(const Plan& plan, const Planner& planner, platform::FileSystem& fileSystem) {
    std::size_t renamed = 0;
    for (const PlannedMove& move : plan.moves) {
        std::string destination = planner.destinationOf(move);
        if (auto error = fileSystem.move(planner.sourceOf(move), destination)) {
            RenameFailure failure = planner.failureAt(move.position, RenameFailure::Kind::MoveRefused);
            failure.newName = move.newName;
            failure.destination = std::move(destination);
            failure.error = std::move(error);
            failure.renamed = renamed;
            return failure;
        }
        ++renamed;
    }
    return std::nullopt;
}

} // namespace

RenameRun::RenameRun(Rule rule, FileList& files, const RuleTexts& texts, MessageSink& sink)
    : rule_(rule), files_(files), texts_(texts), sink_(sink) {}

std::optional<RenameFailure> RenameRun::Run() {
    const Planner planner(rule_, files_, texts_);
    const Plan plan = planner.plan();

    if (auto failure = PlanCheck(planner, files_.fileSystem()).check(plan)) return failure;
    if (auto failure = carryOut(plan, planner, files_.fileSystem())) return failure;

    const std::size_t count = files_.count();
    if (!files_.refresh()) {
        RenameFailure failure;
        failure.kind = RenameFailure::Kind::RefreshFailed;
        failure.position = count;
        failure.count = count;
        failure.name = files_.path();
        failure.error = files_.error()->error;
        failure.renamed = plan.moves.size();
        return failure;
    }
    if (announcesDone(rule_)) sink_.show("Done!");
    return std::nullopt;
}

std::optional<RenameFailure> Run(Rule rule, FileList& files, const RuleTexts& texts, MessageSink& sink) {
    return RenameRun(rule, files, texts, sink).Run();
}

} // namespace norvane
