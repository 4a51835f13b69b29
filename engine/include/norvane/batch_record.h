#pragma once

#include "norvane/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace norvane {

// One move a batch made, its names relative to the batch's folder.
struct RecordedMove {
    std::string from;                      // the name before the move
    std::string to;                        // the name after it; separators lead into other folders
    std::optional<platform::FileId> file;  // the file that moved, where the platform told
};

// What a batch moved, move by move, kept as it acts: exact whether the batch
// completed, stopped at a refused move or was cancelled. It is all an undo
// needs, and lives in memory only.
struct BatchRecord {
    std::string folder;
    // When the batch began, in nanoseconds since 1970: a file born later is
    // not one it moved, even under a reused inode.
    std::int64_t startedAt = 0;
    std::vector<RecordedMove> moves; // in the order they were made
};

} // namespace norvane
