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
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#endif

namespace norvane::platform::posix {

#ifdef __linux__

namespace {

// The table writes a space, a tab, a newline and a backslash as octal escapes ("\040").
std::string unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto digit = [&](std::size_t at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && digit(i + 1) && digit(i + 2) && digit(i + 3)) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

} // namespace

std::optional<Mount> mountOf(dev_t device) {
    std::ifstream table("/proc/self/mountinfo");
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string line;
    std::optional<Mount> found;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, point, field;
        if (!(fields >> id >> parent >> numbers >> root >> point) || numbers != wanted) continue;
        // Optional fields end at a lone "-"; the type and the source follow it.
        while (fields >> field && field != "-") {}
        std::string type, source;
        fields >> type >> source;
        found = Mount{unescaped(point), type, unescaped(source)}; // the last one listed is the one on top
    }
    return found;
}

namespace {

#ifndef FS_CASEFOLD_FL
#define FS_CASEFOLD_FL 0x40000000
#endif

// FUSE hands out its own numbers, counting from 1 at the mount's root, unless
// the file system passes its own on (ntfs-3g gives NTFS's record numbers).
bool fuseKeepsNumbers(const Mount& mount) {
    struct stat root {};
    return ::stat(mount.point.c_str(), &root) == 0 && root.st_ino != 1;
}

bool keptAsWindowsNames(const std::string& fuseType) {
    // fuseblk is FUSE over a disk partition: ntfs-3g or exfat-fuse in practice.
    return fuseType == "fuseblk" || fuseType.find("fat") != std::string::npos || fuseType.find("ntfs") != std::string::npos;
}

} // namespace

std::optional<unsigned long> fileSystemTypeOf(int folder) {
    struct statfs information {};
    if (::fstatfs(folder, &information) != 0) return std::nullopt;
    return static_cast<unsigned long>(information.f_type);
}

VolumeTraits volumeTraits(int folder) {
    VolumeTraits traits;
    const std::optional<unsigned long> type = fileSystemTypeOf(folder);
    if (!type) {
        traits.trust = IdentityTrust::Unstable;
        return traits;
    }
    switch (*type) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC:
        traits.listsTrueInodes = true;
        break;
    case ntfs3Magic:
    case oldNtfsMagic:
        traits.names = NameRules::Windows;
        break;
    case MSDOS_SUPER_MAGIC: // FAT
    case EXFAT_SUPER_MAGIC:
    case CIFS_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
        traits.trust = IdentityTrust::Unstable;
        traits.names = NameRules::Windows;
        traits.ignoresCase = true;
        break;
    case NFS_SUPER_MAGIC: // a share, whose numbers the server gives
        traits.trust = IdentityTrust::Unstable;
        break;
    case hfsPlusMagic:
        traits.ignoresCase = true;
        break;
    case FUSE_SUPER_MAGIC: {
        traits.fuse = true;
        struct stat self {};
        const std::optional<Mount> mount = ::fstat(folder, &self) == 0 ? mountOf(self.st_dev) : std::nullopt;
        traits.trust = mount && fuseKeepsNumbers(*mount) ? IdentityTrust::Stable : IdentityTrust::Unstable;
        if (mount && keptAsWindowsNames(mount->type)) traits.names = NameRules::Windows;
        if (mount && mount->type.find("fat") != std::string::npos) traits.ignoresCase = true;
        // fusefat writes the time of the rename as a renamed file's last
        // write, seen once the kernel forgets what it had cached.
        if (mount && mount->type == "fuse.fusefat") traits.trust = IdentityTrust::Restamped;
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

std::optional<unsigned long> fileSystemTypeOf(int) { return std::nullopt; }
VolumeTraits volumeTraits(int) { return VolumeTraits{}; }
std::optional<Mount> mountOf(dev_t) { return std::nullopt; }

#endif

} // namespace norvane::platform::posix
