// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which card a folder is on: the volume's own serial number or UUID, from its
// superblock, which stays the same in any slot and across remounts, where the
// device number and every file number change.

#include "platform/posix/posix.h"

#include "norvane/path.h"

#include <cerrno>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#ifdef NORVANE_HAVE_BLKID
#include <blkid.h>
#endif

namespace norvane::platform::posix {

namespace {

bool isBlockDevice(const std::string& path) {
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISBLK(status.st_mode);
}

// The arguments a process was started with; empty where it cannot be read.
std::vector<std::string> argumentsOf(const std::string& process) {
    std::ifstream file("/proc/" + process + "/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find('\0', start);
        arguments.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return arguments;
}

// Whether a driver's argument names the mount point. Drivers change to "/"
// once started, so a relative one can only be matched by how the point ends.
bool namesPoint(const std::string& argument, const std::string& point) {
    if (argument.empty()) return false;
    if (argument[0] == '/') return argument == point || argument + "/" == point || argument == point + "/";
    std::string relative = argument;
    while (relative.rfind("./", 0) == 0) relative.erase(0, 2);
    while (!relative.empty() && relative.back() == '/') relative.pop_back();
    return !relative.empty() && point.size() > relative.size() &&
           point.compare(point.size() - relative.size(), relative.size(), relative) == 0 &&
           point[point.size() - relative.size() - 1] == '/';
}

// A FUSE driver that does not name its device in the mount table (fusefat
// calls itself "fusefat" there) was started with it: the process of that
// program serving the mount point holds it among its arguments. Where two
// processes could be serving it, neither is taken.
// What the one process serving a mount says of it, `judge` reading each
// process's arguments; nothing where none or more than one answer.
template <typename Judge>
std::optional<std::string> fromTheOneServer(const Judge& judge) {
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr) return std::nullopt;
    std::optional<std::string> found;
    unsigned serving = 0;
    while (const dirent* entry = ::readdir(processes)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
        const std::vector<std::string> arguments = argumentsOf(entry->d_name);
        if (arguments.empty()) continue;
        if (std::optional<std::string> answer = judge(arguments)) {
            found = std::move(answer);
            ++serving;
        }
    }
    ::closedir(processes);
    return serving == 1 ? found : std::nullopt;
}

std::string programOf(const std::vector<std::string>& arguments) { return std::string(LastComponent(arguments[0])); }

std::optional<std::string> deviceOfDriver(const Mount& mount) {
    // "fuse.fusefat": the driver's program is called so; plain "fuse" or "fuseblk" names none.
    const std::size_t dot = mount.type.find('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::string program = mount.type.substr(dot + 1);
    return fromTheOneServer([&](const std::vector<std::string>& arguments) -> std::optional<std::string> {
        if (programOf(arguments) != program) return std::nullopt;
        bool servesPoint = false;
        std::optional<std::string> device;
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            if (arguments[i] == "-o") ++i; // the options' text, whatever it holds
            else if (arguments[i].rfind("/dev/", 0) == 0 && isBlockDevice(arguments[i])) device = arguments[i];
            else if (namesPoint(arguments[i], mount.point)) servesPoint = true;
        }
        return servesPoint ? device : std::nullopt;
    });
}

// The links udev keeps for everyone to read: /dev/disk/by-uuid/1234-ABCD -> ../../sdb1.
std::optional<std::string> idFromLinks(const std::string& device) {
    struct stat wanted {};
    if (::stat(device.c_str(), &wanted) != 0) return std::nullopt;
    const std::string folder = "/dev/disk/by-uuid";
    DIR* links = ::opendir(folder.c_str());
    if (links == nullptr) return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(links)) {
        if (entry->d_name[0] == '.') continue;
        struct stat target {};
        if (::stat((folder + "/" + entry->d_name).c_str(), &target) == 0 && S_ISBLK(target.st_mode) &&
            target.st_rdev == wanted.st_rdev) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(links);
    return found;
}

#ifdef NORVANE_HAVE_BLKID
// The superblock itself, where the process may read the device (root, or the group "disk").
std::optional<VolumeLabel> probedLabel(const std::string& device) {
    blkid_probe probe = ::blkid_new_probe_from_filename(device.c_str());
    if (probe == nullptr) return std::nullopt;
    ::blkid_probe_enable_superblocks(probe, 1);
    ::blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
    std::optional<VolumeLabel> label;
    if (::blkid_do_safeprobe(probe) == 0) {
        const char* type = nullptr;
        const char* id = nullptr;
        VolumeLabel found;
        if (::blkid_probe_lookup_value(probe, "TYPE", &type, nullptr) == 0 && type != nullptr) found.type = type;
        if (::blkid_probe_lookup_value(probe, "UUID", &id, nullptr) == 0 && id != nullptr) found.id = id;
        if (!found.type.empty() || !found.id.empty()) label = found;
    }
    ::blkid_free_probe(probe);
    return label;
}
#else
std::optional<VolumeLabel> probedLabel(const std::string&) { return std::nullopt; }
#endif

} // namespace

// For "fuseblk", whose source is the device: the program serving it, which
// tells exfat-fuse from ntfs-3g where the device itself cannot be read.
std::optional<std::string> fuseDriverOf(const Mount& mount) {
    return fromTheOneServer([&](const std::vector<std::string>& arguments) -> std::optional<std::string> {
        bool servesPoint = false, onDevice = false;
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            if (arguments[i] == "-o") ++i;
            else if (arguments[i] == mount.source) onDevice = true;
            else if (namesPoint(arguments[i], mount.point)) servesPoint = true;
        }
        return servesPoint && onDevice ? std::optional(programOf(arguments)) : std::nullopt;
    });
}

std::optional<std::string> blockDeviceOf(const Mount& mount) {
    if (isBlockDevice(mount.source)) return mount.source;
    if (mount.type.rfind("fuse", 0) == 0) return deviceOfDriver(mount);
    return std::nullopt;
}

// Read afresh every time: another card in the same slot may be on the very
// same device number, and a remembered answer would take it for the first.
std::optional<VolumeLabel> volumeLabelOf(int folder) {
    struct stat self {};
    if (::fstat(folder, &self) != 0) return std::nullopt;
    const std::optional<Mount> mount = mountOf(self.st_dev);
    if (!mount) return std::nullopt;
    const std::optional<std::string> device = blockDeviceOf(*mount);
    if (!device) return std::nullopt;
    std::optional<VolumeLabel> label = probedLabel(*device);
    if (!label || label->id.empty()) {
        if (const std::optional<std::string> linked = idFromLinks(*device)) {
            if (!label) label = VolumeLabel{};
            label->id = *linked;
        }
    }
    return label;
}

} // namespace norvane::platform::posix
