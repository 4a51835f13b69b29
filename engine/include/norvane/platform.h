#pragma once

// The engine's only door to the operating system. Each platform implements it
// in one file (platform_posix.cpp, platform_windows.cpp); nothing else in the
// engine includes a system header. Paths and names are the engine's text:
// bytes as the file system takes them on POSIX, UTF-8 on Windows.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::platform {

// An error as the operating system reported it: its number and its text.
struct SystemError {
    int number = 0;
    std::string description;
};

// What a system error stands in the way of, in the engine's own words; the
// number and the text stay the system's.
enum class ErrorKind { Other, NotFound, Exists, NameTooLong, NoPermission, NotAFolder, TooManyLinks, BadName };
ErrorKind errorKind(const SystemError& error);

// Which file a path leads to, for as long as the file exists: device and
// inode on POSIX, volume serial number and file index on Windows.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

enum class EntryKind { File, Folder, Other };

// One entry of a folder as a read hands it over. `hidden`: the hidden or
// system attribute, or what stands for them (a leading "." on POSIX).
using EntryListed = std::function<void(std::string_view name, EntryKind kind, bool hidden)>;

enum class PathKind { Absent, File, Folder, Other };

struct PathProbe {
    PathKind kind = PathKind::Absent;
    // Set when the path cannot even be looked up (a name too long, a part that
    // is not a folder): such a path can never be a destination.
    std::optional<SystemError> error;
    // The file found, where the probe asked the system for it.
    std::optional<FileId> id;
    // When that file came to be, in nanoseconds since 1970, where the file
    // system keeps it: a file born after a batch is not one the batch moved,
    // even where it was given a freed inode.
    std::optional<std::int64_t> born;
};

// A folder as the system reaches it, following symbolic links all the way.
struct FolderProbe {
    bool isFolder = false;
    FileId id;
    // Whether its names compare without regard to letter case ('A.txt' and
    // 'a.txt' are one name): a matter of its file system, not of the platform.
    bool ignoresCase = false;
    std::optional<SystemError> error; // why it is not a folder, where the system said
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

    // Looks at a path without following a final symbolic link.
    virtual PathProbe probe(const std::string& path) = 0;

    virtual FolderProbe probeFolder(const std::string& path) = 0;

    // probe(folder + separator + name) for each of `count` names of one
    // folder, `nameAt(i)` giving the i-th, handed to `each` with its index in
    // order. The default probes each name; a platform may answer from one
    // read of the folder where that is sure to give the same answers. Names
    // are asked for rather than handed over: a million of them in a list of
    // their own would cost as much as the rest of the check.
    using NameAt = std::function<std::string_view(std::size_t index)>;
    using NameProbed = std::function<void(std::size_t index, const PathProbe& probe)>;
    virtual void probeNames(const std::string& folder, std::size_t count, const NameAt& nameAt, const NameProbed& each);

    // Moves one file. On success the file is at destination; on failure nothing
    // moved. It never replaces anything: an existing destination, and a
    // destination equal to source, are refused.
    virtual std::optional<SystemError> move(const std::string& source, const std::string& destination) = 0;

    // Moves between names relative to one folder, as move() on the joined
    // paths does. A platform may hold the folder open across the moves, so
    // each looks up its names alone; the default joins the paths.
    class FolderMoves {
    public:
        virtual ~FolderMoves() = default;
        virtual std::optional<SystemError> move(std::string_view from, std::string_view to) = 0;
    };
    virtual std::unique_ptr<FolderMoves> movesIn(const std::string& folder);
};

FileSystem& nativeFileSystem();

namespace testing {
// For tests only: called in a move across file systems once the copy is made or has failed, before anything is removed.
void onCopying(std::function<void(const std::string& source)> hook);
} // namespace testing

char directorySeparator();

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

} // namespace norvane::platform
