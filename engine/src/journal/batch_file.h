// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What one batch's journal file holds, record by record: its whole plan,
// written and made durable before the first move; marks of the moves made,
// now and then; its end; and what undos did with it. The truth of which file
// is where is always read from the folder: the file says what was meant.

#include "journal/records.h"
#include "norvane/batch_record.h"
#include "norvane/platform.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::journal {

enum RecordType : std::uint8_t {
    Begin = 1,     // who, when, which folder, how many steps
    Steps = 2,     // a run of planned steps: names, and the source as the check found it
    Planned = 3,   // the plan is whole; it is durable before the first move
    Moved = 4,     // a run of steps made, each file as found at its new name right after
    Ended = 5,     // how many steps the batch made, once it is over, or settled after a crash
    UndoBegan = 6, // an undo's process is about to move files back (its parking names)
    GivenUp = 7,   // steps an undo left where they are: no later undo offers them again
    Parked = 8,    // a step whose file a crash left under a temporary name
    UndoEnded = 9, // an undo is over: how many files it put back
    TakenBack = 10, // every file is back; kept until the folder shows the old names durable
};

// A batch's file, read back.
struct BatchLog {
    std::uint32_t version = 0;  // of the file's format, as read
    std::uint64_t sequence = 0; // orders the batches; 0 in files of format 1, which go by their names
    std::int64_t createdAt = 0; // for the boxes only
    std::uint32_t processId = 0;
    std::string what;           // the button's caption, or what else made the batch
    std::string folder;
    platform::FileIdentity folderIdentity;
    platform::IdentityTrust folderTrust = platform::IdentityTrust::Unstable;
    std::optional<std::string> volumeId; // the folder's volume, where the system names it
    std::uint64_t stepCount = 0;
    std::uint64_t stepsRead = 0; // planned steps read from the file, kept in `steps` or not
    // The planned steps; each file as best known: the source as checked, or,
    // for a step marked moved, the file as found after its move.
    BatchRecord steps;
    bool planned = false;              // the plan is whole, so moves may have begun
    std::uint64_t marked = 0;          // steps the marks cover, from the first
    std::optional<std::uint64_t> ended; // steps made, once over
    std::vector<std::uint32_t> undoProcesses;
    bool undoOpen = false;                // an undo began and did not end: it was cut short
    UndoOrder undoOrder = UndoOrder::LatestFirst; // the last undo's, as it began
    std::uint64_t undoRestored = 0;       // what the last ended undo put back
    std::optional<std::uint32_t> takenBackBy; // the process whose undo put every file back
    std::set<std::uint64_t> givenUp;
    std::map<std::uint64_t, std::string> parked; // step -> the name its file is parked under
};

// Steps and marks go this many to a record: a small record is told from
// damage more surely when a crash tears it.
constexpr std::uint64_t stepsPerRecord = 512;

// One planned step as a journal writes it.
struct PlannedStep {
    std::string_view from, to;
    platform::IdentityTrust trust = platform::IdentityTrust::Unstable; // of the folder the source lies in
    std::optional<platform::FileIdentity> source;                      // as the check found it
};
using PlannedStepAt = std::function<PlannedStep(std::size_t step)>;

// The records, ready to append. The first comes with the file's own start.
std::string beginRecord(const BatchLog& header);
void appendStepsRecord(std::string& out, std::uint64_t first, std::uint64_t count, const PlannedStepAt& stepAt);
std::string plannedRecord(std::uint64_t stepCount);
void appendMovedRecord(std::string& out, std::uint64_t first, const BatchRecord& moves, std::size_t from, std::size_t to);
std::string endedRecord(std::uint64_t made);
// In a file of `version`: before undoOrderSince, only latest first can be said.
std::string undoBeganRecord(std::uint32_t processId, UndoOrder order, std::uint32_t version);
std::string givenUpRecord(const std::vector<std::uint64_t>& steps);
std::string parkedRecord(std::uint64_t step, std::string_view name);
std::string undoEndedRecord(std::uint64_t restored);
std::string takenBackRecord(std::uint32_t processId);

// What a file's bytes say. nullopt with `fault` set where they are not a
// batch this version can use (not a journal, a newer format, a plan that
// cannot be read whole). Damage after a whole plan leaves the records
// before it standing (`damaged` says so): the plan is what an undo needs.
// A torn last record is left out, as a crash mid-write leaves it.
struct ReadBatch {
    std::optional<BatchLog> log;
    std::string fault;
    bool newer = false;            // a newer format: to be left as it is
    bool notAJournal = false;
    bool damaged = false;          // damage after the plan: the log holds what came before it
    std::uint64_t damagedAt = 0;   // where the first fault is, where there is one
    std::uint64_t validBytes = 0;  // where the whole records end: appends go there
};
// How much a reading keeps. Both check every record alike, so a file reads
// as whole, torn or damaged the same either way; `Summary` keeps no step and
// applies no mark, for the list of batches, which needs only the header and
// what followed the plan (a batch of a million files is some 50 MB of steps).
enum class Keep { Whole, Summary };
ReadBatch readBatch(Bytes& bytes, Keep keep = Keep::Whole);
ReadBatch readBatch(std::string_view bytes, Keep keep = Keep::Whole);

} // namespace norvane::journal
