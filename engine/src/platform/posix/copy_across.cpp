// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A move to another file system: copy to a fresh destination, and remove the
// source only once the copy is complete; a failure on the way leaves the
// source as it was and takes the copy back.

#include "platform/posix/posix.h"
#include "platform/copying_hook.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>

namespace norvane::platform {

namespace posix {

namespace {

std::optional<SystemError> copyContents(int from, int to, off_t& copied) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got == 0) return std::nullopt;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errorOf(errno);
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return errorOf(errno);
            }
            done += put;
        }
        copied += got;
    }
}

SystemError changedWhileCopied() {
    return SystemError{EBUSY, {}, SystemError::Reason::ChangedWhileCopied};
}

// An editor or a download saving over the file puts another inode at its
// name; writing to it in place changes its size or modification time.
bool unchanged(const struct stat& before, const struct stat& now) {
    return sameInode(before, now) && before.st_size == now.st_size && before.st_mtim.tv_sec == now.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == now.st_mtim.tv_nsec;
}

std::optional<std::string> linkText(int folder, const std::string& name) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    target.resize(static_cast<std::size_t>(length));
    return target;
}

// Writes a copy of a regular file at a destination that must not exist yet,
// with the source's mode and times, flushed to disk. `original` is what was
// copied, as its descriptor saw it before the first byte; `copy` is what was
// made, once something was.
std::optional<SystemError> copyRegularFile(int folder, const std::string& source, const std::string& destination,
                                           struct stat& original, std::optional<struct stat>& copy) {
    Descriptor from(::openat(folder, source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (from.get() < 0) return errorOf(errno);
    if (::fstat(from.get(), &original) != 0) return errorOf(errno);
    if (!S_ISREG(original.st_mode)) return errorOf(EINVAL);

    const mode_t mode = original.st_mode & 07777;
    Descriptor to(::openat(folder, destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (to.get() < 0) return errorOf(errno); // EEXIST: something is already there, untouched
    struct stat made {};
    if (::fstat(to.get(), &made) != 0) {
        const SystemError error = errorOf(errno);
        ::unlinkat(folder, destination.c_str(), 0); // just made with O_EXCL, and nothing to know it by later
        return error;
    }
    copy = made;

    off_t copied = 0;
    std::optional<SystemError> failure = copyContents(from.get(), to.get(), copied);
    if (!failure && copied != original.st_size) failure = changedWhileCopied(); // grown or cut short meanwhile
    const struct timespec times[2] = {original.st_atim, original.st_mtim};
    if (!failure && ::fchmod(to.get(), mode) != 0) failure = errorOf(errno);
    if (!failure && ::futimens(to.get(), times) != 0) failure = errorOf(errno);
    if (!failure && ::fsync(to.get()) != 0) failure = errorOf(errno);
    if (to.close() != 0 && !failure) failure = errorOf(errno);
    return failure;
}

std::optional<SystemError> copySymbolicLink(int folder, const std::string& source, const std::string& destination,
                                            std::string& target, std::optional<struct stat>& copy) {
    std::optional<std::string> text = linkText(folder, source);
    if (!text) return errorOf(errno);
    target = std::move(*text);
    if (::symlinkat(target.c_str(), folder, destination.c_str()) != 0) return errorOf(errno);
    struct stat made {};
    if (::fstatat(folder, destination.c_str(), &made, AT_SYMLINK_NOFOLLOW) != 0) {
        const SystemError error = errorOf(errno);
        ::unlinkat(folder, destination.c_str(), 0);
        return error;
    }
    copy = made;
    return std::nullopt;
}

// Removes the copy a move made, and nothing that has since taken its name.
void removeCopy(int folder, const std::string& destination, const struct stat& copy) {
    struct stat now {};
    if (::fstatat(folder, destination.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && sameInode(now, copy))
        ::unlinkat(folder, destination.c_str(), 0);
}

// The source goes only if it is still what was copied: a file saved over it or
// written to meanwhile stays, with its new content. Between this last look and
// the unlink remains one system call, in which a save would still be lost:
// POSIX has no unlink of a given inode, and renaming the source aside first
// could leave the user's file under a name of ours should anything fail there.
std::optional<SystemError> removeUnchangedSource(int folder, const std::string& source, const struct stat& original,
                                                 const std::string& target) {
    struct stat now {};
    if (::fstatat(folder, source.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return errorOf(errno);
    if (!unchanged(original, now) || (S_ISLNK(now.st_mode) && linkText(folder, source) != target)) return changedWhileCopied();
    if (::unlinkat(folder, source.c_str(), 0) != 0) return errorOf(errno);
    return std::nullopt;
}

} // namespace

std::optional<SystemError> moveByCopy(int folder, const std::string& from, const std::string& to) {
    struct stat original {};
    if (::fstatat(folder, from.c_str(), &original, AT_SYMLINK_NOFOLLOW) != 0) return errorOf(errno);
    std::optional<struct stat> copy;
    std::string target; // a symbolic link's text
    std::optional<SystemError> failure = S_ISLNK(original.st_mode)   ? copySymbolicLink(folder, from, to, target, copy)
                                         : S_ISREG(original.st_mode) ? copyRegularFile(folder, from, to, original, copy)
                                                                     : errorOf(EXDEV);
    copyingDone(from);
    if (!failure) failure = removeUnchangedSource(folder, from, original, target);
    if (failure && copy) removeCopy(folder, to, *copy); // keep one copy only: the original
    return failure;
}

} // namespace posix

} // namespace norvane::platform
