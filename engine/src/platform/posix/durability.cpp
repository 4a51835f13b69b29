// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// When a rename is on the card: what each driver honours of a request to
// write a folder's names, as measured over loop devices by copying the image
// right after the request and mounting the copy. And the empty placeholders
// a move on a card makes, stamped so that they are provably the program's own.

#include "platform/posix/posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef __linux__
#include <linux/magic.h>
#endif

namespace norvane::platform::posix {

namespace {

// The device under a driver that writes to it directly: its own fsync where
// the process may open it (root, the group "disk"), which also empties the
// device's write cache; else the whole system's sync, which writes every
// device's cached blocks and waits for them on Linux.
Durability syncDeviceOf(int folder) {
    struct stat self {};
    const std::optional<Mount> mount = ::fstat(folder, &self) == 0 ? mountOf(self.st_dev) : std::nullopt;
    const std::optional<std::string> device = mount ? blockDeviceOf(*mount) : std::nullopt;
    if (device) {
        const Descriptor opened(::open(device->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (opened.get() >= 0) {
            if (::fsync(opened.get()) == 0) return Durability{Durability::Answer::Durable, std::nullopt};
            return Durability{Durability::Answer::NotPromised, errorOf(errno)};
        }
    }
#ifdef __linux__
    ::sync();
    return Durability{Durability::Answer::Durable, std::nullopt};
#else
    return Durability{Durability::Answer::NotPromised, std::nullopt};
#endif
}

} // namespace

NameSync nameSyncOf(int folder) {
#ifdef __linux__
    if (fileSystemTypeOf(folder) != FUSE_SUPER_MAGIC)
        return NameSync::Folder; // a kernel driver writes a folder's entries on its fsync, or refuses it (EINVAL)
    struct stat self {};
    const std::optional<Mount> mount = ::fstat(folder, &self) == 0 ? mountOf(self.st_dev) : std::nullopt;
    // FUSE answers a folder's fsync with success where the driver does not
    // implement it, so success alone promises nothing: only drivers measured
    // to write the folder on it are asked. exfat-fuse and ntfs-3g both mount
    // as "fuseblk"; the volume's own superblock tells them apart.
    if (mount && mount->type == "fuseblk") {
        const std::optional<VolumeLabel> label = volumeLabelOf(folder);
        if (label && (label->type == "exfat" || label->type == "ntfs")) return NameSync::Folder;
        // A device the user may not read: the driver's program says which it is.
        const std::optional<std::string> program = fuseDriverOf(*mount);
        for (const char* measured : {"mount.exfat-fuse", "exfat-fuse", "mount.exfat", "ntfs-3g", "mount.ntfs-3g", "lowntfs-3g", "mount.ntfs"})
            if (program == measured) return NameSync::Folder;
    }
    // fusefat honours no sync of its own, not even the file system's, but
    // writes each change to its device as it makes it: what the device's
    // cache holds is written by syncing the device.
    if (mount && mount->type == "fuse.fusefat") return NameSync::Device;
    return NameSync::Nothing;
#else
    (void)folder;
    return NameSync::Folder;
#endif
}

Durability makeNamesDurableAt(int folder) {
    const NameSync sync = nameSyncOf(folder);
    // A folder held only to be reached (O_PATH) cannot be synced; a readable
    // descriptor of it can.
    Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int at = readable.get() >= 0 ? readable.get() : folder;
    if (sync == NameSync::Nothing) {
        // Asked all the same, in case a later version of the driver honours it.
        ::fsync(at);
        return Durability{Durability::Answer::NotPromised, std::nullopt};
    }
    if (sync == NameSync::Device) {
        ::fsync(at); // what the driver holds back, should a later version hold any
        return syncDeviceOf(at);
    }
    if (sync == NameSync::Folder) {
        if (::fsync(at) == 0) return Durability{Durability::Answer::Durable, std::nullopt};
        if (errno != EINVAL) return Durability{Durability::Answer::NotPromised, errorOf(errno)};
    }
#ifdef __linux__
    // A file system that cannot sync a folder alone (EINVAL) writes everything at once.
    if (::syncfs(at) == 0) return Durability{Durability::Answer::Durable, std::nullopt};
    return Durability{Durability::Answer::NotPromised, errorOf(errno)};
#else
    ::sync();
    return Durability{Durability::Answer::NotPromised, std::nullopt};
#endif
}

std::optional<SystemError> stampPlaceholder(int placeholder) {
    constexpr std::int64_t second = 1000000000;
    const struct timespec stamp = {static_cast<time_t>(placeholderTime / second), static_cast<long>(placeholderTime % second)};
    const struct timespec times[2] = {stamp, stamp};
    if (::futimens(placeholder, times) != 0) return errorOf(errno);
    return std::nullopt;
}

namespace {

bool placeholderStatus(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_size == 0 &&
           static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec == placeholderTime;
}

} // namespace

bool isOwnPlaceholderAt(int folder, const std::string& name) {
    struct stat status {};
    return usable(name) && !name.empty() && ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           placeholderStatus(status);
}

namespace {

// The file is held open while it is judged, and its name must still lead to
// it, unchanged, right before the name goes: a file another program put there
// meanwhile is another file and stays.
template <typename Judge>
PlaceholderRemoval removeJudgedAt(int folder, const std::string& name, const Judge& isPlaceholder) {
    if (!usable(name) || name.empty()) return {};
    const Descriptor held(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (held.get() < 0) return PlaceholderRemoval{false, errno == ENOENT || errno == ELOOP ? std::nullopt : std::optional(errorOf(errno))};
    struct stat opened {}, named {};
    if (::fstat(held.get(), &opened) != 0) return PlaceholderRemoval{false, errorOf(errno)};
    if (!isPlaceholder(opened)) return {};
    if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_dev != opened.st_dev ||
        named.st_ino != opened.st_ino || !isPlaceholder(named))
        return {};
    if (::unlinkat(folder, name.c_str(), 0) != 0) return PlaceholderRemoval{false, errorOf(errno)};
    return PlaceholderRemoval{true, std::nullopt};
}

} // namespace

PlaceholderRemoval removeOwnPlaceholderAt(int folder, const std::string& name) {
    return removeJudgedAt(folder, name, placeholderStatus);
}

PlaceholderRemoval removeUnstampedPlaceholderAt(int folder, const std::string& name, std::int64_t since) {
    return removeJudgedAt(folder, name, [since](const struct stat& status) {
        return S_ISREG(status.st_mode) && status.st_size == 0 &&
               static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec >= since;
    });
}

} // namespace norvane::platform::posix
