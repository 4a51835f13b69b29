// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A real file system of the kind memory cards, USB sticks and Windows disks
// carry, through the same FUSE drivers a Linux desktop uses: an image made by
// mkfs, attached to a loop device and mounted. It needs root and the tools of
// its kind; where it cannot be had, unavailable() says why and the tests
// using it skip.

#include "temp_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace norvane::testing {

class Volume {
public:
    // Ext4 and Tmpfs stand for the computer's own disks, through the kernel's drivers.
    enum class Kind { Exfat, Fat, Ntfs, Ext4, Tmpfs };

    // `serial`: the volume's serial number as 8 hex digits ("1234ABCD"), for
    // exFAT and FAT; a random one where empty, as mkfs gives.
    explicit Volume(Kind kind = Kind::Exfat, const std::string& serial = {}) : kind_(kind) {
#ifdef _WIN32
        (void)kind;
        (void)serial;
        reason_ = "FAT, exFAT and NTFS volumes are mounted for the Linux tests only";
#else
        const Tools tools = toolsFor(kind);
        const std::string image = (scratch_.path() / "card.img").string();
        mountPoint_ = scratch_.path() / "card";
        std::filesystem::create_directory(mountPoint_);
        if (kind == Kind::Tmpfs) {
            if (!shell("mount -t tmpfs -o size=16M tmpfs '" + mountPoint_.string() + "'", nullptr)) {
                reason_ = "mounting a tmpfs needs root";
                return;
            }
            mounted_ = true;
            return;
        }
        if (!shell("command -v " + tools.mkfs + " && command -v " + tools.mount + " && command -v losetup", nullptr)) {
            reason_ = tools.mkfs + ", " + tools.mount + " or losetup is not installed (packages " + tools.packages + ")";
            return;
        }
        std::string serialOption, setSerial;
        if (!serial.empty() && kind == Kind::Fat) serialOption = " -i " + serial;
        if (!serial.empty() && kind == Kind::Exfat) setSerial = " && tune.exfat -I 0x" + serial + " '" + image + "'";
        if (!shell("truncate -s 16M '" + image + "' && " + tools.mkfs + " " + tools.mkfsOptions + serialOption + " '" + image + "'" +
                       setSerial,
                   nullptr)) {
            reason_ = tools.mkfs + " could not make an image";
            return;
        }
        std::string device;
        if (!shell("losetup -f --show '" + image + "'", &device) || device.empty()) {
            reason_ = "no loop device (losetup needs root): " + device;
            return;
        }
        device_ = device;
        if (!mount(tools)) return;
#endif
    }
    Volume(const Volume&) = delete;
    Volume& operator=(const Volume&) = delete;
    ~Volume() {
        if (mounted_) shell("umount '" + mountPoint_.string() + "'", nullptr);
        if (!device_.empty()) shell("losetup -d '" + device_ + "'", nullptr);
    }

    const std::optional<std::string>& unavailable() const { return reason_; }
    const std::filesystem::path& path() const { return mountPoint_; }

    // As when a card is taken out and put back in another slot: the driver
    // starts afresh on another device, so every number the system gave is new.
    bool remountElsewhere() {
        if (!shell("umount '" + mountPoint_.string() + "'", nullptr)) return false;
        mounted_ = false;
        std::string device;
        // Attached again before the old device goes, so that it cannot get the same number.
        if (!shell("losetup -f --show '" + (scratch_.path() / "card.img").string() + "'", &device) || device.empty()) return false;
        shell("losetup -d '" + device_ + "'", nullptr);
        device_ = device;
        return mount(toolsFor(kind_));
    }

    // What a card pulled now, or a power cut, leaves: a copy of the image as
    // the device holds it, mounted read-only with the same driver; the names
    // in `folder` of it, or nullopt where the copy could not be mounted.
    std::optional<std::set<std::string>> namesOnACopy(const std::string& folder = {}) const {
        if (kind_ == Kind::Tmpfs || device_.empty()) return std::nullopt;
        const std::filesystem::path copy = scratch_.path() / "copy.img", point = scratch_.path() / "copy";
        std::filesystem::create_directories(point);
        std::string device;
        if (!shell("cp '" + (scratch_.path() / "card.img").string() + "' '" + copy.string() + "'", nullptr) ||
            !shell("losetup -f --show '" + copy.string() + "'", &device) || device.empty())
            return std::nullopt;
        const Tools tools = toolsFor(kind_);
        const std::string readOnly = kind_ == Kind::Fat ? "-o ro" : "-o ro,noatime";
        std::optional<std::set<std::string>> names;
        if (shell(tools.mount + " " + readOnly + " '" + device + "' '" + point.string() + "'", nullptr)) {
            std::error_code error;
            names = std::filesystem::is_directory(point / folder, error) ? TempFolder::namesIn(point / folder) : std::set<std::string>{};
            shell("umount '" + point.string() + "'", nullptr);
        }
        shell("losetup -d '" + device + "'", nullptr);
        std::filesystem::remove(copy);
        return names;
    }

    // What memory pressure does at any moment: the kernel forgets the files it
    // knew, and FUSE drivers that hand out their own numbers number them anew.
    static bool dropCaches() { return shell("sync && echo 3 > /proc/sys/vm/drop_caches", nullptr); }

private:
    struct Tools {
        std::string mkfs, mkfsOptions, mount, mountOptions, packages;
    };
    static Tools toolsFor(Kind kind) {
        switch (kind) {
        case Kind::Exfat: return {"mkfs.exfat", "", "mount.exfat-fuse", "", "exfatprogs, exfat-fuse"};
        case Kind::Fat: return {"mkfs.vfat", "", "fusefat", "-o rw+", "dosfstools, fusefat"};
        case Kind::Ntfs: return {"mkntfs", "-F -q -f", "ntfs-3g", "", "ntfs-3g"};
        case Kind::Ext4: return {"mkfs.ext4", "-q -F", "mount", "", "e2fsprogs, mount"};
        case Kind::Tmpfs: return {"", "", "mount", "", "mount"};
        }
        return {};
    }

    bool mount(const Tools& tools) {
        std::string output;
        if (!shell(tools.mount + " " + tools.mountOptions + " '" + device_ + "' '" + mountPoint_.string() + "'", &output)) {
            reason_ = tools.mount + " failed (FUSE needs /dev/fuse and root): " + output;
            return false;
        }
        mounted_ = true;
        return true;
    }

    // Runs a command; the first line it prints, without the newline, goes to `firstLine`.
    static bool shell(const std::string& command, std::string* firstLine) {
#ifdef _WIN32
        (void)command;
        (void)firstLine;
        return false;
#else
        FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
        if (pipe == nullptr) return false;
        std::string first;
        char buffer[512];
        bool newline = false;
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            if (newline) continue; // drained, so the command never blocks on a full pipe
            first += buffer;
            newline = !first.empty() && first.back() == '\n';
        }
        const int status = ::pclose(pipe);
        while (!first.empty() && (first.back() == '\n' || first.back() == '\r')) first.pop_back();
        if (firstLine != nullptr) *firstLine = first;
        return status == 0;
#endif
    }

    Kind kind_ = Kind::Exfat;
    TempFolder scratch_;
    std::filesystem::path mountPoint_;
    std::string device_;
    bool mounted_ = false;
    std::optional<std::string> reason_;
};

} // namespace norvane::testing
