// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The journal's side of an undo: which batch, whether it may go back now,
// what of it is still to take back, and the records of the undo's start and
// end. The moves are the batch layer's, driven from above (take_back.cpp).

#include "norvane/journal.h"

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

struct Journal::Undoing::State {
    Journal& journal;
    platform::FileSystem& fileSystem;
    std::string name; // the batch's file, in the journal's folder of batches
    Held held;
    journal::Renamed renamed;
    std::uint32_t version = 0; // of the batch's file
    bool finished = false;
};

Journal::Undoing::Undoing(std::unique_ptr<State> state) : state_(std::move(state)) {}
Journal::Undoing::Undoing(Undoing&&) noexcept = default;
Journal::Undoing& Journal::Undoing::operator=(Undoing&&) noexcept = default;
Journal::Undoing::~Undoing() = default;

const BatchRecord& Journal::Undoing::record() const { return state_->renamed.record; }
const OldNamesSeen& Journal::Undoing::oldNamesSeen() const { return state_->renamed.oldNames; }
bool Journal::Undoing::mayGoAsMade() const { return state_->version >= journal::undoOrderSince; }

Journal::UndoStart Journal::beginUndo(std::uint64_t sequence, platform::FileSystem& fileSystem,
                                      std::shared_ptr<platform::KeptReading> listed) {
    UndoStart result;
    const auto refuse = [&](RefusalKind kind, std::optional<platform::SystemError> error = std::nullopt) {
        result.refusal = Refusal{kind, std::move(error)};
        return std::move(result);
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
        return refuse(RefusalKind::CannotRecordEnd, platform::SystemError{0, {}, platform::SystemError::Reason::JournalNotWritable});

    const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
    folder->answerFrom(std::move(listed));
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
    journal::Renamed renamed = journal::takeWhatIsRenamed(log, *folder, fileSystem);
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
        return result;
    }
    // The undo goes by the record alone: the plan as read goes now, so that a
    // large batch is not held twice while its files move back.
    const std::uint32_t version = log.version;
    held.log.reset();
    result.undoing.emplace(Undoing(std::unique_ptr<Undoing::State>(
        new Undoing::State{*this, fileSystem, entry.name, std::move(held), std::move(renamed), version, false})));
    return result;
}

std::optional<platform::SystemError> Journal::Undoing::began(UndoOrder order) {
    std::string began = journal::undoBeganRecord(platform::processId(), order, state_->version);
    for (const auto& [step, where] : state_->renamed.parked) began += journal::parkedRecord(step, where);
    return appendDurably(state_->held, began);
}

void Journal::Undoing::finish(const End& end) {
    State& undo = *state_;
    if (undo.finished) return;
    undo.finished = true;
    const journal::Renamed& renamed = undo.renamed;
    Held& held = undo.held;
    std::vector<Entry>& entries = undo.journal.entries_;
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.name == undo.name; });
    // Files left alone are not offered again; those not reached yet stay for the next undo.
    std::vector<std::uint64_t> givenUp;
    if (!end.leftAlone.empty()) {
        std::unordered_map<std::string_view, std::uint64_t> stepByOldName;
        for (std::size_t i = 0; i < renamed.record.size(); ++i) stepByOldName.emplace(renamed.record.from(i), renamed.stepOf[i]);
        for (const std::string_view oldName : end.leftAlone) givenUp.push_back(stepByOldName.at(oldName));
    }
    std::string records = givenUp.empty() ? std::string() : journal::givenUpRecord(givenUp);
    if (end.everyFileTried) {
        // Every file tried: the record goes only once the old names are durable where the folder is.
        const platform::Durability durable =
            end.restored > 0 ? makeDurable(undo.fileSystem, renamed.record) : platform::Durability{Answer::Durable, std::nullopt};
        if (durable.answer == Answer::Durable) {
            removeBatch(held, *undo.journal.folder_, undo.name);
            if (found != entries.end()) entries.erase(found);
        } else {
            records += journal::takenBackRecord(platform::processId());
            appendDurably(held, records);
            if (found != entries.end()) {
                found->takenBackBy = platform::processId();
                found->lookedAgain = true; // this process's look proves nothing more
                found->files = 0;
                found->bytes = held.bytes;
            }
        }
    } else {
        records += journal::undoEndedRecord(end.restored);
        appendDurably(held, records);
        if (found != entries.end()) {
            found->files = renamed.record.size() - end.restored - givenUp.size();
            found->bytes = held.bytes;
        }
    }
}

} // namespace norvane
