// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The file system on Linux and other POSIX systems: a batch's folder held
// open as a descriptor, every name looked up from it.

#include "platform/posix/posix.h"

#include "norvane/path.h"
#include "platform/case_change.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <mutex>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace norvane::platform {

namespace {

using posix::Descriptor;
using posix::errorOf;
using posix::relativeName;

// Opens a folder to work in: readable where it may be, so that it can be
// listed; reachable all the same where it may not.
Descriptor openFolderAt(int at, const char* path) {
    Descriptor opened(::openat(at, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened.get() < 0 && errno == EACCES) return Descriptor(::openat(at, path, O_PATH | O_DIRECTORY | O_CLOEXEC));
    return opened;
}

class PosixFolder final : public Folder {
public:
    explicit PosixFolder(const std::string& path) {
        if (path.empty() || !posix::usable(path)) {
            about_.error = errorOf(path.empty() ? ENOENT : EINVAL);
            return;
        }
        descriptor_ = openFolderAt(AT_FDCWD, path.c_str());
        if (descriptor_.get() < 0) {
            about_.error = errorOf(errno);
            return;
        }
        about_ = posix::describeFolder(descriptor_.get(), &traits_);
        if (about_.isFolder) {
            mount_ = posix::mountKeyOf(descriptor_.get());
            support_ = posix::moveSupportOf(mount_);
        }
        remembered_ = support_;
    }

    const FolderProbe& about() const override { return about_; }

    PathProbe probe(std::string_view name) override {
        if (!about_.isFolder) return PathProbe{PathKind::Absent, about_.error, std::nullopt};
        return posix::probeAt(descriptor_.get(), relativeName(name));
    }

    FolderProbe probeFolder(std::string_view name) override {
        if (!about_.isFolder) return about_;
        return posix::probeFolderAt(descriptor_.get(), relativeName(name));
    }

    void probeNames(std::size_t count, const NameAt& nameAt, const NameProbed& each) override {
        if (!about_.isFolder) return Folder::probeNames(count, nameAt, each);
        if (const posix::FolderEntries* read = posix::entriesStillHeld(kept_.get(), descriptor_.get())) {
            const std::shared_ptr<const posix::EntriesIndex> index = indexOf(*read);
            return posix::probeNamesFrom(descriptor_.get(), *read, *index, traits_, about_.ignoresCase, count, nameAt, each);
        }
        posix::probeNamesAt(descriptor_.get(), traits_, about_.ignoresCase, count, nameAt, each);
    }

    void answerFrom(std::shared_ptr<KeptReading> reading) override { kept_ = std::move(reading); }

    bool answersFromKeptReading() override {
        return about_.isFolder && posix::entriesStillHeld(kept_.get(), descriptor_.get()) != nullptr;
    }

    void probeInOrder(std::size_t count, const NameAt& nameAt, const NameProbedUntil& each) override {
        if (!about_.isFolder) return Folder::probeInOrder(count, nameAt, each);
        posix::probeInOrderAt(descriptor_.get(), count, nameAt, each);
    }

    // A probe reads nothing the folder's other calls change: the folder held open, the name given.
    bool probesFromASecondThread() const override { return true; }

    std::optional<std::string> spelling(std::string_view name) override {
        if (!about_.isFolder) return std::nullopt;
        const std::string key = about_.ignoresCase ? foldCase(name) : std::string(name);
        std::optional<std::string> found;
        posix::readEntries(descriptor_.get(), [&](std::string_view entry, EntryKind, bool) {
            if (!found && (about_.ignoresCase ? foldCase(entry) : std::string(entry)) == key) found = std::string(entry);
        });
        return found;
    }

    std::optional<SystemError> move(std::string_view from, std::string_view to) override {
        if (!about_.isFolder) return about_.error;
        if (!posix::usable(from) || !posix::usable(to)) return errorOf(EINVAL);
        posix::assignRelativeName(from_, from);
        posix::assignRelativeName(to_, to);
        if (from_.empty() || to_.empty()) return errorOf(from_.empty() ? ENOENT : EEXIST); // the folder itself
        if (!changesCaseOnly(from_, to_)) return moveNoReplace(from_, to_);
        return changeCase(from_, to_, caseChangeMoves());
    }

    Durability makeNamesDurable() override {
        if (!about_.isFolder) return Durability{Durability::Answer::NotPromised, about_.error};
        return posix::makeNamesDurableAt(descriptor_.get());
    }

    std::optional<std::string> volumeId() override {
        if (!about_.isFolder) return std::nullopt;
        const std::optional<posix::VolumeLabel> label = posix::volumeLabelOf(descriptor_.get());
        return label && !label->id.empty() ? std::optional(label->id) : std::nullopt;
    }

    bool isOwnPlaceholder(std::string_view name) override {
        return about_.isFolder && posix::isOwnPlaceholderAt(descriptor_.get(), relativeName(name));
    }

    PlaceholderRemoval removeOwnPlaceholder(std::string_view name) override {
        if (!about_.isFolder) return PlaceholderRemoval{false, about_.error};
        return posix::removeOwnPlaceholderAt(descriptor_.get(), relativeName(name));
    }

    PlaceholderRemoval removeUnstampedPlaceholder(std::string_view name, std::int64_t since) override {
        if (!about_.isFolder) return PlaceholderRemoval{false, about_.error};
        return posix::removeUnstampedPlaceholderAt(descriptor_.get(), relativeName(name), since);
    }

private:
    // The kept read's index, made by the first of the calls that answer from
    // it at the same time (the other waits for it) and gone with the last:
    // at a million files it is 16 MiB, held no longer than it is used.
    std::shared_ptr<const posix::EntriesIndex> indexOf(const posix::FolderEntries& read) {
        const std::lock_guard lock(indexing_);
        std::shared_ptr<const posix::EntriesIndex> index = index_.lock();
        if (!index || index->of != &read) {
            index = std::make_shared<const posix::EntriesIndex>(read, about_.ignoresCase);
            index_ = index;
        }
        return index;
    }

    // What the file system refused once is not asked again: only for names of
    // the folder itself, since a name with a separator may reach another one.
    // It is kept for the device, so the next folder held there starts from it.
    std::optional<SystemError> moveNoReplace(const std::string& from, const std::string& to) {
        const bool bare = !HoldsSeparator(from) && !HoldsSeparator(to);
        posix::MoveSupport elsewhere;
        std::optional<SystemError> error = posix::moveNoReplace(descriptor_.get(), from, to, bare ? support_ : elsewhere);
        if (support_.noReplaceFlag != remembered_.noReplaceFlag || support_.hardLinks != remembered_.hardLinks) {
            posix::rememberMoveSupport(mount_, support_);
            remembered_ = support_;
        }
        return error;
    }

    CaseChangeMoves caseChangeMoves() {
        return CaseChangeMoves{
            [this](std::string_view from, std::string_view to) { return moveNoReplace(std::string(from), std::string(to)); },
            [](std::string_view) { return true; }, // a rename that succeeds keeps the spelling it was given
            [](unsigned attempt) { return parkingName(static_cast<std::uint32_t>(::getpid()), attempt); },
        };
    }

    Descriptor descriptor_;
    std::shared_ptr<KeptReading> kept_;
    std::mutex indexing_;
    std::weak_ptr<const posix::EntriesIndex> index_;
    FolderProbe about_;
    posix::VolumeTraits traits_;
    posix::MountKey mount_;
    posix::MoveSupport support_, remembered_;
    std::string from_, to_; // kept across moves: two allocations a file would be a measurable share of a rename
};

class PosixFileSystem final : public FileSystem {
public:
    std::optional<SystemError> readFolder(const std::string& folder, const EntryListed& each) override {
        return readOpened(folder, [&](int opened) { return posix::readEntries(opened, each); });
    }

    // Each read opens the folder on its own and keeps nothing between calls.
    bool readsFromASecondThread() const override { return true; }

    std::optional<SystemError> readFolderKept(const std::string& folder, const EntryListed& each,
                                              std::shared_ptr<KeptReading>& kept) override {
        kept.reset();
        return readOpened(folder, [&](int opened) { return posix::readEntriesKept(opened, each, kept); });
    }

    FolderProbe probeFolder(const std::string& path) override {
        if (path.empty() || !posix::usable(path)) {
            FolderProbe result;
            result.error = errorOf(path.empty() ? ENOENT : EINVAL);
            return result;
        }
        return posix::probeFolderAt(AT_FDCWD, path);
    }

    std::unique_ptr<Folder> openFolder(const std::string& path) override { return std::make_unique<PosixFolder>(path); }

    std::variant<std::string, SystemError> resolveFolder(const std::string& path) override {
        if (path.empty() || !posix::usable(path)) return errorOf(path.empty() ? ENOENT : EINVAL);
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved == nullptr) return errorOf(errno);
        std::string result(resolved);
        std::free(resolved);
        return result;
    }

private:
    // The folder opened to be read, and closed again, whatever `read` does.
    template <typename Read>
    static std::optional<SystemError> readOpened(const std::string& folder, Read read) {
        if (folder.empty() || !posix::usable(folder)) return errorOf(folder.empty() ? ENOENT : EINVAL);
        const Descriptor opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (opened.get() < 0) return errorOf(errno);
        return read(opened.get());
    }
};

} // namespace

FileSystem& nativeFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

bool hiddenByName(std::string_view name) { return !name.empty() && name.front() == '.'; }

// Hidden, as the program's own passing files should be.
std::string parkingName(std::uint32_t processId, unsigned attempt) {
    return ".norvane-" + std::to_string(processId) + "-" + std::to_string(attempt);
}

std::string applicationFolder() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0) {
        path.resize(static_cast<std::size_t>(length));
        const std::string_view folder = ParentFolder(path);
        if (!folder.empty()) return std::string(folder);
    }
    if (::getcwd(path.data(), path.size()) != nullptr) return std::string(path.c_str());
    return "/";
}

void keepFreedMemoryForBatches() {
#ifdef __GLIBC__
    // Every batch builds tables of a few megabytes and frees them. By default
    // glibc hands such blocks back to the system at once, and each batch then
    // pays a page fault for every page again (a tenth of a 100,000-file batch's
    // time on a virtual machine). Up to 64 MiB of freed memory stays for the
    // next batch; blocks above 32 MiB are still mapped and returned apart.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
    // One heap for every thread: a batch reads its folder on a second thread,
    // and what that read held (45 MB at a million files) would otherwise stay
    // in that thread's own heap, where the next batch or its undo, on the
    // first thread, could not use it again.
    ::mallopt(M_ARENA_MAX, 1);
#endif
}

void returnFreedMemory() {
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

} // namespace norvane::platform
