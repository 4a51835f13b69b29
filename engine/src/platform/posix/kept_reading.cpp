// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A folder's read kept under an inotify watch: the file list's read then
// answers a batch's check, for as long as nothing in the folder changed.

#include "platform/posix/posix.h"

#include <cerrno>
#include <mutex>
#include <string>

#ifdef __linux__
#include <linux/magic.h>
#include <sys/inotify.h>
#endif

namespace norvane::platform::posix {

#ifdef __linux__

namespace {

// Every change that adds, removes or moves a name, or the folder itself; a
// write to a file changes nothing a probe from the read answers.
constexpr std::uint32_t namesChanged =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_ONLYDIR;

// Whether every change to the folder's file system passes through this
// kernel, so that a watch is told of it: a disk's own file system or tmpfs,
// not a share or a FUSE driver, which may serve what changed elsewhere.
bool watchSeesEveryChange(int folder) {
    switch (fileSystemTypeOf(folder).value_or(0)) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC:
    case ntfs3Magic:
    case oldNtfsMagic:
    case MSDOS_SUPER_MAGIC: // FAT
    case EXFAT_SUPER_MAGIC:
        return true;
    default: return false;
    }
}

class WatchedReading final : public KeptReading {
public:
    WatchedReading(Descriptor watch, const struct stat& folder)
        : watch_(std::move(watch)), device_(folder.st_dev), inode_(folder.st_ino) {}

    void end() override {
        const std::lock_guard lock(mutex_);
        watch_ = Descriptor();
    }

    // Whether `folder` is the one read, with nothing changed since: the watch
    // has nothing to tell. Anything at all it tells (an overflow or the
    // watch's own end included) ends the reading's answers for good.
    bool holds(int folder) {
        const std::lock_guard lock(mutex_);
        if (watch_.get() < 0) return false;
        struct stat status {};
        if (::fstat(folder, &status) != 0 || status.st_dev != device_ || status.st_ino != inode_) return false;
        alignas(inotify_event) char events[sizeof(inotify_event) + NAME_MAX + 1];
        const ssize_t got = ::read(watch_.get(), events, sizeof events);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        watch_ = Descriptor();
        return false;
    }

    FolderEntries entries;

private:
    std::mutex mutex_;
    Descriptor watch_;
    dev_t device_;
    ino_t inode_;
};

} // namespace

std::optional<SystemError> readEntriesKept(int folder, const EntryListed& each, std::shared_ptr<KeptReading>& kept) {
    kept.reset();
    struct stat status {};
    if (!watchSeesEveryChange(folder) || ::fstat(folder, &status) != 0) return readEntries(folder, each);
    Descriptor watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    // Through the descriptor, not the path: the watch is on the folder read,
    // whatever its path leads to meanwhile. Set before the read, so that a
    // change while it goes on is told too.
    const std::string self = "/proc/self/fd/" + std::to_string(folder);
    if (watch.get() < 0 || ::inotify_add_watch(watch.get(), self.c_str(), namesChanged) < 0) return readEntries(folder, each);
    auto reading = std::make_shared<WatchedReading>(std::move(watch), status);
    std::optional<SystemError> error = readEntries(folder, each, &reading->entries);
    if (!error && reading->entries.complete) kept = std::move(reading);
    return error;
}

const FolderEntries* entriesStillHeld(KeptReading* reading, int folder) {
    auto* watched = dynamic_cast<WatchedReading*>(reading);
    return watched != nullptr && watched->holds(folder) ? &watched->entries : nullptr;
}

#else

std::optional<SystemError> readEntriesKept(int folder, const EntryListed& each, std::shared_ptr<KeptReading>& kept) {
    kept.reset();
    return readEntries(folder, each);
}

const FolderEntries* entriesStillHeld(KeptReading*, int) { return nullptr; }

#endif

} // namespace norvane::platform::posix
