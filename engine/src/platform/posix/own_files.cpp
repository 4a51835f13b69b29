// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program's own files on POSIX: held with flock, which the kernel drops
// with the last descriptor however the process ends, and made durable with
// fsync of the file and, where a name changed, of its folder.

#include "platform/posix/posix.h"

#include "norvane/path.h"
#include "platform/own_files.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>

#ifdef __linux__
#include <linux/fs.h> // RENAME_NOREPLACE
#endif

namespace norvane::platform {

namespace {

using posix::Descriptor;
using posix::errorOf;

SystemError notARegularFile() { return SystemError{EINVAL, {}, SystemError::Reason::NotARegularFile}; }

std::optional<SystemError> unusable(const std::string& path) {
    if (path.empty()) return errorOf(ENOENT);
    if (!posix::usable(path)) return errorOf(EINVAL);
    return std::nullopt;
}

std::string joined(const std::string& folder, const std::string& name) {
    const std::string_view trimmed = WithoutTrailingSeparators(folder);
    return trimmed == "/" ? "/" + name : JoinPath(trimmed, name);
}

// The folder a path names its last component in.
std::string folderOf(const std::string& path) {
    const std::string_view parent = ParentFolder(path);
    if (!parent.empty()) return std::string(parent);
    return RootLength(path) > 0 ? "/" : ".";
}

// A folder's entries reach the disk as far as its driver honours a request:
// the folder's own fsync, the file system's where a folder cannot be synced
// alone. Where nothing is known to write them, that is no error of the
// program's own files: they are where the user keeps its state.
std::optional<SystemError> syncFolder(const std::string& folder) {
    const Descriptor opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened.get() < 0) return errorOf(errno);
    return posix::makeNamesDurableAt(opened.get()).error;
}

class PosixOwnFile final : public OwnFile {
public:
    PosixOwnFile(Descriptor descriptor, std::uint64_t size, std::optional<std::string> newIn)
        : OwnFile(size), descriptor_(std::move(descriptor)), folderToSync_(std::move(newIn)) {}

private:
    std::variant<std::size_t, SystemError> readAt(std::uint64_t offset, char* into, std::size_t length) override {
        for (;;) {
            const ssize_t got = ::pread(descriptor_.get(), into, length, static_cast<off_t>(offset));
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) return errorOf(errno);
        }
    }

    std::variant<std::size_t, SystemError> writeAt(std::uint64_t offset, const char* from, std::size_t length) override {
        for (;;) {
            const ssize_t wrote = ::pwrite(descriptor_.get(), from, length, static_cast<off_t>(offset));
            if (wrote > 0) return static_cast<std::size_t>(wrote);
            if (wrote == 0) return errorOf(EIO);
            if (errno != EINTR) return errorOf(errno);
        }
    }

    std::optional<SystemError> setSize(std::uint64_t size) override {
        if (::ftruncate(descriptor_.get(), static_cast<off_t>(size)) != 0) return errorOf(errno);
        return std::nullopt;
    }

    std::optional<SystemError> flush() override {
        // fdatasync would leave a grown file's new size unwritten.
        if (::fsync(descriptor_.get()) != 0) return errorOf(errno);
        if (folderToSync_) {
            if (auto error = syncFolder(*folderToSync_)) return error;
            folderToSync_.reset();
        }
        return std::nullopt;
    }

    Descriptor descriptor_;
    std::optional<std::string> folderToSync_; // until the new file's name is durable
};

std::variant<std::unique_ptr<OwnFile>, SystemError> opened(const std::string& path, int flags) {
    if (auto error = unusable(path)) return *error;
    // O_NONBLOCK: a FIFO put in its place must not stop the program at the open.
    Descriptor descriptor(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | flags, 0600));
    if (descriptor.get() < 0) return errorOf(errno);
    if (::flock(descriptor.get(), LOCK_EX | LOCK_NB) != 0) return errorOf(errno);
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0) return errorOf(errno);
    if (!S_ISREG(status.st_mode)) return notARegularFile();
    const bool made = (flags & O_CREAT) != 0;
    return std::make_unique<PosixOwnFile>(std::move(descriptor), static_cast<std::uint64_t>(status.st_size),
                                          made ? std::optional(folderOf(path)) : std::nullopt);
}

std::optional<SystemError> makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0) return syncFolder(folderOf(path));
    const int error = errno;
    struct stat status {};
    if (error == EEXIST) return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) ? std::nullopt
                                                                                             : std::optional(errorOf(ENOTDIR));
    if (error != ENOENT) return errorOf(error);
    const std::string parent = folderOf(path);
    if (parent == path || parent == "." || parent == "/") return errorOf(error);
    if (auto failed = makeFolder(parent)) return failed;
    if (::mkdir(path.c_str(), 0700) == 0) return syncFolder(parent);
    if (errno == EEXIST) return makeFolder(path); // made meanwhile by another process
    return errorOf(errno);
}

} // namespace

std::optional<std::string> stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return joined(state, "norvane");
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return joined(home, ".local/state/norvane");
    return std::nullopt;
}

std::optional<SystemError> makeFolders(const std::string& path) {
    if (auto error = unusable(path)) return error;
    return makeFolder(std::string(WithoutTrailingSeparators(path)));
}

std::variant<std::vector<std::string>, SystemError> fileNames(const std::string& folder) {
    if (auto error = unusable(folder)) return *error;
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) return errorOf(errno);
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(directory, ::closedir);
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory);
        if (entry == nullptr) {
            if (errno != 0) return errorOf(errno);
            return names;
        }
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status {};
            regular = ::fstatat(::dirfd(directory), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode);
        }
        if (regular) names.emplace_back(entry->d_name);
    }
}

std::optional<FolderRefusal> ownFolderRefusal(const std::string& folder) {
    if (folder.empty() || !posix::usable(folder)) return std::nullopt;
    struct stat link {}, status {};
    if (::lstat(folder.c_str(), &link) != 0 || ::stat(folder.c_str(), &status) != 0) return std::nullopt;
    // As ssh asks of its keys: the user's, and no one else's to change.
    if (link.st_uid != ::geteuid() || status.st_uid != ::geteuid()) return FolderRefusal{FolderRefusal::Why::NotOwned};
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (status.st_mode & S_ISVTX) == 0)
        return FolderRefusal{FolderRefusal::Why::OthersCanWrite};
    return std::nullopt;
}

std::variant<std::unique_ptr<OwnFile>, SystemError> OwnFile::create(const std::string& path) { return opened(path, O_CREAT | O_EXCL); }

std::variant<std::unique_ptr<OwnFile>, SystemError> OwnFile::hold(const std::string& path) { return opened(path, 0); }

bool OwnFile::busy(const SystemError& error) { return error.number == EWOULDBLOCK || error.number == EAGAIN; }

std::optional<SystemError> renameOwnFile(const std::string& from, const std::string& to) {
    if (auto error = unusable(from)) return error;
    if (auto error = unusable(to)) return error;
    bool renamed = false;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) renamed = true;
    else if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errorOf(errno); // else the flag is unknown
#endif
    if (!renamed) {
        // A link refuses an existing name as the flag would.
        if (::link(from.c_str(), to.c_str()) != 0) return errorOf(errno);
        if (::unlink(from.c_str()) != 0) {
            const SystemError error = errorOf(errno);
            ::unlink(to.c_str());
            return error;
        }
    }
    if (auto error = syncFolder(folderOf(to))) return error;
    return folderOf(from) == folderOf(to) ? std::nullopt : syncFolder(folderOf(from));
}

std::optional<SystemError> removeOwnFile(const std::string& path) {
    if (auto error = unusable(path)) return error;
    if (::unlink(path.c_str()) != 0) return errorOf(errno);
    return syncFolder(folderOf(path));
}

std::uint32_t processId() { return static_cast<std::uint32_t>(::getpid()); }

} // namespace norvane::platform
