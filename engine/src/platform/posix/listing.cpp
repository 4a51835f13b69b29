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

std::optional<SystemError> readEntries(int folder, const EntryListed& each) {
    const Reading reading(folder);
    if (reading.get() == nullptr) return errorOf(reading.error());
    const int fd = ::dirfd(reading.get());
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(reading.get());
        if (entry == nullptr) return errno != 0 ? std::optional(errorOf(errno)) : std::nullopt;
        const char* name = entry->d_name;
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
    const auto oneByOne = [&] {
        for (std::size_t n = 0; n < count; ++n) each(n, probeAt(folder, relativeName(nameAt(n))));
    };
    const Reading reading(folder);
    if (reading.get() == nullptr) return oneByOne();
    struct Listed {
        ino_t inode;
        std::uint32_t end; // of its name in `text`, where the next one starts
        unsigned char type;
    };
    std::string text;
    std::vector<Listed> entries;
    // A folder's size is about what its entries take: room for them at once
    // saves copying a large folder's names again and again as they grow.
    struct stat folderStatus {};
    const bool statusKnown = ::fstat(folder, &folderStatus) == 0;
    if (statusKnown && folderStatus.st_size > 0) {
        const auto bytes = static_cast<std::size_t>(folderStatus.st_size);
        text.reserve(bytes);
        entries.reserve(bytes / 24);
    }
    bool complete = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(reading.get());
        if (entry == nullptr) {
            complete = errno == 0;
            break;
        }
        text += entry->d_name;
        if (text.size() > UINT32_MAX) {
            complete = false; // more names than the table holds: each is probed on its own
            break;
        }
        entries.push_back({entry->d_ino, static_cast<std::uint32_t>(text.size()), entry->d_type});
    }
    const long nameMax = ::fpathconf(folder, _PC_NAME_MAX);
    if (!complete || nameMax <= 0) return oneByOne();
    const auto nameOf = [&](std::size_t i) {
        const std::size_t start = i == 0 ? 0 : entries[i - 1].end;
        return std::string_view(text).substr(start, entries[i].end - start);
    };
    const bool listedIds = statusKnown && traits.listsTrueInodes;

    const std::hash<std::string_view> hash;
    HashIndex present(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) present.insert(hash(nameOf(i)), static_cast<std::uint32_t>(i));
    // Where case is ignored, a plain name is free only if no entry folds like it.
    HashIndex folded(ignoresCase ? entries.size() : 0);
    if (ignoresCase)
        for (std::size_t i = 0; i < entries.size(); ++i) folded.insert(hash(foldCase(nameOf(i))), static_cast<std::uint32_t>(i));

    for (std::size_t n = 0; n < count; ++n) {
        const std::string_view name = nameAt(n);
        const auto listed = present.find(hash(name), [&](std::uint32_t i) { return nameOf(i) == name; });
        if (listed) {
            const auto kind = listedKind(entries[*listed].type);
            if (kind && listedIds) {
                FileIdentity identity;
                identity.id = FileId{static_cast<std::uint64_t>(folderStatus.st_dev), static_cast<std::uint64_t>(entries[*listed].inode)};
                each(n, PathProbe{*kind, std::nullopt, identity});
                continue;
            }
        } else {
            const bool fits = name.size() <= static_cast<std::size_t>(nameMax);
            const auto foldsAlike = [&] {
                const std::string key = foldCase(name);
                return folded.find(hash(key), [&](std::uint32_t i) { return foldCase(nameOf(i)) == key; }).has_value();
            };
            if (fits && plainName(name) && (!ignoresCase || !foldsAlike())) {
                each(n, PathProbe{}); // absent
                continue;
            }
        }
        each(n, probeAt(folder, relativeName(name)));
    }
}

} // namespace norvane::platform::posix
