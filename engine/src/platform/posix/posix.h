// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the POSIX platform's files share: descriptors, errors, and the moves,
// listing and file system questions each of them answers. Every call works
// at a folder's descriptor, with names relative to it.

#include "hash_index.h"
#include "norvane/platform.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace norvane::platform::posix {

SystemError errorOf(int number);

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
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

// A name as the *at calls take it: NUL-terminated, leading separators dropped
// so that it stays relative to the folder ("" is the folder itself).
std::string relativeName(std::string_view name);
// The same into a string kept for it: a batch's every move then reuses its memory.
void assignRelativeName(std::string& into, std::string_view name);

// Whether the text could reach the system unchanged: a NUL would end it early and name another file.
bool usable(std::string_view name);

// What the file system a folder lies on is, as far as the engine cares.
struct VolumeTraits {
    IdentityTrust trust = IdentityTrust::Stable;
    NameRules names = NameRules::Posix;
    std::optional<bool> ignoresCase; // where the kind of file system alone tells
    bool fuse = false;               // its kind tells little: it is asked by trying
    bool listsTrueInodes = false;    // the folder's entries carry the numbers lstat gives
};
FileIdentity identityOf(const struct stat& status);
// Whether two looks found one file: the same device and inode, whatever its name.
bool sameInode(const struct stat& a, const struct stat& b);
PathKind kindOf(const struct stat& status);

// Looks at a name relative to a folder, without following a final link.
PathProbe probeAt(int folder, const std::string& name);

// The folder a name leads to, following links, with all the engine asks of it.
FolderProbe probeFolderAt(int folder, const std::string& name);
// `traits`, where given, receives what volumeTraits() said of the folder.
FolderProbe describeFolder(int folder, VolumeTraits* traits = nullptr);

VolumeTraits volumeTraits(int folder);

// The kind of file system a folder lies on, as statfs numbers it
// (<linux/magic.h>); nullopt where it cannot tell, or off Linux.
std::optional<unsigned long> fileSystemTypeOf(int folder);
// Kinds <linux/magic.h> does not name.
inline constexpr unsigned long ntfs3Magic = 0x7366746eUL, oldNtfsMagic = 0x5346544eUL, hfsPlusMagic = 0x482bUL;

// The mount a device number belongs to, from /proc/self/mountinfo: the one
// on top where several share it.
struct Mount {
    std::string point;
    std::string type;   // "ext4", "fuseblk", "fuse.fusefat", ...
    std::string source; // "/dev/loop0", or whatever a FUSE driver calls itself ("fusefat")
};
std::optional<Mount> mountOf(dev_t device);

// The block device a folder's file system lies on, as a path ("/dev/loop0"):
// the mount's source where it is one, else the device a FUSE driver was
// started on; nullopt where there is none (tmpfs) or it cannot be found.
std::optional<std::string> blockDeviceOf(const Mount& mount);
// The program of the FUSE driver serving a "fuseblk" mount ("mount.exfat-fuse", "ntfs-3g").
std::optional<std::string> fuseDriverOf(const Mount& mount);

// What a volume's own superblock says of it, read with libblkid and kept per
// device: its kind ("exfat", "vfat", "ntfs") and its serial or UUID.
struct VolumeLabel {
    std::string type;
    std::string id;
};
std::optional<VolumeLabel> volumeLabelOf(int folder);

// What the driver of a folder's file system honours of a request to make its
// names durable, as measured driver by driver.
enum class NameSync : std::uint8_t {
    Folder,     // the folder's own fsync writes its entries
    FileSystem, // only a sync of the whole file system does
    Device,     // the driver writes to its device at once, and the device's own cache must be written (fusefat)
    Nothing,    // nothing a program asks is known to write them
};
NameSync nameSyncOf(int folder);
Durability makeNamesDurableAt(int folder);

// Placeholders of the program's own, at a folder's descriptor.
std::optional<SystemError> stampPlaceholder(int placeholder);
bool isOwnPlaceholderAt(int folder, const std::string& name);
PlaceholderRemoval removeOwnPlaceholderAt(int folder, const std::string& name);
PlaceholderRemoval removeUnstampedPlaceholderAt(int folder, const std::string& name, std::int64_t since);

// Whether a folder's names compare without regard to letter case.
bool folderIgnoresCase(int folder, const VolumeTraits& traits);

// Moves within and out of a held folder, never replacing anything. `bare`:
// both names are plain names of the folder itself; then the folder remembers
// what its file system refused, and skips it next time.
struct MoveSupport {
    bool noReplaceFlag = true; // renameat2(RENAME_NOREPLACE)
    bool hardLinks = true;     // link() refuses an existing name as well
};
// What a mounted file system refused of the moves, remembered for the
// process's life: every folder held on it then starts from there. A mount is
// known by its device, its mount id and its kind: the first two are handed to
// the next mount once it is gone, and the kind then tells an ext4 on the loop
// device an exFAT card had from that card.
struct MountKey {
    dev_t device = 0;
    std::uint64_t mount = 0;
    unsigned long type = 0;
    friend auto operator<=>(const MountKey&, const MountKey&) = default;
};
MountKey mountKeyOf(int folder);
MoveSupport moveSupportOf(const MountKey& key);
void rememberMoveSupport(const MountKey& key, const MoveSupport& support);
std::optional<SystemError> moveNoReplace(int folder, const std::string& from, const std::string& to, MoveSupport& support);

// The last resort of moveNoReplace(), where the file system can neither refuse by itself nor link.
std::optional<SystemError> moveOntoPlaceholder(int folder, const std::string& from, const std::string& to);

// Across file systems: a copy, and the source removed only once the copy is complete and the source unchanged.
std::optional<SystemError> moveByCopy(int folder, const std::string& from, const std::string& to);

// The entries of one read of a folder, in its order, as they answer probes:
// the names in one piece of memory, each with its number and type.
struct FolderEntries {
    struct Entry {
        ino_t inode;
        std::uint32_t end; // of its name in `text`, where the next one starts
        unsigned char type;
    };
    std::string text;
    std::vector<Entry> entries;
    bool complete = true; // false once more names came than the table holds

    // Room for the entries of a folder of this size, about what they take.
    void reserveFor(off_t folderSize);
    void add(const char* name, ino_t inode, unsigned char type);
    std::string_view nameOf(std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : entries[i - 1].end;
        return std::string_view(text).substr(start, entries[i].end - start);
    }
};

// Hands every entry of an open folder to `each`; `folder` stays open. Where
// `kept` is given, every entry is also added to it, "." and ".." too.
std::optional<SystemError> readEntries(int folder, const EntryListed& each, FolderEntries* kept = nullptr);

// A folder's read kept under a watch (see KeptReading), for a folder whose
// file system sees every change: its entries handed to `each` as readEntries()
// hands them. `kept` is left empty where the watch cannot be had.
std::optional<SystemError> readEntriesKept(int folder, const EntryListed& each, std::shared_ptr<KeptReading>& kept);
// The entries of `reading`, where it is a kept read of `folder` that no change has reached since.
const FolderEntries* entriesStillHeld(KeptReading* reading, int folder);

// Folder::probeInOrder() of an open folder, probing ahead on a second thread.
void probeInOrderAt(int folder, std::size_t count, const NameAt& nameAt, const NameProbedUntil& each);

// probeNames() from one read of an open folder, where its entries can answer.
void probeNamesAt(int folder, const VolumeTraits& traits, bool ignoresCase, std::size_t count, const NameAt& nameAt,
                  const NameProbed& each);
// The names of a whole read found through tables of their hashes: made once,
// then asked from any thread.
struct EntriesIndex {
    EntriesIndex(const FolderEntries& read, bool ignoresCase);
    const FolderEntries* of; // the read it indexes
    HashIndex present;
    HashIndex folded; // where case is ignored: a plain name is free only if no entry folds like it
};
// The same from entries read before, whole, which the folder still holds, and their index.
void probeNamesFrom(int folder, const FolderEntries& read, const EntriesIndex& index, const VolumeTraits& traits,
                    bool ignoresCase, std::size_t count, const NameAt& nameAt, const NameProbed& each);

} // namespace norvane::platform::posix
