// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The engine's only door to the operating system. Each platform implements it
// in its own folder (platform/posix/, platform/windows/); nothing else in the
// engine includes a system header. Paths and names are the engine's text:
// bytes as the file system takes them on POSIX, UTF-8 on Windows.

#include "norvane/path.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace norvane::platform {

// An error as the operating system reported it: its number and its text; or
// one the engine itself finds, named by its reason, the window writing the
// sentence for it.
struct SystemError {
    enum class Reason {
        System,               // the system's own: `number` and `description` say it
        NoStateFolder,        // neither XDG_STATE_HOME nor HOME names a folder for the journal
        FolderNotOwned,       // the journal's folder belongs to another user
        OthersCanWrite,       // others can write to the journal's folder
        NotEnoughMemory,      // a batch's file is too large to read into this machine's memory
        HeldByAnotherNorvane, // another Norvane holds the batch's file
        JournalNotWritable,   // the journal's folder cannot be written to
        CutPastSize,          // a file was to be cut to a size longer than it is
        NotARegularFile,      // a journal's file is not a regular file
        ChangedWhileCopied,   // a file changed while it was copied across volumes, and stayed where it was
        NoTemporaryName,      // every temporary name for a change of letter case is taken (`first` to `last`)
    };
    SystemError() = default;
    SystemError(int number, std::string description, Reason reason = Reason::System)
        : number(number), description(std::move(description)), reason(reason) {}

    int number = 0;
    std::string description; // the system's words, for Reason::System
    Reason reason = Reason::System;
    std::string first, last; // NoTemporaryName: the first and the last temporary name tried
    std::string leftAs;      // a failed change of letter case left the file under this temporary name
};

// What a system error stands in the way of, in the engine's own words; the
// number and the text stay the system's.
enum class ErrorKind { Other, NotFound, Exists, NameTooLong, NoPermission, NotAFolder, TooManyLinks, BadName };
ErrorKind errorKind(const SystemError& error);

// Which file a path leads to, as the system numbers it: device and inode on
// POSIX, volume serial number and file index on Windows.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

// What a file is, as opposed to which: what a file system that numbers its
// files afresh still keeps of it across a rename and a remount.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // the last write, in nanoseconds since 1970
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// All the system tells of one file for knowing it again later.
struct FileIdentity {
    FileId id;
    std::optional<std::int64_t> born; // when it was made, nanoseconds since 1970, where the file system keeps it
    std::optional<FileStamp> stamp;   // unknown where only a folder's listing was read
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// How far a folder's file numbers can be trusted to name one file.
enum class IdentityTrust : std::uint8_t {
    // A file keeps its number for its life, across renames: ext4, XFS, Btrfs,
    // tmpfs, NTFS, and FUSE file systems that pass their own numbers on.
    Stable,
    // Numbers are handed out as files are looked at and change with a
    // remount, a cache drop or a longer name: FAT, exFAT, most FUSE file
    // systems, network shares. There a file is known by what it is.
    Unstable,
    // As Unstable, and a rename gives the file a new modification time
    // (fusefat): a file is known by its size alone.
    Restamped,
};

// What a rename keeps of a file in a folder of this trust: whether its
// modification time is still the one it had.
constexpr bool renameKeepsTime(IdentityTrust trust) { return trust != IdentityTrust::Restamped; }

// Which names a folder's file system can hold.
enum class NameRules : std::uint8_t {
    Posix,   // any bytes but "/" and NUL
    Windows, // FAT, exFAT, NTFS and SMB: UTF-16, no <>:"\|?* or control characters, no trailing dot or space, no device names
};

enum class EntryKind { File, Folder, Other };

// One entry of a folder as a read hands it over. `hidden`: the hidden or
// system attribute, or what stands for them (a leading "." on POSIX).
using EntryListed = std::function<void(std::string_view name, EntryKind kind, bool hidden)>;

// Whether a file of this name is hidden by its name alone (a leading "." on
// POSIX; on Windows hiding is an attribute, which a rename keeps).
bool hiddenByName(std::string_view name);

enum class PathKind { Absent, File, Folder, Other };

struct PathProbe {
    PathKind kind = PathKind::Absent;
    // Set when the path cannot even be looked up (a name too long, a part that
    // is not a folder): such a path can never be a destination.
    std::optional<SystemError> error;
    // The file found, as far as the probe asked the system.
    std::optional<FileIdentity> identity;
    // It is an empty placeholder of the program's own (see isOwnPlaceholder):
    // never a file's way back, whatever name it stands at.
    bool ownPlaceholder = false;
};

// The modification time a placeholder of the program's own carries:
// 2099-12-31 00:00:00 UTC, which no camera or user gives a file, and which
// FAT's two-second steps and every other file system hold exactly.
inline constexpr std::int64_t placeholderTime = 4102358400LL * 1000000000LL;

// Whether a probe's file is such a placeholder: an empty file with exactly that time.
bool isPlaceholder(PathKind kind, const std::optional<FileIdentity>& identity);

// Whether the names a rename touched in a folder are on its device: what a
// power cut or a card pulled now leaves is what the folder shows.
struct Durability {
    enum class Answer : std::uint8_t {
        Durable,     // the system wrote them and says so
        NotPromised, // nothing the driver honours makes them so: only a later look at the folder tells
    };
    Answer answer = Answer::NotPromised;
    std::optional<SystemError> error; // what the system said, where a sync failed
};

// A placeholder's removal: `removed` only where the file was proved the
// program's own right before it went; neither removed nor an error where the
// name holds no such file.
struct PlaceholderRemoval {
    bool removed = false;
    std::optional<SystemError> error;
};

// A folder as the system reaches it, following symbolic links all the way.
struct FolderProbe {
    bool isFolder = false;
    FileIdentity identity; // of the folder itself
    // Whether its names compare without regard to letter case ('A.txt' and
    // 'a.txt' are one name): a matter of its file system, not of the platform.
    bool ignoresCase = false;
    IdentityTrust trust = IdentityTrust::Unstable;
    NameRules names = NameRules::Posix;
    std::optional<SystemError> error; // why it is not a folder, where the system said
};

// probe() for each of `count` names, `nameAt(i)` giving the i-th, handed to
// `each` with its index in order. Names are asked for rather than handed
// over: a million of them in a list of their own would cost as much as the
// rest of a batch's check.
using NameAt = std::function<std::string_view(std::size_t index)>;
using NameProbed = std::function<void(std::size_t index, const PathProbe& probe)>;
// As NameProbed, answering whether to go on.
using NameProbedUntil = std::function<bool(std::size_t index, const PathProbe& probe)>;

// Below this many names a second thread costs more than it saves.
inline constexpr std::size_t namesWorthASecondThread = 1024;

// What one read of a folder found, kept under a watch on the folder for as
// long as the watch has seen no name in it come, go or move: a batch's check
// then answers from it, where reading a large folder again would be a tenth
// of the batch. Only where every change to the folder passes through this
// system, so that the watch is told of it (a local disk, tmpfs; never a
// share, nor a FUSE driver, which may serve what another machine changed).
class KeptReading {
public:
    virtual ~KeptReading() = default;
    // Ends the watch, and with it every answer from the reading. A watch
    // alive while a batch moves files is told of every move, at a cost
    // beside the moves' own.
    virtual void end() = 0;
};

// One folder held open for the length of a batch, from its check's read to
// its last move: names are looked up from the folder itself, so the folder
// renamed, or a link to it repointed, meanwhile changes nothing of where the
// files go. A name may hold separators and then leads from this folder into
// another; leading separators count for nothing, as in a doubled separator.
class Folder {
public:
    virtual ~Folder() = default;

    // The folder as it was opened; isFolder is false, and error says why, where it could not be.
    virtual const FolderProbe& about() const = 0;

    // Looks at a name without following a final symbolic link.
    virtual PathProbe probe(std::string_view name) = 0;
    // The folder a name leads to, following links.
    virtual FolderProbe probeFolder(std::string_view name) = 0;
    // probe() of many names. The default probes each; a platform may answer
    // from one read of the folder where that is sure to give the same answers
    // (the identity then holds the file number alone).
    virtual void probeNames(std::size_t count, const NameAt& nameAt, const NameProbed& each);
    // probeNames() answered from `reading` while it still holds this folder
    // as it is; a folder that cannot tell reads itself as before.
    virtual void answerFrom(std::shared_ptr<KeptReading> reading) { static_cast<void>(reading); }
    // Whether probeNames() answers now from the reading given to answerFrom(),
    // through one table of its names shared by calls made at the same time
    // from two threads: names asked for in two parts at once then cost no
    // second read of the folder.
    virtual bool answersFromKeptReading() { return false; }
    // probe() of many names, all the system tells of each, handed to `each`
    // in order on the calling thread until it answers false. A platform may
    // probe ahead on a second thread meanwhile: an undo's check asks this of
    // every file it moves back, and at a million files it is most of the
    // check's time. `nameAt` may then be asked from that thread too.
    virtual void probeInOrder(std::size_t count, const NameAt& nameAt, const NameProbedUntil& each);
    // Whether probe(), probeNames() and probeFolder() may be asked from a
    // second thread while the first goes on with the folder, moves included,
    // for names no move of the time touches: a large batch then reads the
    // folder while it judges its steps, and looks at the files it moved a
    // little behind its moves.
    virtual bool probesFromASecondThread() const { return false; }
    // Whether probing this many names is worth a second thread here.
    bool sharesProbes(std::size_t names) const { return names >= namesWorthASecondThread && probesFromASecondThread(); }

    // How the folder spells the name it holds that compares equal to `name`
    // (where it ignores case, 'IMG.JPG' for 'img.jpg'); nullopt where it
    // holds none. Reads the folder: for messages, not for every file.
    virtual std::optional<std::string> spelling(std::string_view name) = 0;

    // Moves one file. On success the file is at `to`; on failure nothing
    // moved. It never replaces anything: an existing `to`, and `to` equal to
    // `from`, are refused; a change of letter case alone is made where the
    // file system ignores case.
    virtual std::optional<SystemError> move(std::string_view from, std::string_view to) = 0;

    // Makes what moves in this folder touched durable on its device, as far as
    // its driver honours a request (the folder's own sync, or the whole file
    // system's where the folder cannot be synced alone). A folder that cannot
    // ask promises nothing.
    virtual Durability makeNamesDurable() { return {}; }

    // The volume's own serial number or UUID ("1234-ABCD" on a card), which
    // stays with the card across slots and remounts; nullopt where it has
    // none (tmpfs) or it cannot be read.
    virtual std::optional<std::string> volumeId() { return std::nullopt; }

    // Whether `name` holds a placeholder of the program's own: an empty file
    // with placeholderTime, the way a move makes it where the file system
    // cannot refuse an existing name by itself.
    virtual bool isOwnPlaceholder(std::string_view name) { return probe(name).ownPlaceholder; }
    // Removes `name` only where it is such a placeholder, checked again right
    // before it goes.
    virtual PlaceholderRemoval removeOwnPlaceholder(std::string_view) { return {}; }
    // A placeholder caught between its making and its stamp (a power cut, a
    // pulled card) is an empty file with the time it was made. Removes
    // `name` only where it is an empty file last written at `since` or
    // later; the caller knows a move of its own was under way there then.
    virtual PlaceholderRemoval removeUnstampedPlaceholder(std::string_view, std::int64_t since) {
        static_cast<void>(since);
        return {};
    }

    // The programs holding a file open, by the names the system shows for
    // them (on Windows, the Restart Manager's); empty where it cannot say.
    // Asked only once a move was refused because of them.
    virtual std::vector<std::string> holdersOf(std::string_view name) {
        static_cast<void>(name);
        return {};
    }
};

// What the engine asks of the file system. The batch run and the lists reach
// the disk only through this, so tests can put failures in between.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Hands every entry of a folder but "." and ".." to `each`, in the order
    // the system gives them, keeping none: the reader keeps what it needs, in
    // its own form. On an error the entries handed so far are to be forgotten.
    virtual std::optional<SystemError> readFolder(const std::string& folder, const EntryListed& each) = 0;
    // Whether readFolder() may be called from a second thread while the
    // first goes on with this file system.
    virtual bool readsFromASecondThread() const { return false; }
    // readFolder(), the read kept in `kept` where the file system can vouch
    // for it (see KeptReading); else `kept` is left empty.
    virtual std::optional<SystemError> readFolderKept(const std::string& folder, const EntryListed& each,
                                                      std::shared_ptr<KeptReading>& kept) {
        kept.reset();
        return readFolder(folder, each);
    }

    virtual FolderProbe probeFolder(const std::string& path) = 0;

    // Opens a folder for a batch; see Folder::about() for whether it opened.
    virtual std::unique_ptr<Folder> openFolder(const std::string& path) = 0;

    // The folder's questions of Folder, asked by path; each opens the folder.
    virtual Durability makeNamesDurable(const std::string& folder);
    virtual std::optional<std::string> volumeId(const std::string& folder);
    virtual bool isOwnPlaceholder(const std::string& folder, std::string_view name);
    virtual PlaceholderRemoval removeOwnPlaceholder(const std::string& folder, std::string_view name);

    // The folder a path leads to, with every link followed and the path made
    // absolute: the name under which a batch is recorded, so that a link
    // repointed later cannot lead its undo elsewhere. A file system without
    // links hands the path back.
    virtual std::variant<std::string, SystemError> resolveFolder(const std::string& path) { return path; }
};

FileSystem& nativeFileSystem();

// Why a folder with these rules cannot hold a name; nullopt where it can.
// Only the name's last component is judged.
struct NotHeld {
    enum class Why { NotText, TooLong, EndsWithDot, EndsWithSpace, ControlCharacter, ReservedCharacter, DeviceName };
    Why why = Why::DeviceName;
    char character = 0; // ReservedCharacter: the one it holds
    friend bool operator==(const NotHeld&, const NotHeld&) = default;
};
std::optional<NotHeld> whyNotHeld(NameRules rules, std::string_view name);

// A file another program holds open, so that it cannot be moved for now (on
// Windows, open without delete sharing: a photo in a viewer, a video in a
// player): a move refused for this may go through once that program lets go.
bool heldByAnotherProgram(const SystemError& error);

namespace testing {
// For tests only: called in a move across file systems once the copy is made or has failed, before anything is removed.
void onCopying(std::function<void(const std::string& source)> hook);
// For tests only: forgets that the program was asked to end.
void forgetEnding();
} // namespace testing

// The system's own separator, as the paths layer knows it.
constexpr char directorySeparator() { return pathSeparator; }

// The temporary name a change of letter case parks a file under, in the
// file's own folder: the process's id and the attempt make it the program's
// own. After a crash, the journal looks for what may be parked there.
std::string parkingName(std::uint32_t processId, unsigned attempt);

// The folder that holds the running program.
std::string applicationFolder();

// The user's own folder: the home folder on POSIX, the Documents folder on
// Windows.
std::string homeFolder();

// Whether this process may create files in `folder`, by the system's own
// rules (permissions, access lists, read-only mounts); false when it is not
// there.
bool canWriteTo(const std::string& folder);

// The folders the system installs programs into, those that exist: a program
// started from one of them, or from a folder inside one, is an installed one.
std::vector<std::string> programFolders();

// A name in one letter case, for comparing names in folders that ignore case.
// Bytes that are not text are kept as they are.
std::string foldCase(std::string_view name);

// The program is asked to end: its window closed, or the session ending
// (SIGTERM, SIGHUP or SIGINT on POSIX, once watched for; on Windows the
// window is told and asks). A batch then stops between two moves, as on
// Cancel; a signal's handler only notes it.
void watchForEndOfSession();
void requestEnding();
bool endingRequested();

// Keeps memory a batch frees for the next one rather than handing it back to
// the system at once: large batches otherwise pay for fresh pages every time.
// A matter of the whole program's allocator, so the program asks for it.
void keepFreedMemoryForBatches();
// Hands the system back what is free in the heap, holes between blocks in
// use included. Before an undo: its peak at a million files comes from the
// tables its look at the folder makes, and where the batch before it left
// the heap in pieces those tables took fresh pages beside them (the peak 280
// MiB, and 312 in some runs; 258 in every run with the heap given back first).
void returnFreedMemory();

} // namespace norvane::platform
