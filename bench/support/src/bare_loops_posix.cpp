// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef _GNU_SOURCE
#define _GNU_SOURCE // renameat2
#endif

#include "norvane_bench/bare_loops.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::bench {

std::size_t bareListing(const std::string& folder) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) throw std::runtime_error("cannot read " + folder + ": " + std::strerror(errno));
    const int fd = ::dirfd(directory);
    std::size_t files = 0;
    while (const dirent* entry = ::readdir(directory)) {
        const char* name = entry->d_name;
        if (name[0] == '.') continue; // ".", ".." and hidden files
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat status {};
            isFile = ::fstatat(fd, name, &status, 0) == 0 && S_ISREG(status.st_mode);
        }
        if (isFile) ++files;
    }
    ::closedir(directory);
    return files;
}

namespace {

// Full paths built in buffers that live across the loop, as a plain program would.
class PathPair {
public:
    explicit PathPair(const std::string& folder) : source_(folder + '/'), destination_(folder + '/'), stem_(source_.size()) {}

    void rename(const std::string& from, const std::string& to) {
        source_.resize(stem_);
        source_ += from;
        destination_.resize(stem_);
        destination_ += to;
        if (::renameat2(AT_FDCWD, source_.c_str(), AT_FDCWD, destination_.c_str(), RENAME_NOREPLACE) != 0)
            throw std::runtime_error("cannot move " + source_ + " to " + destination_ + ": " + std::strerror(errno));
    }

private:
    std::string source_;
    std::string destination_;
    std::size_t stem_;
};

} // namespace

void bareRenames(const std::string& folder, const std::vector<RenamePair>& pairs) {
    PathPair paths(folder);
    for (const RenamePair& pair : pairs) paths.rename(pair.from, pair.to);
}

namespace {

void renamesAt(const std::string& folder, const std::vector<RenamePair>& pairs, bool look) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + folder + ": " + std::strerror(errno));
    for (const RenamePair& pair : pairs) {
        if (::renameat2(fd, pair.from.c_str(), fd, pair.to.c_str(), RENAME_NOREPLACE) != 0) {
            const int error = errno;
            ::close(fd);
            throw std::runtime_error("cannot move " + pair.from + " to " + pair.to + " in " + folder + ": " + std::strerror(error));
        }
        struct statx found {};
        if (look && ::statx(fd, pair.to.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &found) != 0) {
            const int error = errno;
            ::close(fd);
            throw std::runtime_error("cannot look at " + pair.to + " in " + folder + ": " + std::strerror(error));
        }
    }
    ::close(fd);
}

} // namespace

void bareRenamesAt(const std::string& folder, const std::vector<RenamePair>& pairs) { renamesAt(folder, pairs, false); }

void bareRenamesAtLookingBehind(const std::string& folder, const std::vector<RenamePair>& pairs) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + folder + ": " + std::strerror(errno));
    std::atomic<std::size_t> moved{0};
    std::atomic<bool> over{false};
    std::atomic<int> lookError{0};
    std::thread looking([&] {
        std::size_t looked = 0;
        for (;;) {
            const bool last = over.load(std::memory_order_acquire);
            const std::size_t upTo = moved.load(std::memory_order_acquire);
            for (; looked < upTo; ++looked) {
                struct statx found {};
                if (::statx(fd, pairs[looked].to.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &found) != 0)
                    lookError.store(errno);
            }
            if (last) return;
            if (looked == upTo) std::this_thread::yield();
        }
    });
    int moveError = 0;
    std::size_t failedAt = 0;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (::renameat2(fd, pairs[i].from.c_str(), fd, pairs[i].to.c_str(), RENAME_NOREPLACE) != 0) {
            moveError = errno;
            failedAt = i;
            break;
        }
        moved.store(i + 1, std::memory_order_release);
    }
    over.store(true, std::memory_order_release);
    looking.join();
    ::close(fd);
    if (moveError != 0)
        throw std::runtime_error("cannot move " + pairs[failedAt].from + " to " + pairs[failedAt].to + " in " + folder + ": " +
                                 std::strerror(moveError));
    if (lookError != 0) throw std::runtime_error("cannot look at a moved file in " + folder + ": " + std::strerror(lookError));
}

void bareRenamesAtAndLook(const std::string& folder, const std::vector<RenamePair>& pairs) { renamesAt(folder, pairs, true); }

void undoRenames(const std::string& folder, const std::vector<RenamePair>& pairs) {
    PathPair paths(folder);
    for (auto pair = pairs.rbegin(); pair != pairs.rend(); ++pair) paths.rename(pair->to, pair->from);
}

} // namespace norvane::bench
