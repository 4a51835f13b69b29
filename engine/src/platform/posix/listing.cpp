// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reading a folder: its entries for the lists, and the answers one read
// gives for many names at once.

#include "platform/posix/posix.h"

#include "hash_index.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <vector>

namespace norvane::platform::posix {

namespace {

// A reading of an open folder from its start, closed on every way out; the
// folder's own descriptor stays open.
class Reading {
public:
    explicit Reading(int folder) {
        const int copy = ::dup(folder);
        directory_ = copy < 0 ? nullptr : ::fdopendir(copy);
        if (directory_ == nullptr) {
            error_ = errno;
            if (copy >= 0) ::close(copy);
            return;
        }
        ::rewinddir(directory_); // a duplicated descriptor shares its position with the first
    }
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;
    ~Reading() {
        if (directory_ != nullptr) ::closedir(directory_);
    }
    DIR* get() const { return directory_; }
    int error() const { return error_; }

private:
    DIR* directory_ = nullptr;
    int error_ = 0;
};

bool dotOrDotDot(const char* name) { return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')); }

// Printable ASCII only: such a name means the same bytes to every file system,
// which none refuses for its characters, and which folds alike everywhere.
bool plainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name)
        if (c < 0x20 || c > 0x7e || c == '/') return false;
    return true;
}

// What a folder entry's type says of it as lstat would; nullopt where the
// folder did not tell.
std::optional<PathKind> listedKind(unsigned char type) {
    switch (type) {
    case DT_UNKNOWN: return std::nullopt;
    case DT_REG: return PathKind::File;
    case DT_DIR: return PathKind::Folder;
    default: return PathKind::Other;
    }
}

} // namespace

void FolderEntries::reserveFor(off_t folderSize) {
    if (folderSize <= 0) return;
    const auto bytes = static_cast<std::size_t>(folderSize);
    text.reserve(bytes);
    entries.reserve(bytes / 24);
}

void FolderEntries::add(const char* name, ino_t inode, unsigned char type) {
    if (!complete) return;
    text += name;
    if (text.size() > UINT32_MAX) {
        complete = false; // more names than the table holds: each is probed on its own
        return;
    }
    entries.push_back({inode, static_cast<std::uint32_t>(text.size()), type});
}

std::optional<SystemError> readEntries(int folder, const EntryListed& each, FolderEntries* kept) {
    const Reading reading(folder);
    if (reading.get() == nullptr) return errorOf(reading.error());
    const int fd = ::dirfd(reading.get());
    if (kept != nullptr) {
        struct stat status {};
        if (::fstat(fd, &status) == 0) kept->reserveFor(status.st_size);
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(reading.get());
        if (entry == nullptr) return errno != 0 ? std::optional(errorOf(errno)) : std::nullopt;
        const char* name = entry->d_name;
        if (kept != nullptr) kept->add(name, entry->d_ino, entry->d_type);
        if (dotOrDotDot(name)) continue;
        EntryKind kind = EntryKind::Other;
        if (entry->d_type == DT_REG) {
            kind = EntryKind::File;
        } else if (entry->d_type == DT_DIR) {
            kind = EntryKind::Folder;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat status {}; // follows a link: what it points to decides
            if (::fstatat(fd, name, &status, 0) == 0) kind = S_ISREG(status.st_mode) ? EntryKind::File
                                                             : S_ISDIR(status.st_mode) ? EntryKind::Folder
                                                                                       : EntryKind::Other;
        }
        each(name, kind, name[0] == '.');
    }
}

// One read of the folder answers for the names it holds, and for the plain
// names it does not hold; every other name is probed on its own. The
// folder's names are kept in one piece of memory and found through a table
// of hashes: at a million entries, strings and nodes of their own would cost
// several times the names.
void probeNamesAt(int folder, const VolumeTraits& traits, bool ignoresCase, std::size_t count, const NameAt& nameAt,
                  const NameProbed& each) {
    const Reading reading(folder);
    FolderEntries read;
    read.complete = reading.get() != nullptr;
    // A folder's size is about what its entries take: room for them at once
    // saves copying a large folder's names again and again as they grow.
    struct stat folderStatus {};
    if (read.complete && ::fstat(folder, &folderStatus) == 0) read.reserveFor(folderStatus.st_size);
    while (read.complete) {
        errno = 0;
        const dirent* entry = ::readdir(reading.get());
        if (entry == nullptr) {
            if (errno != 0) read.complete = false;
            break;
        }
        read.add(entry->d_name, entry->d_ino, entry->d_type);
    }
    // A read cut short answers nothing: each name is probed on its own.
    const FolderEntries none;
    const EntriesIndex index(read.complete ? read : none, ignoresCase);
    probeNamesFrom(folder, read, index, traits, ignoresCase, count, nameAt, each);
}

EntriesIndex::EntriesIndex(const FolderEntries& read, bool ignoresCase)
    : of(&read), present(read.entries.size()), folded(ignoresCase ? read.entries.size() : 0) {
    const std::hash<std::string_view> hash;
    const std::size_t count = read.entries.size();
    // The names come in order, their slots do not.
    present.inTurnAskingAhead(
        count, [&](std::size_t i) { return hash(read.nameOf(i)); },
        [&](std::size_t i, std::uint64_t nameHash) { present.insert(nameHash, static_cast<std::uint32_t>(i)); });
    if (ignoresCase)
        for (std::size_t i = 0; i < count; ++i) folded.insert(hash(foldCase(read.nameOf(i))), static_cast<std::uint32_t>(i));
}

void probeNamesFrom(int folder, const FolderEntries& read, const EntriesIndex& index, const VolumeTraits& traits,
                    bool ignoresCase, std::size_t count, const NameAt& nameAt, const NameProbed& each) {
    const auto oneByOne = [&] {
        for (std::size_t n = 0; n < count; ++n) each(n, probeAt(folder, relativeName(nameAt(n))));
    };
    struct stat folderStatus {};
    const bool statusKnown = ::fstat(folder, &folderStatus) == 0;
    const long nameMax = ::fpathconf(folder, _PC_NAME_MAX);
    if (!read.complete || nameMax <= 0) return oneByOne();
    const auto& entries = read.entries;
    const bool listedIds = statusKnown && traits.listsTrueInodes;
    const std::hash<std::string_view> hash;
    const HashIndex& present = index.present;
    const HashIndex& folded = index.folded;

    present.inTurnAskingAhead(count, [&](std::size_t n) { return hash(nameAt(n)); }, [&](std::size_t n, std::uint64_t nameHash) {
        const std::string_view name = nameAt(n);
        const auto listed = present.find(nameHash, [&](std::uint32_t i) { return read.nameOf(i) == name; });
        if (listed) {
            const auto kind = listedKind(entries[*listed].type);
            if (kind && listedIds) {
                FileIdentity identity;
                identity.id = FileId{static_cast<std::uint64_t>(folderStatus.st_dev), static_cast<std::uint64_t>(entries[*listed].inode)};
                return each(n, PathProbe{*kind, std::nullopt, identity});
            }
        } else {
            const bool fits = name.size() <= static_cast<std::size_t>(nameMax);
            const auto foldsAlike = [&] {
                const std::string key = foldCase(name);
                return folded.find(hash(key), [&](std::uint32_t i) { return foldCase(read.nameOf(i)) == key; }).has_value();
            };
            if (fits && plainName(name) && (!ignoresCase || !foldsAlike())) return each(n, PathProbe{}); // absent
        }
        each(n, probeAt(folder, relativeName(name)));
    });
}

} // namespace norvane::platform::posix
