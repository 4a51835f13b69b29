// The platform layer on Linux and other POSIX systems.

#ifndef _GNU_SOURCE
#define _GNU_SOURCE // renameat2
#endif

#include "norvane/platform.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/fs.h> // RENAME_NOREPLACE
#endif

namespace norvane::platform {

namespace {

SystemError errorOf(int number) { return SystemError{number, std::strerror(number)}; }

// A NUL would end the path early at the system call and name another file.
bool unusable(const std::string& path) { return path.empty() || path.find('\0') != std::string::npos; }

EntryKind kindOf(const struct stat& status) {
    if (S_ISREG(status.st_mode)) return EntryKind::File;
    if (S_ISDIR(status.st_mode)) return EntryKind::Folder;
    return EntryKind::Other;
}

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Close and report: a write error can surface only here.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

std::optional<SystemError> copyContents(int from, int to) {
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
    }
}

// Writes a copy of a regular file at a destination that must not exist yet,
// with the source's mode and times, flushed to disk.
std::optional<SystemError> copyRegularFile(const std::string& source, const std::string& destination) {
    Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (from.get() < 0) return errorOf(errno);
    struct stat status {};
    if (::fstat(from.get(), &status) != 0) return errorOf(errno);
    if (!S_ISREG(status.st_mode)) return errorOf(EINVAL);

    const mode_t mode = status.st_mode & 07777;
    Descriptor to(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (to.get() < 0) return errorOf(errno); // EEXIST: something is already there, untouched

    std::optional<SystemError> failure = copyContents(from.get(), to.get());
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (!failure && ::fchmod(to.get(), mode) != 0) failure = errorOf(errno);
    if (!failure && ::futimens(to.get(), times) != 0) failure = errorOf(errno);
    if (!failure && ::fsync(to.get()) != 0) failure = errorOf(errno);
    if (to.close() != 0 && !failure) failure = errorOf(errno);
    if (failure) ::unlink(destination.c_str()); // ours: opened with O_EXCL
    return failure;
}

std::optional<SystemError> copySymbolicLink(const std::string& source, const std::string& destination) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(source.c_str(), target.data(), target.size());
    if (length < 0) return errorOf(errno);
    target.resize(static_cast<std::size_t>(length));
    if (::symlink(target.c_str(), destination.c_str()) != 0) return errorOf(errno);
    return std::nullopt;
}

// Across file systems: copy to a fresh destination, and remove the source only
// once the copy is complete; a failure on the way leaves the source as it was.
std::optional<SystemError> moveByCopy(const std::string& source, const std::string& destination) {
    struct stat status {};
    if (::lstat(source.c_str(), &status) != 0) return errorOf(errno);
    std::optional<SystemError> failure = S_ISLNK(status.st_mode) ? copySymbolicLink(source, destination)
                                         : S_ISREG(status.st_mode) ? copyRegularFile(source, destination)
                                                                    : errorOf(EXDEV);
    if (failure) return failure;
    if (::unlink(source.c_str()) != 0) {
        const SystemError error = errorOf(errno);
        ::unlink(destination.c_str()); // keep one copy only: the original
        return error;
    }
    return std::nullopt;
}

// link() refuses an existing destination atomically, like RENAME_NOREPLACE.
std::optional<SystemError> moveByLink(const std::string& source, const std::string& destination) {
    if (::link(source.c_str(), destination.c_str()) != 0) {
        const int error = errno;
        if (error == EXDEV || error == EPERM || error == EOPNOTSUPP || error == EMLINK) return moveByCopy(source, destination);
        return errorOf(error);
    }
    if (::unlink(source.c_str()) != 0) {
        const SystemError error = errorOf(errno);
        ::unlink(destination.c_str());
        return error;
    }
    return std::nullopt;
}

class PosixFileSystem final : public FileSystem {
public:
    FolderRead readFolder(const std::string& folder) override {
        FolderRead result;
        if (unusable(folder)) {
            result.error = errorOf(folder.empty() ? ENOENT : EINVAL);
            return result;
        }
        DIR* directory = ::opendir(folder.c_str());
        if (directory == nullptr) {
            result.error = errorOf(errno);
            return result;
        }
        const int fd = ::dirfd(directory);
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(directory);
            if (entry == nullptr) {
                if (errno != 0) {
                    result.entries.clear();
                    result.error = errorOf(errno);
                }
                break;
            }
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
            FolderEntry listed{name, EntryKind::Other, name[0] == '.'};
            if (entry->d_type == DT_REG) {
                listed.kind = EntryKind::File;
            } else if (entry->d_type == DT_DIR) {
                listed.kind = EntryKind::Folder;
            } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                struct stat status {}; // follows a link: what it points to decides
                if (::fstatat(fd, name, &status, 0) == 0) listed.kind = kindOf(status);
            }
            result.entries.push_back(std::move(listed));
        }
        ::closedir(directory);
        return result;
    }

    PathProbe probe(const std::string& path) override {
        if (unusable(path)) return PathProbe{PathKind::Absent, errorOf(EINVAL)};
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) {
            if (errno == ENOENT) return PathProbe{};
            return PathProbe{PathKind::Absent, errorOf(errno)};
        }
        switch (kindOf(status)) {
        case EntryKind::File: return PathProbe{PathKind::File, std::nullopt};
        case EntryKind::Folder: return PathProbe{PathKind::Folder, std::nullopt};
        case EntryKind::Other: break;
        }
        return PathProbe{PathKind::Other, std::nullopt};
    }

    bool sameFile(const std::string& first, const std::string& second) override {
        struct stat a {}, b {};
        if (unusable(first) || unusable(second)) return false;
        if (::lstat(first.c_str(), &a) != 0 || ::lstat(second.c_str(), &b) != 0) return false;
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }

    std::optional<SystemError> move(const std::string& source, const std::string& destination) override {
        if (unusable(source) || unusable(destination)) return errorOf(EINVAL);
#ifdef RENAME_NOREPLACE
        if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0) return std::nullopt;
        const int error = errno;
        if (error == EXDEV) return moveByCopy(source, destination);
        // The file system does not know the flag: fall back to what also refuses atomically.
        if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return errorOf(error);
#endif
        return moveByLink(source, destination);
    }
};

} // namespace

FileSystem& nativeFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

char directorySeparator() { return '/'; }

std::string applicationFolder() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0) {
        path.resize(static_cast<std::size_t>(length));
        const std::size_t last = path.rfind('/');
        if (last != std::string::npos) return last == 0 ? std::string("/") : path.substr(0, last);
    }
    if (::getcwd(path.data(), path.size()) != nullptr) return std::string(path.c_str());
    return "/";
}

std::string comparisonKey(std::string_view path) { return std::string(path); }

} // namespace norvane::platform
