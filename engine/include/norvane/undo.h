// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Taking a batch back is a batch like any other: planned from the batch's
// record (each moved file from its new name back to its old one, latest
// first, so chains and swaps come back right), checked, then moved. A file
// that cannot go back stays where it is; the others go back without it.

#include "norvane/batch_record.h"
#include "norvane/platform.h"
#include "norvane/progress.h"
#include "norvane/rename_failure.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// A file that did not get its name back, and why.
struct UndoProblem {
    std::string name;    // where the file is now, relative to the batch's folder
    std::string oldName; // the name it was to get back
    RenameFailure::Kind kind = RenameFailure::Kind::NameTaken;
    std::optional<platform::SystemError> error;
    std::string heldBy; // for BlockedByAnother: the file that keeps the old name
};

struct UndoOutcome {
    std::string folder;
    std::size_t restored = 0;                // files that got their names back
    std::vector<UndoProblem> leftAlone;      // could not go back; they stay where they are
    std::optional<UndoProblem> stoppedAt;    // a move refused midway: it and those after it were not tried
    bool cancelled = false;                  // stopped by the user between two moves
    // The folder at the batch's path is no longer the one it renamed in: nothing was tried.
    bool folderReplaced = false;
    // The journal could not be told before the first move: nothing was tried.
    std::optional<platform::SystemError> notJournaled;
    // Cancelled midway, or stopped by a refused move: what is still to take back, for another undo.
    BatchRecord remaining;
};

// The files an undo moved back in the folder numbered `folder` (as it was
// opened for the undo), told once the moves are made, while the batch's
// record is still at hand: the i-th went from the name nameBefore(i) to
// nameAfter(i), latest of the batch's moves first.
struct MovedBack {
    platform::FileId folder;
    std::size_t count = 0;
    std::function<std::string_view(std::size_t)> nameBefore, nameAfter;
};
using TellMovedBack = std::function<void(const MovedBack&)>;

// `progress` may stop the undo between two moves; what it did not reach stays in `remaining`.
UndoOutcome Undo(const BatchRecord& record, platform::FileSystem& fileSystem = platform::nativeFileSystem(),
                 const ProgressCallback& progress = {});

// Whether taking the batch back changes what `folder` holds: the batch's own
// folder, or one it moved files into. Folders are compared as the system
// reaches them, not by spelling.
bool touchesFolder(const BatchRecord& record, const std::string& folder, platform::FileSystem& fileSystem);

} // namespace norvane
