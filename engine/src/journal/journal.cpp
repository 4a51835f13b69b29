// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/journal.h"

#include "journal/batch_names.h"
#include "journal/batch_writer.h"
#include "journal/entry.h"
#include "journal/folder_state.h"
#include "journal/held_batch.h"
#include "journal/settle.h"
#include "norvane/path.h"

#include <algorithm>

namespace norvane {

using journal::BatchLog;
using journal::Entry;
using journal::FolderState;
using journal::Held;
using journal::SettledBatch;
using journal::folderState;
using journal::holdAndRead;
using journal::removeBatch;
using journal::setAside;
using journal::settle;
using journal::stampOf;
using journal::stateOfFolder;
using journal::appendDurably;
using journal::batchPath;
using State = Journal::Batch::State;
using Answer = platform::Durability::Answer;

Journal::Journal(std::optional<std::string> folder) : folder_(std::move(folder)) {}

Journal::~Journal() = default;

std::optional<std::string> Journal::defaultFolder() { return platform::stateFolder(); }

std::optional<Journal::FolderProblem> Journal::folderProblem() {
    if (!folder_) return FolderProblem{FolderProblem::Why::NoFolder, {}, std::nullopt};
    // A folder another user owns, or others can write to, could be handed a
    // plan whose undo moves the user's files where someone else chose.
    for (const std::string& folder : {*folder_, JoinPath(*folder_, journal::batchesFolder)})
        if (const auto refusal = platform::ownFolderRefusal(folder))
            return FolderProblem{refusal->why == platform::FolderRefusal::Why::NotOwned ? FolderProblem::Why::NotOwned
                                                                                       : FolderProblem::Why::OthersCanWrite,
                                 folder, std::nullopt};
    return std::nullopt;
}

void Journal::recordWritten(const Entry& entry) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& known) { return known.name == entry.name; }),
                   entries_.end());
    entries_.push_back(entry);
    std::sort(entries_.begin(), entries_.end(), journal::before);
    keepWithinBounds();
}

// The batches on disk: what is known of a file is kept while its size stays;
// a file another Norvane holds is named by its number until it lets it go.
void Journal::refresh() {
    if (!folder_ || folderProblem()) {
        entries_.clear();
        return;
    }
    const auto listed = platform::fileNames(JoinPath(*folder_, "batches"));
    if (std::holds_alternative<platform::SystemError>(listed)) {
        entries_.clear();
        return;
    }
    std::vector<Entry> now;
    for (const std::string& name : std::get<std::vector<std::string>>(listed)) {
        if (!journal::isBatchFile(name)) continue;
        const auto known = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.name == name; });
        // What was read of a file stands while its size and last write do.
        const std::optional<platform::FileStamp> stamp = stampOf(*folder_, name);
        const bool cached = known != entries_.end() && known->read && !known->unreadable && stamp && known->stamp == stamp;
        Held held = cached ? journal::holdOnly(*folder_, name) : holdAndRead(*folder_, name, journal::Keep::Summary);
        if (cached && held.file) {
            now.push_back(*known);
            continue;
        }
        if (held.busy) {
            Entry busy = known != entries_.end() ? *known : Entry{};
            busy.name = name;
            if (known == entries_.end()) busy.sequence = journal::sequenceOfName(name);
            busy.read = false; // what is known of it stands for the list; its state is another's until it lets go
            now.push_back(std::move(busy));
            continue;
        }
        if (held.openFailed || (held.error && !held.tooLarge)) {
            // Left where it is, and in its place: the system may let it be read later.
            Entry unreadable = known != entries_.end() ? *known : Entry{};
            unreadable.name = name;
            if (known == entries_.end()) unreadable.sequence = journal::sequenceOfName(name);
            unreadable.unreadable = held.error;
            now.push_back(std::move(unreadable));
            continue;
        }
        if (!held.log) continue; // gone, or not a batch of this program's: open() names those
        Entry entry = journal::entryOf(name, *held.log, held.bytes);
        entry.stamp = stamp;
        if (known != entries_.end() && known->bytes == held.bytes) {
            entry.nothingFound = known->nothingFound;
            entry.lookedAgain = known->lookedAgain;
        }
        now.push_back(std::move(entry));
    }
    std::sort(now.begin(), now.end(), journal::before);
    entries_ = std::move(now);
}

void Journal::keepWithinBounds() {
    if (!folder_) return;
    std::uint64_t bytes = 0;
    for (const Entry& entry : entries_) bytes += entry.bytes;
    // Oldest first; the latest stays however large it is.
    while (entries_.size() > 1 && (entries_.size() > batchesKept || bytes > bytesKept)) {
        const Entry oldest = entries_.front();
        entries_.erase(entries_.begin());
        bytes -= oldest.bytes;
        Held held = journal::holdOnly(*folder_, oldest.name);
        if (held.busy || !held.file) continue; // another Norvane is taking it back: it decides
        removeBatch(held, *folder_, oldest.name);
    }
}

Journal::Opening Journal::open(platform::FileSystem& fileSystem) {
    Opening opening;
    opening.folderProblem = folderProblem();
    if (opening.folderProblem) return opening;
    const std::string batches = JoinPath(*folder_, "batches");
    const auto listed = platform::fileNames(batches);
    if (const auto* error = std::get_if<platform::SystemError>(&listed)) {
        if (platform::errorKind(*error) != platform::ErrorKind::NotFound)
            opening.folderProblem = FolderProblem{FolderProblem::Why::Unreadable, batches, *error};
        return opening;
    }
    std::vector<Entry> kept;
    for (const std::string& name : std::get<std::vector<std::string>>(listed)) {
        if (!journal::isBatchFile(name)) continue;
        // Most batches ended and need only their header and end; one to settle is read again, whole.
        Held held = holdAndRead(*folder_, name, journal::Keep::Summary);
        if (held.log && (!held.log->planned || !held.log->ended || held.log->undoOpen)) journal::readWhole(held, *folder_, name);
        if (held.busy || held.gone) continue;
        if (held.openFailed || (held.error && !held.tooLarge)) {
            // Left where it is: the next start tries again.
            opening.setAside.push_back({held.openFailed ? SetAside::Why::CannotOpen : SetAside::Why::CannotRead, name, held.error, 0, true});
            Entry unreadable;
            unreadable.name = name;
            unreadable.sequence = journal::sequenceOfName(name);
            unreadable.unreadable = held.error;
            kept.push_back(std::move(unreadable));
            continue;
        }
        if (held.tooLarge) {
            held.file.reset();
            opening.setAside.push_back(setAside(*folder_, name, SetAside::Why::TooLarge, held.bytes));
            continue;
        }
        if (!held.log) {
            if (held.read.newer) {
                opening.setAside.push_back({SetAside::Why::NewerFormat, name, std::nullopt, held.read.damagedAt, true});
                continue;
            }
            held.file.reset();
            opening.setAside.push_back(setAside(*folder_, name, held.read.notAJournal ? SetAside::Why::NotAJournal : SetAside::Why::Damaged,
                                                held.read.damagedAt));
            continue;
        }
        BatchLog& log = *held.log;
        Interrupted stopped{log.sequence, log.folder, log.what, 0, log.stepCount, 0, 0, false, State::Ready, false, std::nullopt, {}, {}};
        if (!log.planned && log.stepsRead == 0) {
            // Nothing of a plan: nothing was moved under it, and there is nothing to take back.
            removeBatch(held, *folder_, name);
            continue;
        }
        if (!log.planned) {
            // Moves begin only once the plan is whole and durable; a plan cut short by damage is looked for all the same.
            const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
            const journal::Settled found = folder->about().isFolder ? journal::settleSteps(log, *folder, fileSystem) : journal::Settled{};
            held.file.reset();
            if (found.made == 0 && folder->about().isFolder) platform::removeOwnFile(batchPath(*folder_, name));
            else opening.setAside.push_back(setAside(*folder_, name, SetAside::Why::Damaged, held.read.damagedAt));
            continue;
        }
        if (!log.ended || log.undoOpen) {
            const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
            const FolderState here =
                folderState(folder->about(), log.folderIdentity, log.folderTrust, log.volumeId, [&] { return folder->volumeId(); });
            if (here != FolderState::Here) {
                // Its card is not in, say: settled when it is back.
                stopped.state = stateOfFolder(here);
                stopped.waiting = true;
                stopped.undoing = log.ended.has_value();
                if (stopped.undoing) stopped.planned = journal::filesOf(log);
                stopped.error = folder->about().error;
                opening.interrupted.push_back(stopped);
            } else if (!log.ended) {
                const bool endLost = held.read.damaged; // it ended, but its end cannot be read: settled without a word
                const SettledBatch settled = settle(log, held, *folder, fileSystem);
                stopped.renamed = settled.settled.made;
                stopped.missing = settled.settled.missing;
                stopped.error = settled.error;
                if (const std::optional<std::uint64_t> step = settled.settled.underNeitherName) {
                    stopped.neitherFrom = log.steps.from(*step);
                    stopped.neitherTo = log.steps.to(*step);
                }
                if (settled.settled.nothingFound) stopped.state = State::NothingFound;
                if (settled.settled.made == 0 && !settled.settled.nothingFound) {
                    removeBatch(held, *folder_, name); // nothing was renamed: nothing to take back
                    // Nor anything to put back; but a file under neither name is told all the same.
                    if (!stopped.neitherFrom.empty()) opening.interrupted.push_back(stopped);
                    continue;
                }
                if (!endLost || settled.error) opening.interrupted.push_back(stopped);
            } else {
                // An undo cut short: how many are back, and how many still to go, from the folder.
                const journal::Renamed renamed = journal::whatIsRenamed(log, *folder, fileSystem);
                stopped.undoing = true;
                stopped.planned = journal::filesOf(log);
                stopped.renamed = renamed.record.size();
                stopped.restored = stopped.planned > stopped.renamed ? stopped.planned - stopped.renamed : 0;
                const bool allBack = renamed.record.empty();
                if (allBack && stopped.restored > 0 && fileSystem.makeNamesDurable(log.folder).answer == Answer::Durable) {
                    opening.interrupted.push_back(stopped);
                    removeBatch(held, *folder_, name);
                    continue;
                }
                stopped.error = appendDurably(held, allBack ? journal::takenBackRecord(platform::processId())
                                                            : journal::undoEndedRecord(stopped.restored));
                if (!stopped.error) {
                    log.undoOpen = false;
                    if (allBack) log.takenBackBy = platform::processId();
                }
                opening.interrupted.push_back(stopped);
            }
        }
        // Known from this read: a journal of large batches is read once at start, not twice.
        Entry entry = journal::entryOf(name, log, held.bytes);
        entry.stamp = stampOf(*folder_, name);
        entry.nothingFound = stopped.state == State::NothingFound;
        kept.push_back(std::move(entry));
    }
    std::sort(kept.begin(), kept.end(), journal::before);
    entries_ = std::move(kept);
    keepWithinBounds();
    return opening;
}

// How a batch stands now: its file held elsewhere, its folder, what was found
// there. A batch that did not end is settled once its folder is back; one
// taken back is looked at once more and goes once the old names are shown by
// a later look.
Journal::Batch::State Journal::stateOf(Entry& entry, platform::FileSystem& fileSystem, std::optional<platform::SystemError>& error) {
    if (!entry.read) return State::HeldElsewhere;
    const platform::FolderProbe about = fileSystem.probeFolder(entry.folder);
    const FolderState here = folderState(about, entry.folderIdentity, entry.folderTrust, entry.volumeId,
                                         [&] { return fileSystem.volumeId(entry.folder); });
    if (here != FolderState::Here) {
        error = about.error;
        return stateOfFolder(here);
    }
    const bool settleNow = !entry.ended && !entry.nothingFound;
    const bool lookAgain = entry.takenBackBy && !entry.lookedAgain;
    if (settleNow || lookAgain) {
        Held held = holdAndRead(*folder_, entry.name);
        if (held.busy) return State::HeldElsewhere;
        if (!held.log) return entry.takenBackBy ? State::TakenBack : State::Ready;
        BatchLog& log = *held.log;
        const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
        if (!folder->about().isFolder) return State::FolderAway;
        if (settleNow && !log.ended) {
            const SettledBatch settled = settle(log, held, *folder, fileSystem);
            error = settled.error;
            entry.nothingFound = settled.settled.nothingFound;
            if (!settled.settled.nothingFound && settled.settled.made == 0) {
                removeBatch(held, *folder_, entry.name);
                entry.removed = true;
                return State::TakenBack;
            }
            const std::uint64_t size = held.bytes;
            entry = journal::entryOf(entry.name, log, size);
            entry.nothingFound = settled.settled.nothingFound;
        }
        if (lookAgain && log.takenBackBy) {
            entry.lookedAgain = true;
            const journal::Renamed renamed = journal::whatIsRenamed(log, *folder, fileSystem);
            if (!renamed.record.empty() && !renamed.nothingFound) {
                // The folder shows the new names again (a card pulled before they reached it): offered again.
                const std::optional<platform::SystemError> failed = appendDurably(held, journal::undoEndedRecord(0));
                if (!failed) {
                    entry.takenBackBy.reset();
                    entry.files = renamed.record.size();
                    entry.bytes = held.bytes;
                }
            } else if (renamed.record.empty() &&
                       (*log.takenBackBy != platform::processId() ||
                        fileSystem.makeNamesDurable(log.folder).answer == Answer::Durable)) {
                removeBatch(held, *folder_, entry.name);
                entry.removed = true;
            }
        }
    }
    if (entry.takenBackBy) return State::TakenBack;
    if (entry.nothingFound) return State::NothingFound;
    return State::Ready;
}

std::vector<Journal::Batch> Journal::batches(platform::FileSystem& fileSystem) {
    refresh();
    std::vector<Batch> batches;
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->removed) continue;
        Batch batch;
        if (entry->unreadable) {
            batch.state = State::Unreadable;
            batch.error = entry->unreadable;
        } else {
            batch.state = stateOf(*entry, fileSystem, batch.error);
        }
        if (entry->removed) continue; // nothing left to take back: gone just now
        batch.sequence = entry->sequence;
        batch.folder = entry->folder;
        batch.what = entry->what;
        batch.startedAt = entry->createdAt;
        batch.files = entry->ended ? entry->files : entry->planned;
        batches.push_back(std::move(batch));
    }
    std::erase_if(entries_, [](const Entry& entry) { return entry.removed; });
    return batches;
}

std::optional<Journal::Batch> Journal::latest(platform::FileSystem& fileSystem) {
    // A batch whose every file was given up holds nothing to take back; one another Norvane holds is not counted yet.
    for (Batch& batch : batches(fileSystem))
        if (batch.state != State::TakenBack && (batch.files > 0 || batch.state == State::HeldElsewhere)) return std::move(batch);
    return std::nullopt;
}

std::optional<platform::SystemError> Journal::giveUp(std::uint64_t sequence) {
    refresh();
    const auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.sequence == sequence; });
    if (!folder_ || entry == entries_.end()) return std::nullopt; // not kept: nothing to give up
    Held held = journal::holdOnly(*folder_, entry->name);
    if (held.busy) return held.error.value_or(platform::SystemError{0, {}, platform::SystemError::Reason::HeldByAnotherNorvane});
    if (held.openFailed) return held.error;
    held.file.reset();
    auto error = platform::removeOwnFile(batchPath(*folder_, entry->name));
    if (!error) entries_.erase(entry);
    return error;
}

} // namespace norvane
