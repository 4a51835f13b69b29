// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The journal: every batch written down, and made durable, before its first
// move, so that a crash, a kill or a restart never leaves a user without a
// way back; and the undo stack, across sessions and folders. One file a
// batch, held by one process at a time, in the user's state folder. The file
// says what a batch meant to do; where the files are is read from the folder.

#include "norvane/platform.h"
#include "norvane/progress.h"
#include "norvane/undo.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace norvane {

namespace journal {
class BatchWriter;
struct Entry;
} // namespace journal

class Journal {
public:
    // What is kept: the latest 100 batches, and of them no more than 256 MiB
    // (a batch of a million files takes about 60 MB); past either the oldest
    // go first, and the latest batch is always kept whole.
    static constexpr std::size_t batchesKept = 100;
    static constexpr std::uint64_t bytesKept = std::uint64_t{256} << 20;

    // The journal in `folder`, made when the first batch is written; without
    // a folder no batch can be written, and none starts.
    explicit Journal(std::optional<std::string> folder);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // The user's own: $XDG_STATE_HOME/norvane, else ~/.local/state/norvane;
    // %LOCALAPPDATA%\Norvane on Windows.
    static std::optional<std::string> defaultFolder();
    const std::optional<std::string>& folder() const { return folder_; }

    // A batch that stopped without an end (a crash, a kill, a power cut), as
    // settled from its file and its folder: nothing was moved to settle it.
    struct Interrupted {
        std::string folder;
        std::string what; // the button's caption
        std::uint64_t renamed = 0;
        std::uint64_t planned = 0;
    };
    // A file that could not be read, moved into the journal's "set-aside" folder, never deleted.
    struct SetAside {
        std::string file;
        std::string reason;
    };
    struct Opening {
        std::vector<Interrupted> interrupted;
        std::vector<SetAside> setAside;
    };
    // Once, at start: reads every batch, settles those that did not end and
    // sets aside what cannot be read. Batches another running Norvane holds
    // are left to it.
    Opening open(platform::FileSystem& fileSystem);

    // The batch Ctrl+Z would take back now, of any session and folder.
    struct Latest {
        std::string folder;
        std::string what;
        std::uint64_t files = 0; // renamed by it, as far as the journal knows
    };
    std::optional<Latest> latest();

    // Takes the latest batch back as Undo() does, journaled as a batch is: a
    // crash meanwhile is settled at the next start. `refusal` says why
    // nothing was tried (another Norvane holds the batch; its file cannot be
    // read or written). A batch whose files are all back at their old names
    // already, or were given up, leaves the journal and the next one is taken.
    struct UndoResult {
        std::optional<UndoOutcome> outcome;
        std::string refusal;
    };
    UndoResult undoLatest(platform::FileSystem& fileSystem, const ProgressCallback& progress = {});

private:
    friend class journal::BatchWriter;
    void refresh();
    void keepWithinBounds();
    void recordWritten(const journal::Entry& entry);

    std::optional<std::string> folder_;
    std::vector<journal::Entry> entries_; // every batch known, oldest first
};

} // namespace norvane
