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
#include <unordered_set>

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

// Printable ASCII only: such a name means the same bytes to every file system
// that compares names exactly, and none refuses it for its characters.
bool plainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name)
        if (c < 0x20 || c > 0x7e || c == '/') return false;
    return true;
}

// Whether names in this folder are compared byte for byte: an entry looked up
// under its letters' other case must not be found. Folders on file systems
// that ignore case (vfat, exfat, casefolded ext4, CIFS) find it.
bool comparesNamesExactly(int folder, const std::vector<std::string>& entries) {
    for (const std::string& name : entries) {
        std::string other = name;
        bool lettered = false;
        for (char& c : other) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A'), lettered = true;
            else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a'), lettered = true;
        }
        if (!lettered) continue;
        struct stat status {};
        return ::fstatat(folder, other.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
    }
    return false; // nothing to tell by
}

class PosixFileSystem final : public FileSystem {
public:
    // One read of the folder answers for the plain names it does not hold;
    // every other name, and every name it holds, is probed as on its own.
    std::vector<PathProbe> probeNames(const std::string& folder, const std::vector<std::string_view>& names) override {
        if (unusable(folder)) return FileSystem::probeNames(folder, names);
        DIR* directory = ::opendir(folder.c_str());
        if (directory == nullptr) return FileSystem::probeNames(folder, names);
        std::vector<std::string> entries;
        bool complete = true;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(directory);
            if (entry == nullptr) {
                complete = errno == 0;
                break;
            }
            entries.emplace_back(entry->d_name);
        }
        const long nameMax = ::fpathconf(::dirfd(directory), _PC_NAME_MAX);
        const bool exact = complete && nameMax > 0 && comparesNamesExactly(::dirfd(directory), entries);
        ::closedir(directory);
        if (!exact) return FileSystem::probeNames(folder, names);

        const std::unordered_set<std::string_view> present(entries.begin(), entries.end());
        std::string path = folder + '/';
        const std::size_t stem = path.size();
        std::vector<PathProbe> probes;
        probes.reserve(names.size());
        for (const std::string_view name : names) {
            const bool fits = name.size() <= static_cast<std::size_t>(nameMax) && stem + name.size() < PATH_MAX;
            if (fits && plainName(name) && present.count(name) == 0) {
                probes.emplace_back(); // absent
                continue;
            }
            path.resize(stem);
            path.append(name);
            probes.push_back(probe(path));
        }
        return probes;
    }

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
