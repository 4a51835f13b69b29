// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Moves that never replace anything: the system's own refusal where the file
// system takes the flag, what comes closest where it does not.

#include "platform/posix/posix.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <mutex>

#include <sys/sysmacros.h>

#ifdef __linux__
#include <linux/fs.h> // RENAME_NOREPLACE
#include <sys/vfs.h>
#endif

namespace norvane::platform::posix {

// For file systems that can neither refuse an existing destination nor link
// (FAT, exFAT through FUSE): the destination is taken first, by creating it
// exclusively, so the rename that follows can only replace this empty file of
// ours, even where another program makes that name between the system's own
// look and the rename. Stamped with the placeholders' time, it is known for
// ours after a crash between the two, and never for a file's way back.
std::optional<SystemError> moveOntoPlaceholder(int folder, const std::string& from, const std::string& to) {
    struct stat ours {};
    {
        Descriptor placeholder(::openat(folder, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (placeholder.get() < 0) return errorOf(errno);
        stampPlaceholder(placeholder.get()); // a driver that cannot hold the time leaves a file no one can prove ours: kept
        if (::fstat(placeholder.get(), &ours) != 0) ours = {};
    }
    if (::renameat(folder, from.c_str(), folder, to.c_str()) == 0) return std::nullopt;
    const SystemError error = errorOf(errno);
    struct stat now {};
    if (::fstatat(folder, to.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && sameInode(now, ours) && now.st_size == 0)
        ::unlinkat(folder, to.c_str(), 0);
    return error;
}

namespace {

bool unsupported(int error) { return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK; }

// link() refuses an existing destination atomically, like RENAME_NOREPLACE.
std::optional<SystemError> moveByLink(int folder, const std::string& from, const std::string& to, MoveSupport& support) {
    if (support.hardLinks) {
        if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) == 0) {
            if (::unlinkat(folder, from.c_str(), 0) == 0) return std::nullopt;
            const SystemError error = errorOf(errno);
            ::unlinkat(folder, to.c_str(), 0);
            return error;
        }
        const int error = errno;
        if (error == EXDEV) return moveByCopy(folder, from, to);
        if (!unsupported(error)) return errorOf(error);
        support.hardLinks = false;
    }
    return moveOntoPlaceholder(folder, from, to);
}

} // namespace

std::optional<SystemError> moveNoReplace(int folder, const std::string& from, const std::string& to, MoveSupport& support) {
#ifdef RENAME_NOREPLACE
    if (support.noReplaceFlag) {
        if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) return std::nullopt;
        const int error = errno;
        if (error == EXDEV) return moveByCopy(folder, from, to);
        // The file system does not know the flag: fall back to what also refuses.
        if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return errorOf(error);
        if (error != EINVAL) {
            support.noReplaceFlag = false;
        } else {
            // EINVAL may be about the names as well; once a fallback moved
            // the same names, it was the flag, and it is not asked again.
            std::optional<SystemError> moved = moveByLink(folder, from, to, support);
            if (!moved) support.noReplaceFlag = false;
            return moved;
        }
    }
#endif
    return moveByLink(folder, from, to, support);
}

namespace {

std::mutex supportLock;
std::map<MountKey, MoveSupport>& supportByMount() {
    static std::map<MountKey, MoveSupport> known;
    return known;
}

} // namespace

MountKey mountKeyOf(int folder) {
    MountKey key;
#ifdef __linux__
    struct statfs information {};
    if (::fstatfs(folder, &information) == 0) key.type = static_cast<unsigned long>(information.f_type);
#endif
#if defined(STATX_MNT_ID)
    struct statx extended {};
    if (::statx(folder, "", AT_EMPTY_PATH, STATX_MNT_ID, &extended) == 0) {
        key.device = makedev(extended.stx_dev_major, extended.stx_dev_minor);
        if (extended.stx_mask & STATX_MNT_ID) key.mount = extended.stx_mnt_id;
        return key;
    }
#endif
    struct stat status {};
    if (::fstat(folder, &status) == 0) key.device = status.st_dev;
    return key;
}

// Should a key still come to another file system of the same kind, what the
// first refused only costs the second its fastest way, never its refusal of
// an existing name.
MoveSupport moveSupportOf(const MountKey& key) {
    const std::lock_guard<std::mutex> hold(supportLock);
    const auto found = supportByMount().find(key);
    return found == supportByMount().end() ? MoveSupport{} : found->second;
}

void rememberMoveSupport(const MountKey& key, const MoveSupport& support) {
    const std::lock_guard<std::mutex> hold(supportLock);
    supportByMount()[key] = support;
}

} // namespace norvane::platform::posix
