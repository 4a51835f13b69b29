#include "norvane/rename_run.h"

#include "batch/batch_act.h"
#include "batch/batch_check.h"
#include "batch/planner.h"

#include <utility>
#include <vector>

namespace norvane {

namespace {

RenameFailure cancelled(const Planner& planner, std::size_t renamed) {
    RenameFailure failure;
    failure.kind = RenameFailure::Kind::Cancelled;
    failure.count = planner.fileCount();
    failure.name = planner.folder();
    failure.renamed = renamed;
    return failure;
}

} // namespace

RenameRun::RenameRun(Rule rule, FileList& files, RuleTexts texts, MessageSink& sink)
    : rule_(rule), files_(files), texts_(std::move(texts)), sink_(sink) {}

std::optional<RenameFailure> RenameRun::Run() {
    if (auto failure = moveFiles()) return failure;

    const std::size_t count = files_.count();
    if (!files_.refresh()) {
        RenameFailure failure;
        failure.kind = RenameFailure::Kind::RefreshFailed;
        failure.position = count;
        failure.count = count;
        failure.name = files_.path();
        failure.error = files_.error()->error;
        failure.renamed = record_.size();
        return failure;
    }
    if (announcesDone(rule_)) sink_.show("Done!");
    return std::nullopt;
}

// Plan, check and act, all through the folder opened once: its check's read
// and its last move reach the same folder, whatever happens to its path
// meanwhile. The plan and the check's findings are gone before the list is
// read again: in a large folder they would double what that costs.
std::optional<RenameFailure> RenameRun::moveFiles() {
    const Planner planner(rule_, files_, texts_);
    const Plan plan = planner.plan();
    const std::vector<batch::Step> steps = planner.steps(plan);
    const std::unique_ptr<platform::Folder> folder = files_.fileSystem().openFolder(files_.path());

    const batch::Checked checked = batch::check(*folder, steps, batch::OnProblem::StopBatch, nullptr, progress_);
    if (checked.cancelled) return cancelled(planner, 0);
    if (auto failure = planner.refusal(plan, checked)) return failure;
    record_.folder = files_.path();
    record_.folderIdentity = folder->about().identity;
    record_.folderTrust = folder->about().trust;
    const batch::Acted acted = batch::act(*folder, steps, &record_, progress_);
    if (acted.cancelled) return cancelled(planner, acted.done);
    if (acted.error) {
        RenameFailure failure = planner.failureOf(plan, acted.done, RenameFailure::Kind::MoveRefused);
        failure.error = acted.error;
        failure.renamed = acted.done;
        return failure;
    }
    return std::nullopt;
}

std::optional<RenameFailure> Run(Rule rule, FileList& files, const RuleTexts& texts, MessageSink& sink) {
    return RenameRun(rule, files, texts, sink).Run();
}

} // namespace norvane
