// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the platform does without the engine: the loops the engine's own work
// is measured against.

#include <cstddef>
#include <string>
#include <vector>

namespace norvane::bench {

// The directory read with the per-entry type check the lists need, and the
// hidden test; it counts the files a list would show and keeps nothing.
std::size_t bareListing(const std::string& folder);

struct RenamePair {
    std::string from;
    std::string to;
};

// The no-replace rename over full paths folder/from -> folder/to, in order.
// Throws on the first refused move.
void bareRenames(const std::string& folder, const std::vector<RenamePair>& pairs);

// The same moves relative to the open folder: renameat2(fd, from, fd, to,
// RENAME_NOREPLACE), no path to build or walk. The cheapest way a program can
// make them. Throws on the first refused move.
void bareRenamesAt(const std::string& folder, const std::vector<RenamePair>& pairs);

// The same, each file then looked at under its new name (one statx), as a
// batch does to record which file it moved: what that record costs the loop.
void bareRenamesAtAndLook(const std::string& folder, const std::vector<RenamePair>& pairs);

// The same moves, each file looked at under its new name on a second thread
// as soon as it has moved, as a large batch does: the lookups' own share of
// the system (every path lookup reads what each rename changes) beside the
// loop, whatever the engine does around it.
void bareRenamesAtLookingBehind(const std::string& folder, const std::vector<RenamePair>& pairs);

// Puts every file back: folder/to -> folder/from, last pair first.
void undoRenames(const std::string& folder, const std::vector<RenamePair>& pairs);

} // namespace norvane::bench
