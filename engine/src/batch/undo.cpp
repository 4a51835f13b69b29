#include "norvane/undo.h"

#include "batch/batch_act.h"
#include "batch/batch_check.h"

#include <set>
#include <string_view>

namespace norvane {

UndoOutcome Undo(const BatchRecord& record, platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    UndoOutcome outcome;
    outcome.folder = record.folder;
    const std::size_t count = record.size();
    // Latest first: 'b'->'c' then 'a'->'b' comes back as 'b'->'a', then 'c'->'b'.
    const auto moveOf = [&](std::size_t step) { return count - 1 - step; };
    std::vector<batch::Step> steps;
    steps.reserve(count);
    for (std::size_t step = 0; step < count; ++step) steps.push_back({record.to(moveOf(step)), record.from(moveOf(step))});
    const batch::Expected expected{[&](std::size_t step) { return record.file(moveOf(step)); }, record.startedAt};

    const batch::Checked checked =
        batch::check(record.folder, steps, fileSystem, batch::OnProblem::LeaveFileAndGoOn, &expected, progress);
    if (checked.cancelled) {
        outcome.remaining = record;
        return outcome;
    }
    for (const batch::StepProblem& problem : checked.problems) {
        UndoProblem left{std::string(steps[problem.step].from), std::string(steps[problem.step].to), problem.kind, problem.error, {}};
        if (problem.kind == RenameFailure::Kind::BlockedByAnother) left.heldBy = steps[problem.otherStep].from;
        outcome.leftAlone.push_back(std::move(left));
    }

    // The steps left out go; `stepOf` tells what each remaining one was.
    std::vector<std::size_t> stepOf(count);
    for (std::size_t step = 0; step < count; ++step) stepOf[step] = step;
    if (!checked.problems.empty()) {
        std::vector<bool> leftOut(count, false);
        for (const batch::StepProblem& problem : checked.problems) leftOut[problem.step] = true;
        std::size_t kept = 0;
        for (std::size_t step = 0; step < count; ++step) {
            if (leftOut[step]) continue;
            steps[kept] = steps[step];
            stepOf[kept++] = step;
        }
        steps.resize(kept);
        stepOf.resize(kept);
    }
    const batch::Acted acted = batch::act(record.folder, steps, {}, fileSystem, nullptr, progress);
    outcome.restored = acted.done;
    if (acted.error || acted.cancelled) {
        if (acted.error) {
            const batch::Step& stopped = steps[acted.done];
            outcome.stoppedAt = UndoProblem{std::string(stopped.from), std::string(stopped.to), RenameFailure::Kind::MoveRefused,
                                            acted.error, {}};
        }
        // What was not tried waits for the next undo, in the order it was made.
        outcome.remaining.folder = record.folder;
        outcome.remaining.startedAt = record.startedAt;
        for (std::size_t k = steps.size(); k-- > acted.done;) {
            const std::size_t move = moveOf(stepOf[k]);
            outcome.remaining.add(record.from(move), record.to(move), record.file(move));
        }
    }
    return outcome;
}

bool touchesFolder(const BatchRecord& record, const std::string& folder, platform::FileSystem& fileSystem) {
    const platform::FolderProbe shown = fileSystem.probeFolder(folder);
    if (!shown.isFolder) return folder == record.folder;
    std::set<std::string_view> folders{""};
    for (std::size_t i = 0; i < record.size(); ++i) {
        const std::string_view to = record.to(i);
        if (batch::holdsSeparator(to)) folders.insert(to.substr(0, to.find_last_of(std::string{platform::directorySeparator(), '/'})));
    }
    for (const std::string_view relative : folders) {
        const platform::FolderProbe touched = fileSystem.probeFolder(relative.empty() ? record.folder : JoinPath(record.folder, relative));
        if (touched.isFolder && touched.id == shown.id) return true;
    }
    return false;
}

} // namespace norvane
