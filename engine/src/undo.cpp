#include "norvane/undo.h"

#include "batch_act.h"
#include "batch_check.h"

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
    batch::Expected expected;
    steps.reserve(count);
    expected.files.reserve(count);
    expected.bornBy = record.startedAt;
    for (std::size_t step = 0; step < count; ++step) {
        steps.push_back({record.to(moveOf(step)), record.from(moveOf(step))});
        expected.files.push_back(record.file(moveOf(step)));
    }

    const batch::Checked checked =
        batch::check(record.folder, steps, fileSystem, batch::OnProblem::LeaveFileAndGoOn, &expected, progress);
    if (checked.cancelled) {
        outcome.remaining = record;
        return outcome;
    }
    std::vector<bool> leftOut(count, false);
    for (const batch::StepProblem& problem : checked.problems) {
        leftOut[problem.step] = true;
        UndoProblem left{std::string(steps[problem.step].from), std::string(steps[problem.step].to), problem.kind, problem.error, {}};
        if (problem.kind == RenameFailure::Kind::BlockedByAnother) left.heldBy = steps[problem.otherStep].from;
        outcome.leftAlone.push_back(std::move(left));
    }

    std::vector<batch::Step> toDo;
    std::vector<std::size_t> stepOf; // each step to do, as a step of the whole undo
    std::vector<std::optional<platform::FileId>> sources;
    for (std::size_t step = 0; step < count; ++step) {
        if (leftOut[step]) continue;
        toDo.push_back(steps[step]);
        stepOf.push_back(step);
        sources.push_back(checked.sources[step]);
    }
    BatchRecord undone;
    const batch::Acted acted = batch::act(record.folder, toDo, sources, fileSystem, undone, progress);
    outcome.restored = acted.done;
    if (acted.error || acted.cancelled) {
        if (acted.error) {
            const batch::Step& stopped = toDo[acted.done];
            outcome.stoppedAt = UndoProblem{std::string(stopped.from), std::string(stopped.to), RenameFailure::Kind::MoveRefused,
                                            acted.error, {}};
        }
        // What was not tried waits for the next undo, in the order it was made.
        outcome.remaining.folder = record.folder;
        outcome.remaining.startedAt = record.startedAt;
        for (std::size_t k = toDo.size(); k-- > acted.done;) {
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
