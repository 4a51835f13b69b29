// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What kind of file system a folder lies on: whether it keeps its file
// numbers, which names it holds, and where its kind alone says so, whether it
// ignores letter case.

#include "platform/posix/posix.h"

#include <fstream>
#include <sstream>
#include <sys/sysmacros.h>

#ifdef __linux__
#include <fcntl.h>
#include <linux/fs.h> // FS_IOC_GETFLAGS
#include <sys/ioctl.h>
#include <sys/vfs.h>
#endif

namespace norvane::platform::posix {

#ifdef __linux__

namespace {

#ifndef FS_CASEFOLD_FL
#define FS_CASEFOLD_FL 0x40000000
#endif

constexpr unsigned long fuseMagic = 0x65735546UL;

// The mount a device number belongs to, from the mount table: its point and its type.
struct Mount {
    std::string point;
    std::string type; // "fuseblk", "fuse.sshfs", ...
};

std::optional<Mount> mountOf(dev_t device) {
    std::ifstream table("/proc/self/mountinfo");
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string line;
    std::optional<Mount> found;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, point, field;
        if (!(fields >> id >> parent >> numbers >> root >> point) || numbers != wanted) continue;
        // Optional fields end at a lone "-"; the type follows it.
        while (fields >> field && field != "-") {}
        std::string type;
        fields >> type;
        found = Mount{point, type}; // the last one listed is the one on top
    }
    return found;
}

// FUSE hands out its own numbers, counting from 1 at the mount's root, unless
// the file system passes its own on (ntfs-3g gives NTFS's record numbers).
bool fuseKeepsNumbers(const Mount& mount) {
    // The table escapes spaces and the like as octal; such a point is simply not found.
    struct stat root {};
    return ::stat(mount.point.c_str(), &root) == 0 && root.st_ino != 1;
}

bool keptAsWindowsNames(const std::string& fuseType) {
    // fuseblk is FUSE over a disk partition: ntfs-3g or exfat-fuse in practice.
    return fuseType == "fuseblk" || fuseType.find("fat") != std::string::npos || fuseType.find("ntfs") != std::string::npos;
}

} // namespace

VolumeTraits volumeTraits(int folder) {
    VolumeTraits traits;
    struct statfs information {};
    if (::fstatfs(folder, &information) != 0) {
        traits.trust = IdentityTrust::Unstable;
        return traits;
    }
    switch (static_cast<unsigned long>(information.f_type)) {
    case 0xef53UL:     // ext2, ext3, ext4
    case 0x58465342UL: // XFS
    case 0x9123683eUL: // Btrfs
    case 0x01021994UL: // tmpfs
    case 0xf2f52010UL: // F2FS
        traits.listsTrueInodes = true;
        break;
    case 0x7366746eUL: // NTFS (ntfs3)
    case 0x5346544eUL: // NTFS (the old driver)
        traits.names = NameRules::Windows;
        break;
    case 0x4d44UL:     // FAT
    case 0x2011bab0UL: // exFAT
    case 0xff534d42UL: // CIFS
    case 0xfe534d42UL: // SMB2
    case 0x517bUL:     // SMB
        traits.trust = IdentityTrust::Unstable;
        traits.names = NameRules::Windows;
        traits.ignoresCase = true;
        break;
    case 0x6969UL: // NFS: a share, whose numbers the server gives
        traits.trust = IdentityTrust::Unstable;
        break;
    case 0x482bUL: // HFS+
        traits.ignoresCase = true;
        break;
    case fuseMagic: {
        traits.fuse = true;
        struct stat self {};
        const std::optional<Mount> mount = ::fstat(folder, &self) == 0 ? mountOf(self.st_dev) : std::nullopt;
        traits.trust = mount && fuseKeepsNumbers(*mount) ? IdentityTrust::Stable : IdentityTrust::Unstable;
        if (mount && keptAsWindowsNames(mount->type)) traits.names = NameRules::Windows;
        if (mount && mount->type.find("fat") != std::string::npos) traits.ignoresCase = true;
        break;
    }
    default: {
        // Unknown: a disk's own file system keeps its numbers; one without a
        // device of its own (a share, a virtual file system) may not.
        struct stat self {};
        if (::fstat(folder, &self) != 0 || major(self.st_dev) == 0) traits.trust = IdentityTrust::Unstable;
        break;
    }
    }
    if (!traits.ignoresCase) {
        int flags = 0;
        if (::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0) traits.ignoresCase = true;
    }
    return traits;
}

#else

VolumeTraits volumeTraits(int) { return VolumeTraits{}; }

#endif

} // namespace norvane::platform::posix
