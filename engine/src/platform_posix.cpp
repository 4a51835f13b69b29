// The platform layer on Linux and other POSIX systems.

#ifndef _GNU_SOURCE
#define _GNU_SOURCE // renameat2
#endif

#include "norvane/platform.h"

#include "hash_index.h"
#include "norvane/rename_run.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <pwd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <wctype.h>

#include <vector>

#ifdef __linux__
#include <linux/fs.h> // RENAME_NOREPLACE, FS_IOC_GETFLAGS
#include <sys/ioctl.h>
#include <sys/vfs.h>
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

FileId identityOf(const struct stat& status) {
    return FileId{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
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

std::optional<SystemError> copyContents(int from, int to, off_t& copied) {
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
        copied += got;
    }
}

std::function<void(const std::string&)>& copyingHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

SystemError changedWhileCopied() {
    return SystemError{EBUSY, "the file changed while it was being copied; it was left where it was"};
}

// An editor or a download saving over the file puts another inode at its
// name; writing to it in place changes its size or modification time.
bool unchanged(const struct stat& before, const struct stat& now) {
    return identityOf(before) == identityOf(now) && before.st_size == now.st_size &&
           before.st_mtim.tv_sec == now.st_mtim.tv_sec && before.st_mtim.tv_nsec == now.st_mtim.tv_nsec;
}

std::optional<std::string> linkText(const std::string& path) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    target.resize(static_cast<std::size_t>(length));
    return target;
}

// Writes a copy of a regular file at a destination that must not exist yet,
// with the source's mode and times, flushed to disk. `original` is what was
// copied, as its descriptor saw it before the first byte; `copy` is what was
// made, once something was.
std::optional<SystemError> copyRegularFile(const std::string& source, const std::string& destination, struct stat& original,
                                           std::optional<struct stat>& copy) {
    Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (from.get() < 0) return errorOf(errno);
    if (::fstat(from.get(), &original) != 0) return errorOf(errno);
    if (!S_ISREG(original.st_mode)) return errorOf(EINVAL);

    const mode_t mode = original.st_mode & 07777;
    Descriptor to(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (to.get() < 0) return errorOf(errno); // EEXIST: something is already there, untouched
    struct stat made {};
    if (::fstat(to.get(), &made) != 0) {
        const SystemError error = errorOf(errno);
        ::unlink(destination.c_str()); // just made with O_EXCL, and nothing to know it by later
        return error;
    }
    copy = made;

    off_t copied = 0;
    std::optional<SystemError> failure = copyContents(from.get(), to.get(), copied);
    if (!failure && copied != original.st_size) failure = changedWhileCopied(); // grown or cut short meanwhile
    const struct timespec times[2] = {original.st_atim, original.st_mtim};
    if (!failure && ::fchmod(to.get(), mode) != 0) failure = errorOf(errno);
    if (!failure && ::futimens(to.get(), times) != 0) failure = errorOf(errno);
    if (!failure && ::fsync(to.get()) != 0) failure = errorOf(errno);
    if (to.close() != 0 && !failure) failure = errorOf(errno);
    return failure;
}

std::optional<SystemError> copySymbolicLink(const std::string& source, const std::string& destination, std::string& target,
                                            std::optional<struct stat>& copy) {
    std::optional<std::string> text = linkText(source);
    if (!text) return errorOf(errno);
    target = std::move(*text);
    if (::symlink(target.c_str(), destination.c_str()) != 0) return errorOf(errno);
    struct stat made {};
    if (::lstat(destination.c_str(), &made) != 0) {
        const SystemError error = errorOf(errno);
        ::unlink(destination.c_str());
        return error;
    }
    copy = made;
    return std::nullopt;
}

// Removes the copy a move made, and nothing that has since taken its name.
void removeCopy(const std::string& destination, const struct stat& copy) {
    struct stat now {};
    if (::lstat(destination.c_str(), &now) == 0 && identityOf(now) == identityOf(copy)) ::unlink(destination.c_str());
}

// The source goes only if it is still what was copied: a file saved over it or
// written to meanwhile stays, with its new content. Between this last look and
// the unlink remains one system call, in which a save would still be lost:
// POSIX has no unlink of a given inode, and renaming the source aside first
// could leave the user's file under a name of ours should anything fail there.
std::optional<SystemError> removeUnchangedSource(const std::string& source, const struct stat& original,
                                                 const std::string& target) {
    struct stat now {};
    if (::lstat(source.c_str(), &now) != 0) return errorOf(errno);
    if (!unchanged(original, now) || (S_ISLNK(now.st_mode) && linkText(source) != target)) return changedWhileCopied();
    if (::unlink(source.c_str()) != 0) return errorOf(errno);
    return std::nullopt;
}

// Across file systems: copy to a fresh destination, and remove the source only
// once the copy is complete; a failure on the way leaves the source as it was
// and takes the copy back.
std::optional<SystemError> moveByCopy(const std::string& source, const std::string& destination) {
    struct stat original {};
    if (::lstat(source.c_str(), &original) != 0) return errorOf(errno);
    std::optional<struct stat> copy;
    std::string target; // a symbolic link's text
    std::optional<SystemError> failure = S_ISLNK(original.st_mode) ? copySymbolicLink(source, destination, target, copy)
                                         : S_ISREG(original.st_mode) ? copyRegularFile(source, destination, original, copy)
                                                                      : errorOf(EXDEV);
    if (copyingHook()) copyingHook()(source);
    if (!failure) failure = removeUnchangedSource(source, original, target);
    if (failure && copy) removeCopy(destination, *copy); // keep one copy only: the original
    return failure;
}

// For file systems that can neither refuse an existing destination nor link
// (FAT, exFAT through FUSE): the destination is taken first, by creating it
// exclusively, so the rename that follows can only replace this empty file of ours.
std::optional<SystemError> moveOntoPlaceholder(const std::string& source, const std::string& destination) {
    struct stat ours {};
    {
        Descriptor placeholder(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (placeholder.get() < 0) return errorOf(errno);
        if (::fstat(placeholder.get(), &ours) != 0) ours = {};
    }
    if (::rename(source.c_str(), destination.c_str()) == 0) return std::nullopt;
    const SystemError error = errorOf(errno);
    struct stat now {};
    if (::lstat(destination.c_str(), &now) == 0 && now.st_dev == ours.st_dev && now.st_ino == ours.st_ino)
        ::unlink(destination.c_str());
    return error;
}

// link() refuses an existing destination atomically, like RENAME_NOREPLACE.
std::optional<SystemError> moveByLink(const std::string& source, const std::string& destination) {
    if (::link(source.c_str(), destination.c_str()) != 0) {
        const int error = errno;
        if (error == EXDEV) return moveByCopy(source, destination);
        if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK)
            return moveOntoPlaceholder(source, destination);
        return errorOf(error);
    }
    if (::unlink(source.c_str()) != 0) {
        const SystemError error = errorOf(errno);
        ::unlink(destination.c_str());
        return error;
    }
    return std::nullopt;
}

// A move that never replaces: the system's own refusal where the file system
// takes the flag, what comes closest where it does not.
std::optional<SystemError> moveNoReplace(const std::string& source, const std::string& destination) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0) return std::nullopt;
    const int error = errno;
    if (error == EXDEV) return moveByCopy(source, destination);
    // The file system does not know the flag: fall back to what also refuses.
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return errorOf(error);
#endif
    return moveByLink(source, destination);
}

bool sameIdentity(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

std::size_t nameStart(const std::string& path) { return path.rfind('/') + 1; }

// 'Photo.JPG' -> 'Photo.jpg' in a folder that ignores case: the new spelling
// already leads to the file itself, so a no-replace move sees it as taken.
// Identity cannot tell (FUSE gives each spelling an inode of its own), and
// need not: going through a temporary name cannot replace a true twin.
bool changesCaseOnly(const std::string& source, const std::string& destination) {
    const std::size_t at = nameStart(source);
    if (source == destination || at != nameStart(destination) || source.compare(0, at, destination, 0, at) != 0) return false;
    return foldCase(std::string_view(source).substr(at)) == foldCase(std::string_view(destination).substr(at));
}

// Through a free temporary name in the same folder, and back should the
// second step fail; a file that cannot come back is named in the error.
std::optional<SystemError> changeCase(const std::string& source, const std::string& destination) {
    const std::string folder = source.substr(0, nameStart(source));
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string parked = ".norvane-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        std::optional<SystemError> error = moveNoReplace(source, folder + parked);
        if (error && error->number == EEXIST) continue;
        if (error) return error;
        error = moveNoReplace(folder + parked, destination);
        if (!error) return std::nullopt;
        if (moveNoReplace(folder + parked, source)) error->description += "; the file is left as \"" + parked + "\"";
        return error;
    }
    return errorOf(EEXIST);
}

// Printable ASCII only: such a name means the same bytes to every file system,
// which none refuses for its characters, and which folds alike everywhere.
bool plainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name)
        if (c < 0x20 || c > 0x7e || c == '/') return false;
    return true;
}

bool lettered(std::string_view name) {
    for (const char c : name)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
    return false;
}

// The name with every ASCII letter in its other case.
std::string otherCase(std::string_view name) {
    std::string swapped(name);
    for (char& c : swapped) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return swapped;
}

#ifndef FS_CASEFOLD_FL
#define FS_CASEFOLD_FL 0x40000000
#endif

// File systems that ignore case in every folder (FAT, exFAT, SMB shares,
// HFS+), and ext4 or f2fs folders with case folding turned on.
bool caseBlindFileSystem(int folder) {
#ifdef __linux__
    struct statfs information {};
    if (::fstatfs(folder, &information) == 0) {
        switch (static_cast<unsigned long>(information.f_type)) {
        case 0x4d44UL:     // FAT
        case 0x2011bab0UL: // exFAT
        case 0xff534d42UL: // CIFS
        case 0xfe534d42UL: // SMB2
        case 0x517bUL:     // SMB
        case 0x482bUL:     // HFS+
            return true;
        default: break;
        }
    }
    int flags = 0;
    return ::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0;
#else
    (void)folder;
    return false;
#endif
}

// A second reading of an open folder, from its start: a duplicated descriptor
// shares its position with the first.
DIR* readFromStart(int folder) {
    const int copy = ::dup(folder);
    DIR* directory = copy < 0 ? nullptr : ::fdopendir(copy);
    if (directory == nullptr) {
        if (copy >= 0) ::close(copy);
        return nullptr;
    }
    ::rewinddir(directory);
    return directory;
}

// Whether an open folder lists exactly this name, read to the end if need be.
bool listsName(int folder, std::string_view name) {
    DIR* directory = readFromStart(folder);
    if (directory == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(directory)) {
        if (name == entry->d_name) {
            found = true;
            break;
        }
    }
    ::closedir(directory);
    return found;
}

bool folderIgnoresCase(int folder, unsigned depth);

// Whether a folder's names compare without regard to case. The folder itself
// answers where it holds a name with a letter: that name looked up in its
// other case is found where case is ignored, or where the folder holds both
// spellings; FUSE file systems give each spelling an inode of its own, so
// the listing tells those apart. A folder without such a name is judged by
// its file system, or else as its parent on the same file system is.
template <typename ListsName>
bool ignoresCase(int folder, std::string_view letteredName, ListsName listsExactly, unsigned depth = 0) {
    if (!letteredName.empty()) {
        const std::string swapped = otherCase(letteredName);
        struct stat asListed {}, asSwapped {};
        if (::fstatat(folder, std::string(letteredName).c_str(), &asListed, AT_SYMLINK_NOFOLLOW) == 0) {
            if (::fstatat(folder, swapped.c_str(), &asSwapped, AT_SYMLINK_NOFOLLOW) == 0)
                return sameIdentity(asListed, asSwapped) || !listsExactly(swapped);
            if (errno == ENOENT) return false;
        }
    }
    if (caseBlindFileSystem(folder)) return true;
    Descriptor parent(::openat(folder, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat self {}, above {};
    if (depth >= 32 || parent.get() < 0 || ::fstat(folder, &self) != 0 || ::fstat(parent.get(), &above) != 0 ||
        self.st_dev != above.st_dev || sameIdentity(self, above))
        return false;
    return folderIgnoresCase(parent.get(), depth + 1);
}

// The first name with a letter in an open folder, read only as far as needed.
std::string firstLetteredName(int folder) {
    DIR* directory = readFromStart(folder);
    if (directory == nullptr) return {};
    std::string found;
    while (const dirent* entry = ::readdir(directory)) {
        if (lettered(entry->d_name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(directory);
    return found;
}

bool folderIgnoresCase(int folder, unsigned depth) {
    return ignoresCase(folder, firstLetteredName(folder), [folder](const std::string& name) { return listsName(folder, name); },
                       depth);
}

// File systems whose folder entries carry the inode lstat gives. FUSE, for
// one, may not, and overlay file systems show a layer's own.
bool listsTrueInodes(int folder) {
#ifdef __linux__
    struct statfs information {};
    if (::fstatfs(folder, &information) != 0) return false;
    switch (static_cast<unsigned long>(information.f_type)) {
    case 0xef53UL:     // ext2, ext3, ext4
    case 0x58465342UL: // XFS
    case 0x9123683eUL: // Btrfs
    case 0x01021994UL: // tmpfs
    case 0xf2f52010UL: // F2FS
        return true;
    default: return false;
    }
#else
    (void)folder;
    return false;
#endif
}

// Nothing there (ENOENT), or no way to tell.
PathProbe absent(int error) {
    if (error == ENOENT) return PathProbe{};
    return PathProbe{PathKind::Absent, errorOf(error), std::nullopt, std::nullopt};
}

PathKind probedKind(const struct stat& status) {
    switch (kindOf(status)) {
    case EntryKind::File: return PathKind::File;
    case EntryKind::Folder: return PathKind::Folder;
    case EntryKind::Other: break;
    }
    return PathKind::Other;
}

// What a folder entry's type says of it as lstat would; nullopt where the
// folder did not tell.
std::optional<PathKind> listedKind(unsigned char type) {
    switch (type) {
    case DT_UNKNOWN: return std::nullopt;
    case DT_REG: return PathKind::File;
    case DT_DIR: return PathKind::Folder;
    default: return PathKind::Other;
    }
}

// Renames bare names at a descriptor of the folder, held across the batch:
// each move then looks up two names rather than two whole paths. Names with
// a separator (a leading one would make the name absolute), and anything but
// a plain success, go the whole way of move(), which tells every case apart.
class DescriptorMoves final : public FileSystem::FolderMoves {
public:
    DescriptorMoves(FileSystem& fileSystem, const std::string& folder)
        : fileSystem_(fileSystem), folder_(folder), descriptor_(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}

    std::optional<SystemError> move(std::string_view from, std::string_view to) override {
#ifdef RENAME_NOREPLACE
        if (descriptor_.get() >= 0 && bare(from) && bare(to)) {
            from_.assign(from);
            to_.assign(to);
            if (::renameat2(descriptor_.get(), from_.c_str(), descriptor_.get(), to_.c_str(), RENAME_NOREPLACE) == 0)
                return std::nullopt;
        }
#endif
        return fileSystem_.move(JoinPath(folder_, from), JoinPath(folder_, to));
    }

private:
    static bool bare(std::string_view name) {
        return !name.empty() && std::memchr(name.data(), '/', name.size()) == nullptr &&
               std::memchr(name.data(), '\0', name.size()) == nullptr;
    }

    FileSystem& fileSystem_;
    std::string folder_;
    Descriptor descriptor_;
    std::string from_, to_; // NUL-terminated copies, kept across moves
};

class PosixFileSystem final : public FileSystem {
public:
    PosixFileSystem() {
#ifdef __GLIBC__
        // Every batch builds tables of a few megabytes and frees them. By
        // default glibc hands such blocks back to the system at once, and each
        // batch then pays a page fault for every page again (a tenth of a 100,000-file
        // batch's time on a virtual machine). Up to 64 MiB of freed memory stays
        // for the next batch; blocks above 32 MiB are still mapped and returned apart.
        ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
        ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    }

    std::unique_ptr<FolderMoves> movesIn(const std::string& folder) override {
        if (unusable(folder)) return FileSystem::movesIn(folder);
        return std::make_unique<DescriptorMoves>(*this, folder);
    }

    // One read of the folder answers for the names it holds, and for the plain
    // names it does not hold; every other name is probed on its own. The
    // folder's names are kept in one piece of memory and found through a
    // table of hashes: at a million entries, strings and nodes of their own
    // would cost several times the names.
    void probeNames(const std::string& folder, std::size_t count, const NameAt& nameAt, const NameProbed& each) override {
        if (unusable(folder)) return FileSystem::probeNames(folder, count, nameAt, each);
        DIR* directory = ::opendir(folder.c_str());
        if (directory == nullptr) return FileSystem::probeNames(folder, count, nameAt, each);
        struct Listed {
            ino_t inode;
            std::uint32_t end; // of its name in `text`, where the next one starts
            unsigned char type;
        };
        std::string text;
        std::vector<Listed> entries;
        // A folder's size is about what its entries take: room for them at once
        // saves copying a large folder's names again and again as they grow.
        struct stat sized {};
        if (::fstat(::dirfd(directory), &sized) == 0 && sized.st_size > 0) {
            const auto bytes = static_cast<std::size_t>(sized.st_size);
            text.reserve(bytes);
            entries.reserve(bytes / 24);
        }
        bool complete = true;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(directory);
            if (entry == nullptr) {
                complete = errno == 0;
                break;
            }
            text += entry->d_name;
            if (text.size() > UINT32_MAX) {
                complete = false; // more names than the table holds: each is probed on its own
                break;
            }
            entries.push_back({entry->d_ino, static_cast<std::uint32_t>(text.size()), entry->d_type});
        }
        const auto nameOf = [&](std::size_t i) {
            const std::size_t start = i == 0 ? 0 : entries[i - 1].end;
            return std::string_view(text).substr(start, entries[i].end - start);
        };
        const int fd = ::dirfd(directory);
        const long nameMax = ::fpathconf(fd, _PC_NAME_MAX);
        std::string_view letteredName;
        for (std::size_t i = 0; i < entries.size() && letteredName.empty(); ++i)
            if (lettered(nameOf(i))) letteredName = nameOf(i);
        struct stat folderStatus {};
        const bool listedIds = ::fstat(fd, &folderStatus) == 0 && listsTrueInodes(fd);
        const std::uint64_t folderDevice = static_cast<std::uint64_t>(folderStatus.st_dev);
        const bool caseBlind = ignoresCase(fd, letteredName, [&](const std::string& name) {
            for (std::size_t i = 0; i < entries.size(); ++i)
                if (nameOf(i) == name) return true;
            return false;
        });
        ::closedir(directory);
        if (!complete || nameMax <= 0) return FileSystem::probeNames(folder, count, nameAt, each);

        const std::hash<std::string_view> hash;
        HashIndex present(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) present.insert(hash(nameOf(i)), static_cast<std::uint32_t>(i));
        // Where case is ignored, a plain name is free only if no entry folds like it.
        HashIndex folded(caseBlind ? entries.size() : 0);
        if (caseBlind)
            for (std::size_t i = 0; i < entries.size(); ++i) folded.insert(hash(foldCase(nameOf(i))), static_cast<std::uint32_t>(i));

        std::string path = folder + '/';
        const std::size_t stem = path.size();
        for (std::size_t n = 0; n < count; ++n) {
            const std::string_view name = nameAt(n);
            const auto listed = present.find(hash(name), [&](std::uint32_t i) { return nameOf(i) == name; });
            if (listed) {
                const auto kind = listedKind(entries[*listed].type);
                if (kind && listedIds) {
                    each(n, PathProbe{*kind, std::nullopt, FileId{folderDevice, entries[*listed].inode}, std::nullopt});
                    continue;
                }
            } else {
                const bool fits = name.size() <= static_cast<std::size_t>(nameMax) && stem + name.size() < PATH_MAX;
                const auto foldsAlike = [&] {
                    const std::string key = foldCase(name);
                    return folded.find(hash(key), [&](std::uint32_t i) { return foldCase(nameOf(i)) == key; }).has_value();
                };
                if (fits && plainName(name) && (!caseBlind || !foldsAlike())) {
                    each(n, PathProbe{}); // absent
                    continue;
                }
            }
            path.resize(stem);
            path.append(name);
            each(n, probe(path));
        }
    }

    std::optional<SystemError> readFolder(const std::string& folder, const EntryListed& each) override {
        if (unusable(folder)) return errorOf(folder.empty() ? ENOENT : EINVAL);
        DIR* directory = ::opendir(folder.c_str());
        if (directory == nullptr) return errorOf(errno);
        const int fd = ::dirfd(directory);
        std::optional<SystemError> error;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(directory);
            if (entry == nullptr) {
                if (errno != 0) error = errorOf(errno);
                break;
            }
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
            EntryKind kind = EntryKind::Other;
            if (entry->d_type == DT_REG) {
                kind = EntryKind::File;
            } else if (entry->d_type == DT_DIR) {
                kind = EntryKind::Folder;
            } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                struct stat status {}; // follows a link: what it points to decides
                if (::fstatat(fd, name, &status, 0) == 0) kind = kindOf(status);
            }
            each(name, kind, name[0] == '.');
        }
        ::closedir(directory);
        return error;
    }

    PathProbe probe(const std::string& path) override {
        if (unusable(path)) return absent(EINVAL);
#ifdef STATX_BTIME
        struct statx extended {};
        if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_INO | STATX_BTIME, &extended) == 0) {
            struct stat status {};
            status.st_mode = extended.stx_mode;
            status.st_dev = makedev(extended.stx_dev_major, extended.stx_dev_minor);
            status.st_ino = extended.stx_ino;
            PathProbe probed{probedKind(status), std::nullopt, identityOf(status), std::nullopt};
            if (extended.stx_mask & STATX_BTIME)
                probed.born = std::int64_t{extended.stx_btime.tv_sec} * 1000000000 + extended.stx_btime.tv_nsec;
            return probed;
        }
        if (errno != ENOSYS) return absent(errno);
#endif
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) return absent(errno);
        return PathProbe{probedKind(status), std::nullopt, identityOf(status), std::nullopt};
    }

    FolderProbe probeFolder(const std::string& path) override {
        FolderProbe result;
        struct stat status {};
        if (unusable(path) || ::stat(path.c_str(), &status) != 0) {
            result.error = errorOf(unusable(path) ? (path.empty() ? ENOENT : EINVAL) : errno);
            return result;
        }
        if (!S_ISDIR(status.st_mode)) {
            result.error = errorOf(ENOTDIR);
            return result;
        }
        result.isFolder = true;
        result.id = identityOf(status);
        // A folder that cannot be read can still receive files: then its file system decides.
        Descriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0) {
            result.ignoresCase = folderIgnoresCase(folder.get(), 0);
        } else {
            Descriptor located(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            result.ignoresCase = located.get() >= 0 && caseBlindFileSystem(located.get());
        }
        return result;
    }

    std::optional<SystemError> move(const std::string& source, const std::string& destination) override {
        if (unusable(source) || unusable(destination)) return errorOf(EINVAL);
        std::optional<SystemError> error = moveNoReplace(source, destination);
        if (error && error->number == EEXIST && changesCaseOnly(source, destination)) return changeCase(source, destination);
        return error;
    }
};

} // namespace

void testing::onCopying(std::function<void(const std::string& source)> hook) { copyingHook() = std::move(hook); }

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

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return found->pw_dir;
    return "/";
}

bool canWriteTo(const std::string& folder) {
    if (unusable(folder)) return false;
    // The effective user's rights, as creating a file would be judged.
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::vector<std::string> programFolders() {
    std::vector<std::string> folders;
    for (const char* folder : {"/usr", "/bin", "/sbin", "/opt"}) {
        struct stat status {};
        if (::stat(folder, &status) == 0 && S_ISDIR(status.st_mode)) folders.emplace_back(folder);
    }
    return folders;
}

ErrorKind errorKind(const SystemError& error) {
    switch (error.number) {
    case ENOENT: return ErrorKind::NotFound;
    case EEXIST:
    case ENOTEMPTY: return ErrorKind::Exists;
    case ENAMETOOLONG: return ErrorKind::NameTooLong;
    case EACCES:
    case EPERM:
    case EROFS: return ErrorKind::NoPermission;
    case ENOTDIR: return ErrorKind::NotAFolder;
    case ELOOP: return ErrorKind::TooManyLinks;
    case EINVAL:
    case EILSEQ: return ErrorKind::BadName;
    default: return ErrorKind::Other;
    }
}

namespace {

// The letter case mapping of the C.UTF-8 locale, whatever locale the program runs in.
locale_t utf8Locale() {
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

// The code point of the UTF-8 sequence at `at` and its length; length 0 where
// the bytes there are not one.
std::pair<char32_t, std::size_t> decodeUtf8(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead >= 0xf0 && lead < 0xf5 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
    if (length == 0 || at + length > text.size()) return {0, 0};
    char32_t point = lead & (0x7f >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80) return {0, 0};
        point = point << 6 | (byte(at + i) & 0x3f);
    }
    const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
    if (overlong || point > 0x10ffff || (point >= 0xd800 && point < 0xe000)) return {0, 0};
    return {point, length};
}

void appendUtf8(std::string& text, char32_t point) {
    if (point < 0x80) {
        text += static_cast<char>(point);
    } else if (point < 0x800) {
        text += static_cast<char>(0xc0 | point >> 6);
        text += static_cast<char>(0x80 | (point & 0x3f));
    } else if (point < 0x10000) {
        text += static_cast<char>(0xe0 | point >> 12);
        text += static_cast<char>(0x80 | (point >> 6 & 0x3f));
        text += static_cast<char>(0x80 | (point & 0x3f));
    } else {
        text += static_cast<char>(0xf0 | point >> 18);
        text += static_cast<char>(0x80 | (point >> 12 & 0x3f));
        text += static_cast<char>(0x80 | (point >> 6 & 0x3f));
        text += static_cast<char>(0x80 | (point & 0x3f));
    }
}

} // namespace

// Upper case, as the case-blind file systems compare (their tables map to
// upper case); bytes that are not UTF-8 stay as they are.
std::string foldCase(std::string_view name) {
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const unsigned char c = static_cast<unsigned char>(name[at]);
        if (c < 0x80) {
            folded += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            ++at;
            continue;
        }
        const auto [point, length] = decodeUtf8(name, at);
        if (length == 0 || utf8Locale() == static_cast<locale_t>(nullptr)) {
            folded += static_cast<char>(c);
            ++at;
            continue;
        }
        appendUtf8(folded, static_cast<char32_t>(::towupper_l(static_cast<wint_t>(point), utf8Locale())));
        at += length;
    }
    return folded;
}

} // namespace norvane::platform
