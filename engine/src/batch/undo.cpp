// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/undo.h"

#include "batch/journaled_undo.h"

#include "batch/batch_act.h"
#include "batch/check/batch_check.h"
#include "identity/same_file.h"
#include "norvane/path.h"

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

} // namespace

UndoOutcome Undo(const BatchRecord& record, platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    return batch::undo(record, fileSystem, progress, {});
}

UndoOutcome batch::undo(const BatchRecord& record, platform::FileSystem& fileSystem, const ProgressCallback& progress,
                        const BeforeFirstMove& beforeFirstMove, const OldNamesSeen& oldNames, const FoundAtNames& newNames,
                        const TellMovedBack& movedBack) {
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
    // Latest first: 'b'->'c' then 'a'->'b' comes back as 'b'->'a', then 'c'->'b'.
    const auto moveOf = [&](std::size_t step) { return count - 1 - step; };
    // Each step made from the record when it is needed, never a table of its names.
    struct Back {
        const BatchRecord& record;
        const std::vector<std::size_t>* kept; // the steps still to make, where some were left out
        batch::Step step(std::size_t k) const {
            const std::size_t move = record.size() - 1 - (kept ? (*kept)[k] : k);
            return {record.to(move), record.from(move)};
        }
    };
    const Back every{record, nullptr};
    const batch::Steps steps = batch::Steps::of(every, count);
    batch::Expected expected{[&](std::size_t step) { return record.file(moveOf(step)); },
                             [&](std::size_t step) { return record.trust(moveOf(step)); }, {}, {}};
    if (oldNames.size() == count) expected.destinationSeenAt = [&](std::size_t step) { return oldNames[moveOf(step)]; };
    if (newNames.size() == count) expected.sourceFoundAt = [&](std::size_t step) { return newNames[moveOf(step)]; };

    const batch::Checked checked = batch::check(*folder, steps, batch::OnProblem::LeaveFileAndGoOn, &expected, progress);
    if (checked.cancelled) {
        outcome.remaining = record;
        outcome.cancelled = true;
        return outcome;
    }
    for (const batch::StepProblem& problem : checked.problems) {
        UndoProblem left{std::string(steps[problem.step].from), std::string(steps[problem.step].to), problem.kind, problem.error, {}};
        if (problem.kind == RenameFailure::Kind::BlockedByAnother) left.heldBy = steps[problem.otherStep].from;
        outcome.leftAlone.push_back(std::move(left));
    }

    // The steps left out go; `kept` tells what each remaining one was, and is
    // made only where one was left out: otherwise each step is itself.
    std::vector<std::size_t> kept;
    if (!checked.problems.empty()) {
        std::vector<bool> leftOut(count, false);
        for (const batch::StepProblem& problem : checked.problems) leftOut[problem.step] = true;
        for (std::size_t step = 0; step < count; ++step)
            if (!leftOut[step]) kept.push_back(step);
    }
    const bool someLeftOut = !checked.problems.empty();
    const Back remaining{record, someLeftOut ? &kept : nullptr};
    const batch::Steps toMake = someLeftOut ? batch::Steps::of(remaining, kept.size()) : steps;
    const auto stepOf = [&](std::size_t k) { return someLeftOut ? kept[k] : k; };
    if (beforeFirstMove && !toMake.empty())
        if (auto error = beforeFirstMove()) {
            outcome.notJournaled = std::move(error);
            outcome.leftAlone.clear();
            outcome.remaining = record;
            return outcome;
        }
    const batch::Acted acted = batch::act(*folder, toMake, nullptr, progress);
    outcome.restored = acted.done;
    if (movedBack && acted.done > 0)
        movedBack(MovedBack{now.identity.id, acted.done, [&](std::size_t k) { return toMake[k].from; },
                            [&](std::size_t k) { return toMake[k].to; }});
    outcome.cancelled = acted.cancelled;
    if (acted.error) {
        const batch::Step stopped = toMake[acted.done];
        outcome.stoppedAt = UndoProblem{std::string(stopped.from), std::string(stopped.to), RenameFailure::Kind::MoveRefused,
                                        acted.error, {}};
    }
    if (acted.error || acted.cancelled) {
        // What was not tried waits for the next undo, in the order it was made.
        std::vector<std::size_t> untried;
        for (std::size_t k = toMake.size(); k-- > acted.done;) untried.push_back(moveOf(stepOf(k)));
        keepForLater(record, untried, outcome.remaining);
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
