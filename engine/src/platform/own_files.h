// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Files of the program's own, kept in the user's state folder: written by
// appending, made durable on request, and held by one process at a time.
// Paths are the engine's text, as everywhere in the platform layer.

#include "norvane/platform.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace norvane::platform {

// Where the program keeps its own state: $XDG_STATE_HOME/norvane when that is
// an absolute path, else $HOME/.local/state/norvane (POSIX);
// %LOCALAPPDATA%\Norvane (Windows). nullopt where none can be named: a
// relative path would lead somewhere else from every working folder.
// Nothing is created.
std::optional<std::string> stateFolder();

// Makes a folder and its missing parents; new ones private to the user (0700
// on POSIX; on Windows they take the permissions of the folder they are in).
// Each new folder's entry is made durable, so files made in it later survive
// a power cut together with it. A folder already there is fine.
std::optional<SystemError> makeFolders(const std::string& path);

// The names of the regular files in a folder, in no particular order. Links
// and folders are left out: nothing the program makes is either.
std::variant<std::vector<std::string>, SystemError> fileNames(const std::string& folder);

// Why a folder is not the user's own to keep state in: another user owns it,
// or others can put files in it (a folder writable by its group or by anyone
// without the sticky bit). A link is followed; the link too must be the
// user's. nullopt where the folder is the user's, where it is not there
// (it will be made the user's), and on Windows, which answers nothing here.
struct FolderRefusal {
    enum class Why { NotOwned, OthersCanWrite } why = Why::NotOwned;
};
std::optional<FolderRefusal> ownFolderRefusal(const std::string& folder);

// A file of the program's own, held open. At most one process holds a given
// file at a time: the hold is a lock the system drops when the process ends,
// however it ends. It guards the file's content, not its name: the holder
// may rename or remove the file, and holds it under its new name.
class OwnFile {
public:
    // Creates the file, exclusively (fails if it exists), and holds it. On
    // POSIX another process's hold() may win the moment between the making
    // and the lock; create() then fails as busy() and leaves the file to it.
    static std::variant<std::unique_ptr<OwnFile>, SystemError> create(const std::string& path);
    // Opens an existing regular file and holds it; a file another process
    // holds gives an error that busy() recognises, at once (never waits).
    static std::variant<std::unique_ptr<OwnFile>, SystemError> hold(const std::string& path);
    static bool busy(const SystemError& error);

    OwnFile(const OwnFile&) = delete;
    OwnFile& operator=(const OwnFile&) = delete;
    virtual ~OwnFile() = default;

    // The whole content, from the start.
    std::variant<std::string, SystemError> read();
    // Where the next append goes: the file's size as this holder knows it.
    std::uint64_t size() const { return size_; }
    // Up to `length` bytes at `offset` into `into`; 0 at the end. A file is
    // read in pieces of a size the caller bounds, never allocated whole.
    std::variant<std::size_t, SystemError> readSome(std::uint64_t offset, char* into, std::size_t length) {
        return readAt(offset, into, length);
    }
    // Appends at the end; a short write is retried. On an error the file is
    // cut back to where it ended, so a later append never follows half a
    // write; where even that fails, every later call fails with that error.
    std::optional<SystemError> append(std::string_view bytes);
    // Cuts the file to its first `size` bytes: a torn tail, before appending.
    std::optional<SystemError> cut(std::uint64_t size);
    // Makes what was appended durable; the first time after create(), the
    // file's name too. A failed sync leaves it unknown what reached the disk
    // (the system may have dropped the unwritten data), so every later call
    // fails with that error rather than report a sync that is not one.
    std::optional<SystemError> sync();

protected:
    explicit OwnFile(std::uint64_t size) : size_(size) {}

    // The platform's part. Reads up to `length` bytes at `offset`; 0 at the end.
    virtual std::variant<std::size_t, SystemError> readAt(std::uint64_t offset, char* into, std::size_t length) = 0;
    // Writes at least one of `length` bytes at `offset`, or fails.
    virtual std::variant<std::size_t, SystemError> writeAt(std::uint64_t offset, const char* from, std::size_t length) = 0;
    virtual std::optional<SystemError> setSize(std::uint64_t size) = 0;
    // The data and the file's size on the disk, and, after create(), its name.
    virtual std::optional<SystemError> flush() = 0;

private:
    std::uint64_t size_;                // where the next append goes
    std::optional<SystemError> failed_; // once set, every later call fails with it
};

// Renames without ever replacing a file (to set one aside, or to claim it).
// Both this and the removal are made durable where the system lets a program
// ask (a folder's fsync on POSIX, a write-through move on Windows): a file
// removed or set aside must not come back after a power cut.
std::optional<SystemError> renameOwnFile(const std::string& from, const std::string& to);
std::optional<SystemError> removeOwnFile(const std::string& path);

// The running process's id, for names of the program's own.
std::uint32_t processId();

} // namespace norvane::platform
