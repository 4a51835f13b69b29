#pragma once

// A real exFAT file system, the format of camera cards and USB sticks: an
// image made by mkfs.exfat, attached to a loop device and mounted through
// FUSE. It needs root and the packages exfatprogs and exfat-fuse; where it
// cannot be had, unavailable() says why and the tests using it skip.

#include "temp_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace norvane::testing {

class ExfatVolume {
public:
    ExfatVolume() {
#ifdef _WIN32
        reason_ = "exFAT volumes are mounted for the Linux tests only";
#else
        const std::string image = (scratch_.path() / "card.img").string();
        mountPoint_ = scratch_.path() / "card";
        std::filesystem::create_directory(mountPoint_);
        if (!shell("command -v mkfs.exfat && command -v mount.exfat-fuse && command -v losetup", nullptr))
            {
            reason_ = "mkfs.exfat, mount.exfat-fuse or losetup is not installed (packages exfatprogs, exfat-fuse)";
            return;
        }
        if (!shell("truncate -s 16M '" + image + "' && mkfs.exfat '" + image + "'", nullptr))
            {
            reason_ = "mkfs.exfat could not make an image";
            return;
        }
        std::string device;
        if (!shell("losetup -f --show '" + image + "'", &device) || device.empty())
            {
            reason_ = "no loop device (losetup needs root): " + device;
            return;
        }
        device_ = device;
        std::string output;
        if (!shell("mount.exfat-fuse '" + device_ + "' '" + mountPoint_.string() + "'", &output))
            {
            reason_ = "mount.exfat-fuse failed (FUSE needs /dev/fuse and root): " + output;
            return;
        }
        mounted_ = true;
#endif
    }
    ExfatVolume(const ExfatVolume&) = delete;
    ExfatVolume& operator=(const ExfatVolume&) = delete;
    ~ExfatVolume() {
        if (mounted_) shell("umount '" + mountPoint_.string() + "'", nullptr);
        if (!device_.empty()) shell("losetup -d '" + device_ + "'", nullptr);
    }

    const std::optional<std::string>& unavailable() const { return reason_; }
    const std::filesystem::path& path() const { return mountPoint_; }

private:
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

    TempFolder scratch_;
    std::filesystem::path mountPoint_;
    std::string device_;
    bool mounted_ = false;
    std::optional<std::string> reason_;
};

} // namespace norvane::testing
