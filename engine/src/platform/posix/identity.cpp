// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a file or folder is, and how to know it again: statx where the system
// has it, for the birth time, fstatat where it does not.

#include "platform/posix/posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/sysmacros.h>

namespace norvane::platform::posix {

namespace {

std::int64_t nanoseconds(std::int64_t seconds, std::int64_t nanos) { return seconds * 1000000000 + nanos; }

// Nothing there (ENOENT), or no way to tell.
PathProbe absent(int error) {
    if (error == ENOENT) return PathProbe{};
    return PathProbe{PathKind::Absent, errorOf(error), std::nullopt};
}

} // namespace

FileIdentity identityOf(const struct stat& status) {
    FileIdentity identity;
    identity.id = FileId{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    identity.stamp = FileStamp{static_cast<std::uint64_t>(status.st_size), nanoseconds(status.st_mtim.tv_sec, status.st_mtim.tv_nsec)};
    return identity;
}

PathKind kindOf(const struct stat& status) {
    if (S_ISREG(status.st_mode)) return PathKind::File;
    if (S_ISDIR(status.st_mode)) return PathKind::Folder;
    return PathKind::Other;
}

namespace {

// The status of a name at a folder, and its birth time where the file system keeps one.
int statusAt(int folder, const char* name, int flags, struct stat& status, std::optional<std::int64_t>& born) {
#ifdef STATX_BTIME
    struct statx extended {};
    constexpr unsigned wanted = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME;
    if (::statx(folder, name, flags, wanted, &extended) == 0) {
        status = {};
        status.st_mode = extended.stx_mode;
        status.st_dev = makedev(extended.stx_dev_major, extended.stx_dev_minor);
        status.st_ino = extended.stx_ino;
        status.st_size = static_cast<off_t>(extended.stx_size);
        status.st_mtim.tv_sec = extended.stx_mtime.tv_sec;
        status.st_mtim.tv_nsec = extended.stx_mtime.tv_nsec;
        if (extended.stx_mask & STATX_BTIME) born = nanoseconds(extended.stx_btime.tv_sec, extended.stx_btime.tv_nsec);
        return 0;
    }
    if (errno != ENOSYS) return -1;
#endif
    return ::fstatat(folder, name, &status, flags);
}

} // namespace

bool sameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

PathProbe probeAt(int folder, const std::string& name) {
    if (!usable(name)) return absent(EINVAL);
    struct stat status {};
    std::optional<std::int64_t> born;
    if (statusAt(folder, name.empty() ? "." : name.c_str(), AT_SYMLINK_NOFOLLOW, status, born) != 0) return absent(errno);
    PathProbe probe{kindOf(status), std::nullopt, identityOf(status)};
    probe.identity->born = born;
    probe.ownPlaceholder = isPlaceholder(probe.kind, probe.identity);
    return probe;
}

FolderProbe describeFolder(int folder, VolumeTraits* traitsOut) {
    FolderProbe result;
    struct stat status {};
    std::optional<std::int64_t> born;
    if (statusAt(folder, "", AT_EMPTY_PATH, status, born) != 0) {
        result.error = errorOf(errno);
        return result;
    }
    if (!S_ISDIR(status.st_mode)) {
        result.error = errorOf(ENOTDIR);
        return result;
    }
    result.isFolder = true;
    result.identity = identityOf(status);
    result.identity.born = born;
    result.identity.stamp.reset(); // a folder's size and time change with every rename in it
    const VolumeTraits traits = volumeTraits(folder);
    if (traitsOut) *traitsOut = traits;
    result.trust = traits.trust;
    result.names = traits.names;
    result.ignoresCase = folderIgnoresCase(folder, traits);
    return result;
}

FolderProbe probeFolderAt(int folder, const std::string& name) {
    if (!usable(name)) {
        FolderProbe result;
        result.error = errorOf(EINVAL);
        return result;
    }
    // A folder that cannot be read can still receive files: O_PATH reaches it all the same.
    Descriptor opened(::openat(folder, name.empty() ? "." : name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened.get() < 0 && errno == EACCES)
        opened = Descriptor(::openat(folder, name.empty() ? "." : name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (opened.get() < 0) {
        FolderProbe result;
        result.error = errorOf(errno);
        return result;
    }
    return describeFolder(opened.get());
}

} // namespace norvane::platform::posix
