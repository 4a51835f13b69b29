#pragma once

#include "norvane/platform.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// What a batch moved, move by move, kept as it acts: exact whether the batch
// completed, stopped at a refused move or was cancelled. It is all an undo
// needs, and lives in memory only. Names are kept one after another in one
// piece of memory, about 32 bytes a move beside the names themselves.
class BatchRecord {
public:
    std::string folder; // every name below is relative to it
    // When the batch began, in nanoseconds since 1970: a file born later is
    // not one it moved, even under a reused inode.
    std::int64_t startedAt = 0;

    std::size_t size() const { return moves_.size(); }
    bool empty() const { return moves_.empty(); }

    // The name before move `i`, and after it; separators lead into other folders.
    std::string_view from(std::size_t i) const { return std::string_view(names_).substr(startOf(i), moves_[i].fromEnd - startOf(i)); }
    std::string_view to(std::size_t i) const {
        return std::string_view(names_).substr(moves_[i].fromEnd, moves_[i].toEnd - moves_[i].fromEnd);
    }
    // The file that moved, where the platform told.
    std::optional<platform::FileId> file(std::size_t i) const {
        if (moves_[i].file == platform::FileId{}) return std::nullopt;
        return moves_[i].file;
    }

    void add(std::string_view from, std::string_view to, std::optional<platform::FileId> file) {
        names_.append(from);
        const std::size_t fromEnd = names_.size();
        names_.append(to);
        moves_.push_back({fromEnd, names_.size(), file.value_or(platform::FileId{})});
    }
    // Room for that many moves and bytes of names more, so that a large batch
    // does not keep twice what it needs.
    void reserve(std::size_t moves, std::size_t nameBytes) {
        moves_.reserve(moves);
        names_.reserve(names_.size() + nameBytes);
    }

    // The memory it holds, in bytes.
    std::size_t memoryUsed() const { return names_.capacity() + moves_.capacity() * sizeof(Move); }

private:
    struct Move {
        std::size_t fromEnd; // in names_, where `to` starts
        std::size_t toEnd;   // where the next move's `from` starts
        platform::FileId file; // all zero where unknown: no file has that identity
    };
    std::size_t startOf(std::size_t i) const { return i == 0 ? 0 : moves_[i - 1].toEnd; }

    std::string names_;
    std::vector<Move> moves_;
};

} // namespace norvane
