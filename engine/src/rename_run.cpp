#include "norvane/rename_run.h"

#include "batch_check.h"

#include <utility>
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

    // The plan as the steps of a batch over the listed folder.
    std::vector<batch::Step> steps(const Plan& plan) const {
        std::vector<batch::Step> steps;
        steps.reserve(plan.moves.size());
        for (const PlannedMove& move : plan.moves) steps.push_back({files_.name(move.position), move.newName});
        return steps;
    }

    RenameFailure failureAt(std::size_t position, RenameFailure::Kind kind) const {
        RenameFailure failure;
        failure.kind = kind;
        failure.position = position;
        failure.count = files_.count();
        failure.name = files_.name(position);
        return failure;
    }

    RenameFailure failureOf(const PlannedMove& move, RenameFailure::Kind kind) const {
        RenameFailure failure = failureAt(move.position, kind);
        failure.newName = move.newName;
        failure.destination = JoinPath(files_.path(), move.newName);
        return failure;
    }

    const std::string& folder() const { return files_.path(); }
    const std::string& nameAt(std::size_t position) const { return files_.name(position); }

private:
    Rule rule_;
    const FileList& files_;
    const RuleTexts& texts_;
};

std::optional<RenameFailure> checkPlan(const Plan& plan, const Planner& planner, platform::FileSystem& fileSystem) {
    const std::optional<batch::StepProblem> problem = batch::check(planner.folder(), planner.steps(plan), fileSystem);
    if (!problem) return plan.stoppedBy;
    const PlannedMove& move = plan.moves[problem->step];
    RenameFailure failure = planner.failureOf(move, problem->kind);
    failure.error = problem->error;
    if (problem->kind == RenameFailure::Kind::DuplicateName) {
        failure.otherPosition = plan.moves[problem->otherStep].position;
        failure.otherName = planner.nameAt(failure.otherPosition);
    }
    return failure;
}

std::optional<RenameFailure> carryOut(const Plan& plan, const Planner& planner, platform::FileSystem& fileSystem) {
    std::size_t renamed = 0;
    for (const PlannedMove& move : plan.moves) {
        if (auto error = fileSystem.move(JoinPath(planner.folder(), planner.nameAt(move.position)),
                                         JoinPath(planner.folder(), move.newName))) {
            RenameFailure failure = planner.failureOf(move, RenameFailure::Kind::MoveRefused);
            failure.error = std::move(error);
            failure.renamed = renamed;
            return failure;
        }
        ++renamed;
    }
    return std::nullopt;
}

} // namespace

RenameRun::RenameRun(Rule rule, FileList& files, RuleTexts texts, MessageSink& sink)
    : rule_(rule), files_(files), texts_(std::move(texts)), sink_(sink) {}

std::optional<RenameFailure> RenameRun::Run() {
    const Planner planner(rule_, files_, texts_);
    const Plan plan = planner.plan();

    if (auto failure = checkPlan(plan, planner, files_.fileSystem())) return failure;
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
