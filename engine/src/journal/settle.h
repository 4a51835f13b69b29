// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Where a batch's files are now, read from its folder through the identity
// rules: what a batch that did not end made before it stopped, and what of
// it can still be taken back; and the end such a batch gets in its file.
// Nothing here moves a file.

#include "journal/batch_file.h"
#include "journal/held_batch.h"
#include "norvane/batch_record.h"
#include "norvane/platform.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace norvane::journal {

// How far a batch got before it stopped without an end. A batch moves its
// files in order, so every step up to the last whose file is found at its new
// name was made, whatever became of some of them since (edited, deleted): a
// step at neither name is counted as missing and never ends the others. A
// file the crash left under a temporary name counts as made, and `parked`
// says where it is; a placeholder of the program's own at the new name of
// the step it was in is removed.
struct Settled {
    std::uint64_t made = 0;
    std::uint64_t missing = 0;  // of the steps made, those whose file is at neither name
    bool nothingFound = false;  // no file of the plan under either name: perhaps another card
    std::map<std::uint64_t, std::string> parked;
    // The step in flight where its file is under neither name (a card whose
    // driver writes a rename in two changes, cut between them): to be told.
    std::optional<std::uint64_t> underNeitherName;
};
Settled settleSteps(const BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem);

// What of an ended batch can still be taken back, as a record an undo takes:
// each made step not given up whose file is at its new name, or parked, or
// at neither (so that the undo names it as gone); not the steps whose file
// is back at its old name. `stepOf` maps each entry back to the batch's step.
struct Renamed {
    BatchRecord record;
    std::vector<std::uint64_t> stepOf;
    std::map<std::uint64_t, std::string> parked; // found parked by an undo that stopped mid-step
    bool nothingFound = false; // steps to take back, but none of their files under either name
    OldNamesSeen oldNames;     // where the record is the log's steps taken whole; else empty
};
Renamed whatIsRenamed(const BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem);
// The same, for a log read only to be taken back: where every step is made
// and every file still at its new name (the common case), the record is the
// log's own steps, taken from it, not a copy beside them; a million-file
// batch would otherwise hold its names and identities twice at the undo's
// peak. The log's steps are left empty then.
Renamed takeWhatIsRenamed(BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem);

// A batch that stopped without an end gets one: how far it got, read from its
// folder, and where the crash left a file parked. Later undos start from that.
struct SettledBatch {
    Settled settled;
    std::optional<platform::SystemError> error; // its end could not be made durable
};
SettledBatch settle(BatchLog& log, Held& held, platform::Folder& folder, platform::FileSystem& fileSystem);

// The folders an undo of `record` changes: its own and those its new names lead into.
std::vector<std::string> foldersTouched(const BatchRecord& record);
// The names in every folder an undo of `record` changes made durable: Durable only where every one of them promises it.
platform::Durability makeDurable(platform::FileSystem& fileSystem, const BatchRecord& record);

} // namespace norvane::journal
