#include "norvane/undo.h"

#include "batch_act.h"
#include "batch_check.h"

namespace norvane {

UndoOutcome Undo(const BatchRecord& record, platform::FileSystem& fileSystem) {
    UndoOutcome outcome;
    outcome.folder = record.folder;
    const std::size_t count = record.moves.size();
    // Latest first: 'b'->'c' then 'a'->'b' comes back as 'b'->'a', then 'c'->'b'.
    const auto moveOf = [&](std::size_t step) -> const RecordedMove& { return record.moves[count - 1 - step]; };
    std::vector<batch::Step> steps;
    steps.reserve(count);
    for (std::size_t step = 0; step < count; ++step) {
        const RecordedMove& move = moveOf(step);
        // A move into another folder may have copied the file, which is then born within the batch.
        const bool mayBeCopy = batch::holdsSeparator(move.to);
        steps.push_back({move.to, move.from, move.file, mayBeCopy ? std::nullopt : std::optional(record.startedAt)});
    }

    const batch::Checked checked = batch::check(record.folder, steps, fileSystem, batch::OnProblem::LeaveFileAndGoOn);
    std::vector<bool> leftOut(count, false);
    for (const batch::StepProblem& problem : checked.problems) {
        leftOut[problem.step] = true;
        UndoProblem left{moveOf(problem.step).to, moveOf(problem.step).from, problem.kind, problem.error, {}};
        if (problem.kind == RenameFailure::Kind::BlockedByAnother) left.heldBy = moveOf(problem.otherStep).to;
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
    const batch::Acted acted = batch::act(record.folder, toDo, sources, fileSystem, undone);
    outcome.restored = acted.done;
    if (acted.error) {
        const RecordedMove& stopped = moveOf(stepOf[acted.done]);
        outcome.stoppedAt = UndoProblem{stopped.to, stopped.from, RenameFailure::Kind::MoveRefused, acted.error, {}};
        // What was not tried waits for the next undo, in the order it was made.
        outcome.remaining.folder = record.folder;
        outcome.remaining.startedAt = record.startedAt;
        for (std::size_t k = toDo.size(); k-- > acted.done;) outcome.remaining.moves.push_back(moveOf(stepOf[k]));
    }
    return outcome;
}

} // namespace norvane
