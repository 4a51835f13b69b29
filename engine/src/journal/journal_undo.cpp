// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/journal.h"

#include "batch/journaled_undo.h"
#include "journal/entry.h"
#include "journal/folder_state.h"
#include "journal/held_batch.h"
#include "journal/settle.h"
#include "norvane/path.h"

#include <algorithm>
#include <unordered_map>

namespace norvane {

using journal::BatchLog;
using journal::Entry;
using journal::FolderState;
using journal::Held;
using journal::SettledBatch;
using journal::appendDurably;
using journal::folderState;
using journal::holdAndRead;
using journal::makeDurable;
using journal::removeBatch;
using journal::settle;
using RefusalKind = Journal::Refusal::Kind;
using Answer = platform::Durability::Answer;

Journal::UndoResult Journal::undoLatest(platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    const std::optional<Batch> batch = latest(fileSystem);
    if (!batch) return UndoResult{};
    return undo(batch->sequence, fileSystem, progress);
}

Journal::UndoResult Journal::undo(std::uint64_t sequence, platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    UndoResult result;
    result.sequence = sequence;
    const auto refuse = [&](RefusalKind kind, std::optional<platform::SystemError> error = std::nullopt) {
        result.refusal = Refusal{kind, std::move(error)};
        return result;
    };
    if (!folder_ || folderProblem()) return refuse(RefusalKind::NoJournal);
    refresh();
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.sequence == sequence; });
    if (found == entries_.end()) return refuse(RefusalKind::NotKept);
    Entry& entry = *found;
    result.folder = entry.folder;
    Held held = holdAndRead(*folder_, entry.name);
    if (held.busy) return refuse(RefusalKind::HeldElsewhere);
    if (held.gone) return refuse(RefusalKind::NotKept);
    if (!held.log) return refuse(RefusalKind::Unreadable, held.error);
    BatchLog& log = *held.log;
    result.folder = log.folder;
    // The end must be recordable before anything moves: the file goes, or is marked, once the files are back.
    if (!platform::canWriteTo(JoinPath(*folder_, "batches")))
        return refuse(RefusalKind::CannotRecordEnd, platform::SystemError{0, "the journal's folder cannot be written to"});

    const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
    const FolderState here =
                folderState(folder->about(), log.folderIdentity, log.folderTrust, log.volumeId, [&] { return folder->volumeId(); });
    if (here == FolderState::Away) return refuse(RefusalKind::FolderAway, folder->about().error);
    if (here == FolderState::Other) return refuse(RefusalKind::OtherFolder);
    if (!log.ended) {
        const SettledBatch settled = settle(log, held, *folder, fileSystem);
        if (settled.settled.nothingFound) {
            entry.nothingFound = true;
            return refuse(RefusalKind::NothingFound);
        }
        if (settled.error) return refuse(RefusalKind::CannotRecordEnd, settled.error);
    }
    journal::Renamed renamed = journal::whatIsRenamed(log, *folder, fileSystem);
    if (renamed.nothingFound) {
        entry.nothingFound = true;
        return refuse(RefusalKind::NothingFound);
    }
    if (renamed.record.empty()) {
        // Every file is back at its old name already, or was given up; a batch
        // taken back stays until a later look shows those names durable.
        if (!log.takenBackBy) {
            removeBatch(held, *folder_, entry.name);
            entries_.erase(found);
        }
        result.outcome = UndoOutcome{};
        result.outcome->folder = log.folder;
        return result;
    }
    UndoOutcome outcome = batch::undo(renamed.record, fileSystem, progress, [&]() -> std::optional<platform::SystemError> {
        std::string began = journal::undoBeganRecord(platform::processId());
        for (const auto& [step, where] : renamed.parked) began += journal::parkedRecord(step, where);
        return appendDurably(held, began);
    });
    if (outcome.notJournaled) return refuse(RefusalKind::CannotRecordEnd, outcome.notJournaled);
    if (outcome.folderReplaced) return refuse(RefusalKind::OtherFolder);
    // Files left alone are not offered again; those not reached yet stay for the next undo.
    std::vector<std::uint64_t> givenUp;
    if (!outcome.leftAlone.empty()) {
        std::unordered_map<std::string_view, std::uint64_t> stepByOldName;
        for (std::size_t i = 0; i < renamed.record.size(); ++i) stepByOldName.emplace(renamed.record.from(i), renamed.stepOf[i]);
        for (const UndoProblem& problem : outcome.leftAlone) givenUp.push_back(stepByOldName.at(problem.oldName));
    }
    std::string records = givenUp.empty() ? std::string() : journal::givenUpRecord(givenUp);
    if (outcome.remaining.empty()) {
        // Every file tried: the record goes only once the old names are durable where the folder is.
        const platform::Durability durable =
            outcome.restored > 0 ? makeDurable(fileSystem, renamed.record) : platform::Durability{Answer::Durable, std::nullopt};
        if (durable.answer == Answer::Durable) {
            removeBatch(held, *folder_, entry.name);
            entries_.erase(found);
        } else {
            records += journal::takenBackRecord(platform::processId());
            appendDurably(held, records);
            entry.takenBackBy = platform::processId();
            entry.lookedAgain = true; // this process's look proves nothing more
            entry.files = 0;
            entry.bytes = held.bytes;
        }
    } else {
        records += journal::undoEndedRecord(outcome.restored);
        appendDurably(held, records);
        entry.files = renamed.record.size() - outcome.restored - givenUp.size();
        entry.bytes = held.bytes;
    }
    result.outcome = std::move(outcome);
    return result;
}

} // namespace norvane
