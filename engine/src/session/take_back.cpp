// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/take_back.h"

#include "batch/journaled_undo.h"

#include <utility>

namespace norvane {

using RefusalKind = Journal::Refusal::Kind;

TakeBackResult takeBack(Journal& journal, std::uint64_t sequence, platform::FileSystem& fileSystem,
                        const ProgressCallback& progress, std::shared_ptr<platform::KeptReading> listed,
                        const TellMovedBack& movedBack) {
    TakeBackResult result;
    result.sequence = sequence;
    platform::returnFreedMemory(); // what the batch left scattered would not hold the undo's tables
    Journal::UndoStart start = journal.beginUndo(sequence, fileSystem, listed);
    result.folder = std::move(start.folder);
    if (start.refusal) {
        result.refusal = std::move(start.refusal);
        return result;
    }
    if (!start.undoing) {
        // Nothing is still renamed: nothing moves, and nothing went wrong.
        result.outcome = UndoOutcome{};
        result.outcome->folder = result.folder;
        return result;
    }
    Journal::Undoing& undoing = *start.undoing;
    UndoOutcome outcome =
        batch::undo(
            undoing.record(), fileSystem, progress,
            [&](UndoOrder order) {
                // Its watch would be told of every move back.
                if (listed) listed->end();
                return undoing.began(order);
            },
            undoing.oldNamesSeen(), movedBack, undoing.mayGoAsMade());
    // Nothing moved: the batch stays as it was, to be taken back later.
    if (outcome.notJournaled) {
        result.refusal = Journal::Refusal{RefusalKind::CannotRecordEnd, outcome.notJournaled};
        return result;
    }
    if (outcome.folderReplaced) {
        result.refusal = Journal::Refusal{RefusalKind::OtherFolder, std::nullopt};
        return result;
    }
    Journal::Undoing::End end;
    end.restored = outcome.restored;
    for (const UndoProblem& problem : outcome.leftAlone) end.leftAlone.push_back(problem.oldName);
    end.everyFileTried = outcome.remaining.empty();
    undoing.finish(end);
    result.outcome = std::move(outcome);
    return result;
}

TakeBackResult takeBackLatest(Journal& journal, platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    const std::optional<Journal::Batch> batch = journal.latest(fileSystem);
    if (!batch) return TakeBackResult{};
    return takeBack(journal, batch->sequence, fileSystem, progress);
}

} // namespace norvane
