// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
// needs. Names are kept one after another in one piece of memory, 64 bytes a
// move beside the names themselves.
class BatchRecord {
public:
    std::string folder; // every name below is relative to it
    // The folder the batch held open, to know it again: an undo in another folder of the same path refuses.
    platform::FileIdentity folderIdentity;
    platform::IdentityTrust folderTrust = platform::IdentityTrust::Unstable;

    std::size_t size() const { return moves_.size(); }
    bool empty() const { return moves_.empty(); }

    // The name before move `i`, and after it; separators lead into other folders.
    std::string_view from(std::size_t i) const { return std::string_view(names_).substr(startOf(i), moves_[i].fromEnd - startOf(i)); }
    std::string_view to(std::size_t i) const {
        return std::string_view(names_).substr(moves_[i].fromEnd, moves_[i].toEnd - moves_[i].fromEnd);
    }
    // The file as the system showed it at its new name just after the move
    // (a file system may number a file afresh when it is renamed), where it
    // told; and how far the numbers of the folder it went to hold.
    std::optional<platform::FileIdentity> file(std::size_t i) const;
    platform::IdentityTrust trust(std::size_t i) const {
        return moves_[i].flags & stableFlag      ? platform::IdentityTrust::Stable
               : moves_[i].flags & restampedFlag ? platform::IdentityTrust::Restamped
                                                 : platform::IdentityTrust::Unstable;
    }

    void add(std::string_view from, std::string_view to, const std::optional<platform::FileIdentity>& file,
             platform::IdentityTrust trust);
    // What is known of move `i`'s file, learned later (a journal's marks).
    void setFile(std::size_t i, const std::optional<platform::FileIdentity>& file, platform::IdentityTrust trust);
    // Room for that many moves and bytes of names more, so that a large batch
    // does not keep twice what it needs.
    void reserve(std::size_t moves, std::size_t nameBytes) {
        moves_.reserve(moves);
        names_.reserve(names_.size() + nameBytes);
    }

    // The memory it holds, in bytes.
    std::size_t memoryUsed() const { return folder.capacity() + names_.capacity() + moves_.capacity() * sizeof(Move); }

private:
    static constexpr std::uint8_t knownFlag = 1, bornFlag = 2, stampFlag = 4, stableFlag = 8, restampedFlag = 16;
    struct Move {
        std::size_t fromEnd; // in names_, where `to` starts
        std::size_t toEnd;   // where the next move's `from` starts
        platform::FileId id;
        std::int64_t born;
        platform::FileStamp stamp;
        std::uint8_t flags; // which of the above are known, and the trust
    };
    std::size_t startOf(std::size_t i) const { return i == 0 ? 0 : moves_[i - 1].toEnd; }

    std::string names_;
    std::vector<Move> moves_;
};

// What a look at the folder made just before an undo found at each move's old
// name, in the record's order: the undo's check goes by it instead of reading
// a large folder once more. AskAgain where the look could not tell.
enum class OldNameSeen : std::uint8_t { Free, Taken, AskAgain };
using OldNamesSeen = std::vector<OldNameSeen>;

// The order an undo moves files back in. Latest first always holds, since a
// batch may have moved 'b' to 'c' before 'a' to 'b'; the batch's own order
// holds where no old name is taken, and is the faster on tmpfs. The journal
// records which, since a crash's settle finds the move under way by it.
enum class UndoOrder : std::uint8_t { LatestFirst, AsMade };

// What a file found at a name is beside the file a record holds for it.
// AskAgain where the look could not tell.
enum class FoundAtName : std::uint8_t { SameFile, Gone, CannotTell, Replaced, Changed, AskAgain };

} // namespace norvane
