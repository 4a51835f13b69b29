// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/undo.h"

#include "batch/journaled_undo.h"

#include "batch/batch_act.h"
#include "batch/check/batch_check.h"
#include "batch/sources_look.h"
#include "identity/same_file.h"
#include "norvane/path.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string_view>

namespace norvane {

namespace {

// The moves `record` made, from `first` back, as a record of their own: what
// an undo did not reach waits for the next one.
void keepForLater(const BatchRecord& record, const std::vector<std::size_t>& moves, BatchRecord& remaining) {
    remaining.folder = record.folder;
    remaining.folderIdentity = record.folderIdentity;
    remaining.folderTrust = record.folderTrust;
    for (const std::size_t move : moves) remaining.add(record.from(move), record.to(move), record.file(move), record.trust(move));
}

// The batch's moves as the undo's steps, latest first where a file may wait
// for another to leave its old name ('b'->'c' then 'a'->'b' comes back as
// 'b'->'a', then 'c'->'b'), else in the batch's own order. Each step is made
// from the record when it is needed, never a table of its names.
struct Back {
    const BatchRecord& record;
    UndoOrder order;
    std::size_t moveOf(std::size_t step) const { return order == UndoOrder::AsMade ? step : record.size() - 1 - step; }
    batch::Step step(std::size_t k) const { return {record.to(moveOf(k)), record.from(moveOf(k))}; }
};

// One pass of moves: the steps not left out, in order, and what the act made
// of them. `kept` is made only where a step is left out: otherwise each step
// to make is itself.
class Round {
public:
    // `moved`, where given: steps an earlier pass moved, not made again.
    Round(const batch::Steps& steps, std::vector<batch::StepProblem> problems, const std::vector<bool>* moved = nullptr)
        : steps_(steps), problems_(std::move(problems)), someLeftOut_(!problems_.empty() || moved),
          toMake_(someLeftOut_ ? batch::Steps::of(*this, keep(moved)) : steps) {}
    Round(const Round&) = delete; // toMake_ views this round
    Round& operator=(const Round&) = delete;

    const batch::Steps& toMake() const { return toMake_; }
    std::size_t stepOf(std::size_t k) const { return someLeftOut_ ? kept_[k] : k; }
    batch::Step step(std::size_t k) const { return steps_[kept_[k]]; }

    // What the round did, into `outcome`: the files left alone, those moved
    // (told to `movedBack`), and what was not tried, kept for the next undo.
    void tell(UndoOutcome& outcome, const Back& back, const TellMovedBack& movedBack, const platform::FileId& folder) const {
        for (const batch::StepProblem& problem : problems_) {
            UndoProblem left{std::string(steps_[problem.step].from), std::string(steps_[problem.step].to), problem.kind, problem.error, {}};
            if (problem.kind == RenameFailure::Kind::BlockedByAnother) left.heldBy = steps_[problem.otherStep].from;
            outcome.leftAlone.push_back(std::move(left));
        }
        outcome.restored = acted.done;
        if (movedBack && acted.done > 0)
            movedBack(MovedBack{folder, acted.done, [&](std::size_t k) { return toMake_[k].from; },
                                [&](std::size_t k) { return toMake_[k].to; }});
        outcome.cancelled = acted.cancelled;
        if (acted.error) {
            const batch::Step stopped = toMake_[acted.done];
            outcome.stoppedAt = UndoProblem{std::string(stopped.from), std::string(stopped.to), RenameFailure::Kind::MoveRefused,
                                            acted.error, {}};
        }
        if (acted.error || acted.cancelled) {
            // What was not tried waits for the next undo, in the order it was made.
            std::vector<std::size_t> untried;
            for (std::size_t k = acted.done; k < toMake_.size(); ++k) untried.push_back(back.moveOf(stepOf(k)));
            std::sort(untried.begin(), untried.end());
            keepForLater(back.record, untried, outcome.remaining);
        }
    }

    batch::Acted acted;

private:
    std::size_t keep(const std::vector<bool>* moved) {
        std::vector<bool> out = moved ? *moved : std::vector<bool>(steps_.size(), false);
        for (const batch::StepProblem& problem : problems_) out[problem.step] = true;
        for (std::size_t step = 0; step < steps_.size(); ++step)
            if (!out[step]) kept_.push_back(step);
        return kept_.size();
    }

    const batch::Steps& steps_;
    const std::vector<batch::StepProblem> problems_;
    const bool someLeftOut_;
    std::vector<std::size_t> kept_; // before toMake_: made while toMake_ is
    const batch::Steps toMake_;
};

} // namespace

UndoOutcome Undo(const BatchRecord& record, platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    return batch::undo(record, fileSystem, progress, {});
}

UndoOutcome batch::undo(const BatchRecord& record, platform::FileSystem& fileSystem, const ProgressCallback& progress,
                        const BeforeFirstMove& beforeFirstMove, const OldNamesSeen& oldNames, const TellMovedBack& movedBack,
                        bool mayGoAsMade) {
    UndoOutcome outcome;
    outcome.folder = record.folder;
    // The folder is held from the check to the last move, as a batch's is.
    const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(record.folder);
    const platform::FolderProbe& now = folder->about();
    if (now.isFolder && batch::sameFolder(record.folderIdentity, record.folderTrust, now.identity, now.trust) == batch::Sameness::Other) {
        outcome.folderReplaced = true;
        outcome.remaining = record; // for another undo, once the folder is back
        return outcome;
    }

    const std::size_t count = record.size();
    // Where the look just before found every old name free, no file waits
    // for another's to leave: the batch's own order then holds, and moves
    // faster on some file systems (tmpfs) than the reverse.
    const bool everyOldNameFree = oldNames.size() == count && std::all_of(oldNames.begin(), oldNames.end(), [](OldNameSeen seen) {
                                      return seen == OldNameSeen::Free;
                                  });
    const Back back{record, mayGoAsMade && everyOldNameFree ? UndoOrder::AsMade : UndoOrder::LatestFirst};
    const batch::Steps steps = batch::Steps::of(back, count);
    batch::Expected expected{[&](std::size_t step) { return record.file(back.moveOf(step)); },
                             [&](std::size_t step) { return record.trust(back.moveOf(step)); }, {}, {}};
    if (oldNames.size() == count) expected.destinationSeenAt = [&](std::size_t step) { return oldNames[back.moveOf(step)]; };

    // A large undo looks at its sources on a second thread while it moves:
    // the check takes each for the batch's file, and each move waits for its
    // own look to say so. Where one does not, the steps are judged again.
    const std::unique_ptr<batch::SourcesLook> look = batch::SourcesLook::start(*folder, steps, expected);
    batch::Expected assumed = expected;
    if (look) assumed.sourceFoundAt = [](std::size_t) { return FoundAtName::SameFile; };
    const batch::Checked checked = batch::check(*folder, steps, batch::OnProblem::LeaveFileAndGoOn, &assumed, progress);
    if (checked.cancelled) {
        outcome.remaining = record;
        outcome.cancelled = true;
        return outcome;
    }
    // The journal is told before the undo's first move, whichever round makes it.
    const auto journaledFirst = [&](const Round& round) {
        if (!beforeFirstMove || round.toMake().empty()) return true;
        outcome.notJournaled = beforeFirstMove(back.order);
        if (!outcome.notJournaled) return true;
        outcome.remaining = record;
        return false;
    };
    Round first(steps, checked.problems);
    if (!journaledFirst(first)) return outcome;
    const auto vouched = [&](std::size_t k) { return look->at(first.stepOf(k)) == FoundAtName::SameFile; };
    first.acted = batch::act(*folder, first.toMake(), nullptr, progress, look ? batch::StepVouched(vouched) : batch::StepVouched());

    // Judged again where a move was not vouched for, or where a file left out
    // is not the batch's: the check tells that reason before any other.
    const auto notTheBatchs = [&](const batch::StepProblem& problem) { return look->at(problem.step) != FoundAtName::SameFile; };
    const bool finished = !first.acted.error && !first.acted.cancelled && !first.acted.unvouched;
    if (!look || (finished && std::none_of(checked.problems.begin(), checked.problems.end(), notTheBatchs))) {
        first.tell(outcome, back, movedBack, now.identity.id);
        return outcome;
    }
    if (!finished && !first.acted.unvouched) {
        // Stopped midway: nothing more moves, and a file left out tells the
        // look's reason where the look has got to it. The rest is not waited
        // for: on a slow card it may be seconds behind.
        first.tell(outcome, back, movedBack, now.identity.id);
        for (std::size_t n = 0; n < checked.problems.size(); ++n)
            if (const auto problem = batch::sourceProblemOf(n, look->ifLooked(checked.problems[n].step).value_or(FoundAtName::SameFile))) {
                outcome.leftAlone[n].kind = problem->kind;
                outcome.leftAlone[n].error.reset();
                outcome.leftAlone[n].heldBy.clear();
            }
        return outcome;
    }

    // From the same findings as before, each source's now its look's: as the
    // check would have judged the steps had it waited for every look. The
    // moves made since reach none of the names the later steps are judged
    // by (no step's source is an earlier one's destination: latest first,
    // the batch's order rules it out; in the batch's order, every old name
    // was free, so a source there had lost its file and stays left alone),
    // and the steps made come out as they did.
    std::vector<bool> moved(count, false);
    for (std::size_t k = 0; k < first.acted.done; ++k) moved[first.stepOf(k)] = true;
    batch::Expected looked = expected;
    looked.sourceFoundAt = [&](std::size_t step) { return look->at(step); };
    looked.destinationSeenAt = [&](std::size_t step) { return checked.destinationsSeen[step]; };
    // Told as the moves' progress, held where they stopped: the check's own
    // words would say nothing has moved yet. Escape still stops it.
    const std::size_t before = first.acted.done;
    const ProgressCallback stillMoving = [&](const BatchProgress&) {
        return progress(BatchProgress{BatchProgress::Stage::Moving, before, first.toMake().size(), nullptr});
    };
    const batch::Checked again =
        batch::check(*folder, steps, batch::OnProblem::LeaveFileAndGoOn, &looked, progress ? stillMoving : ProgressCallback());
    std::vector<batch::StepProblem> problems;
    for (const batch::StepProblem& problem : again.problems)
        if (!moved[problem.step]) problems.push_back(problem);
    Round second(steps, again.cancelled ? std::vector<batch::StepProblem>() : std::move(problems), &moved);
    // Every look made: the rest move without waiting, counted on from the first moves.
    const ProgressCallback counted = [&](const BatchProgress& report) {
        BatchProgress shifted = report;
        shifted.done += before;
        shifted.total += before;
        return progress(shifted);
    };
    if (!again.cancelled && first.toMake().empty() && !journaledFirst(second)) return outcome;
    if (again.cancelled) second.acted.cancelled = true; // nothing more tried, nothing left alone
    else second.acted = batch::act(*folder, second.toMake(), nullptr, progress ? counted : ProgressCallback());
    second.tell(outcome, back, {}, now.identity.id);
    outcome.restored += before;
    if (movedBack && outcome.restored > 0) {
        std::vector<batch::Step> both;
        both.reserve(outcome.restored);
        for (std::size_t k = 0; k < before; ++k) both.push_back(first.toMake()[k]);
        for (std::size_t k = 0; k < second.acted.done; ++k) both.push_back(second.toMake()[k]);
        movedBack(MovedBack{now.identity.id, both.size(), [&](std::size_t k) { return both[k].from; },
                            [&](std::size_t k) { return both[k].to; }});
    }
    return outcome;
}

bool touchesFolder(const BatchRecord& record, const std::string& folder, platform::FileSystem& fileSystem) {
    const platform::FolderProbe shown = fileSystem.probeFolder(folder);
    if (!shown.isFolder) return folder == record.folder;
    std::set<std::string_view> folders{""};
    for (std::size_t i = 0; i < record.size(); ++i) {
        const std::string_view to = record.to(i);
        if (HoldsSeparator(to)) folders.insert(FolderPart(to));
    }
    // Both looked at now: their numbers, stable or not, are today's.
    for (const std::string_view relative : folders) {
        const platform::FolderProbe touched = fileSystem.probeFolder(relative.empty() ? record.folder : JoinPath(record.folder, relative));
        if (touched.isFolder && touched.identity.id == shown.identity.id) return true;
    }
    return false;
}

} // namespace norvane
