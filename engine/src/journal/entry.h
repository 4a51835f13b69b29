// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the journal keeps in memory of each batch file, so that a list of the
// batches does not read every file again.

#include "journal/batch_file.h"
#include "norvane/platform.h"

#include <cstdint>
#include <optional>
#include <string>

namespace norvane::journal {

// What the journal knows of one batch's file without reading all of it again.
struct Entry {
    std::string name;           // the file's, in the journal's folder of batches
    std::uint64_t sequence = 0; // orders the batches; 0 for format 1, whose names order them, below every other
    std::int64_t createdAt = 0;
    std::string folder, what;
    std::uint64_t files = 0;    // renamed by it and not given up, as far as the journal knows
    std::uint64_t planned = 0;
    std::uint64_t bytes = 0;
    std::optional<platform::FileStamp> stamp; // the file's size and last write when read: a file that changed is read again
    bool read = false;          // false: held by another Norvane since before this one first saw it
    bool ended = false;
    std::optional<std::uint32_t> takenBackBy;
    bool nothingFound = false;  // as the last look at its folder found
    bool lookedAgain = false;   // taken back, and looked at once more by this process
    bool removed = false;       // its file went since the list was read
    std::optional<platform::SystemError> unreadable; // the system refused to open or read it
    platform::FileIdentity folderIdentity;
    platform::IdentityTrust folderTrust = platform::IdentityTrust::Unstable;
    std::optional<std::string> volumeId;
};

// The files a batch renamed and no undo gave up.
std::uint64_t filesOf(const BatchLog& log);
// What a batch file read whole says, as the journal keeps it.
Entry entryOf(std::string name, const BatchLog& log, std::uint64_t bytes);
// The batches' order: by sequence, then by name.
bool before(const Entry& a, const Entry& b);

} // namespace norvane::journal
