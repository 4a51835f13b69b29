// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Where a batch's files are now, read from its folder through the identity
// rules: what a batch that did not end made before it stopped, and what of
// it can still be taken back. Nothing here moves a file.

#include "journal/batch_file.h"
#include "norvane/batch_record.h"
#include "norvane/platform.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace norvane::journal {

// How many steps a batch made before it stopped without an end: the steps
// up to the first whose file is not at its new name while its own file still
// is at its old one. A file the crash left under a temporary name counts as
// made, and `parked` says where it is.
std::uint64_t stepsMade(const BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem,
                        std::map<std::uint64_t, std::string>& parked);

// What of an ended batch can still be taken back, as a record an undo takes:
// each made step not given up whose file is at its new name, or parked, or
// at neither (so that the undo names it as gone); not the steps whose file
// is back at its old name. `stepOf` maps each entry back to the batch's step.
struct Renamed {
    BatchRecord record;
    std::vector<std::uint64_t> stepOf;
    std::map<std::uint64_t, std::string> parked; // found parked by an undo that stopped mid-step
};
Renamed whatIsRenamed(const BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem);

} // namespace norvane::journal
