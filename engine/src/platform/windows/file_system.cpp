// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The file system on Windows: a batch's folder held open without delete
// sharing, so that it cannot be renamed or removed while the batch works, and
// reached by its final path, links resolved once when it was opened.

#include "platform/windows/windows.h"

#include "norvane/path.h"
#include "platform/case_change.h"
#include "platform/windows/utf16.h"

namespace norvane::platform {

namespace {

using windows::errorOf;
using windows::Handle;
using windows::finalPath;
using windows::lastError;

bool hidden(DWORD attributes) { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }

class WindowsFolder final : public Folder {
public:
    explicit WindowsFolder(const std::string& path) : base_(path) {
        const std::optional<std::wstring> system = windows::systemPath(path);
        if (!system) {
            about_.error = windows::unusablePath(path);
            return;
        }
        // Reading rights, so that the sharing it denies (delete, hence
        // rename) is enforced against everyone else.
        const HANDLE opened = ::CreateFileW(system->c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr);
        if (opened == INVALID_HANDLE_VALUE) {
            about_.error = lastError();
            return;
        }
        handle_.reset(opened);
        about_ = windows::describeFolder(opened);
        if (const std::optional<std::string> reached = finalPath(opened)) base_ = *reached;
    }

    const FolderProbe& about() const override { return about_; }

    PathProbe probe(std::string_view name) override {
        if (!about_.isFolder) return PathProbe{PathKind::Absent, about_.error, std::nullopt};
        return windows::probePath(JoinPath(base_, name));
    }

    FolderProbe probeFolder(std::string_view name) override {
        if (!about_.isFolder) return about_;
        return windows::probeFolderPath(JoinPath(base_, name));
    }

    // A probe reads nothing the folder's other calls change: the folder held open, the name given.
    bool probesFromASecondThread() const override { return true; }

    std::optional<std::string> spelling(std::string_view name) override {
        const std::optional<std::wstring> path = windows::systemPath(JoinPath(base_, name));
        if (!about_.isFolder || !path) return std::nullopt;
        const std::optional<std::wstring> stored = windows::storedName(*path);
        return stored ? std::optional(windows::fromWide(*stored)) : std::nullopt;
    }

    std::optional<SystemError> move(std::string_view from, std::string_view to) override {
        if (!about_.isFolder) return about_.error;
        if (!changesCaseOnly(from, to)) return windows::moveNoReplace(JoinPath(base_, from), JoinPath(base_, to));
        return changeCase(from, to, caseChangeMoves());
    }

    Durability makeNamesDurable() override {
        if (!about_.isFolder) return Durability{Durability::Answer::NotPromised, about_.error};
        const std::optional<std::wstring> path = windows::systemPath(base_);
        if (!path) return Durability{Durability::Answer::NotPromised, windows::unusablePath(base_)};
        return windows::makeNamesDurable(*path);
    }

    std::optional<std::string> volumeId() override { return about_.isFolder ? windows::volumeIdOf(handle_.get()) : std::nullopt; }

    PlaceholderRemoval removeOwnPlaceholder(std::string_view name) override {
        if (!about_.isFolder) return PlaceholderRemoval{false, about_.error};
        const std::optional<std::wstring> path = windows::systemPath(JoinPath(base_, name));
        if (!path) return PlaceholderRemoval{false, windows::unusablePath(JoinPath(base_, name))};
        return windows::removeOwnPlaceholder(*path);
    }

    std::vector<std::string> holdersOf(std::string_view name) override {
        if (!about_.isFolder) return {};
        return windows::programsHolding(JoinPath(base_, name));
    }

private:
    CaseChangeMoves caseChangeMoves() {
        return CaseChangeMoves{
            [this](std::string_view from, std::string_view to) {
                return windows::moveNoReplace(JoinPath(base_, from), JoinPath(base_, to));
            },
            // Some file systems (Wine's among them) report a case-only rename as done and keep the old spelling.
            [this](std::string_view name) {
                const std::optional<std::wstring> path = windows::systemPath(JoinPath(base_, name));
                return path && windows::storedName(*path) == std::wstring(windows::lastComponent(*path));
            },
            [](unsigned attempt) { return parkingName(::GetCurrentProcessId(), attempt); },
        };
    }

    std::string base_;
    Handle handle_;
    FolderProbe about_;
};

class WindowsFileSystem final : public FileSystem {
public:
    // Each read opens the folder on its own and keeps nothing between calls.
    bool readsFromASecondThread() const override { return true; }

    std::optional<SystemError> readFolder(const std::string& folder, const EntryListed& each) override {
        const std::optional<std::wstring> path = windows::systemPath(folder);
        if (!path) return windows::unusablePath(folder);
        const DWORD attributes = ::GetFileAttributesW(path->c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return errorOf(ERROR_DIRECTORY);
        std::wstring pattern = *path;
        if (pattern.back() != L'\\') pattern += L'\\';
        pattern += L'*';

        WIN32_FIND_DATAW found{};
        const HANDLE first = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                                FIND_FIRST_EX_LARGE_FETCH);
        if (first == INVALID_HANDLE_VALUE) {
            // A drive root has no "." entry, so an empty one finds nothing at all.
            if (::GetLastError() != ERROR_FILE_NOT_FOUND) return lastError();
            return std::nullopt;
        }
        const std::unique_ptr<void, windows::FindCloser> search(first);
        do {
            const std::wstring_view name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const EntryKind kind = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                   : (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) ? EntryKind::Other
                                                                                      : EntryKind::File;
            each(windows::fromWide(std::wstring(name)), kind, hidden(found.dwFileAttributes));
        } while (::FindNextFileW(first, &found));
        if (::GetLastError() != ERROR_NO_MORE_FILES) return lastError();
        return std::nullopt;
    }

    FolderProbe probeFolder(const std::string& path) override { return windows::probeFolderPath(path); }

    std::unique_ptr<Folder> openFolder(const std::string& path) override { return std::make_unique<WindowsFolder>(path); }

    std::variant<std::string, SystemError> resolveFolder(const std::string& path) override {
        const std::optional<std::wstring> system = windows::systemPath(path);
        if (!system) return windows::unusablePath(path);
        const HANDLE opened = ::CreateFileW(system->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (opened == INVALID_HANDLE_VALUE) return lastError();
        const Handle handle(opened);
        if (const std::optional<std::string> reached = finalPath(opened)) return *reached;
        return lastError();
    }
};

} // namespace

FileSystem& nativeFileSystem() {
    static WindowsFileSystem fileSystem;
    return fileSystem;
}

// Hiding is an attribute here, which a rename keeps.
bool hiddenByName(std::string_view) { return false; }

// A leading dot hides nothing on Windows; ".tmp" says what it is.
std::string parkingName(std::uint32_t processId, unsigned attempt) {
    return "norvane-" + std::to_string(processId) + "-" + std::to_string(attempt) + ".tmp";
}

std::string applicationFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) break;
        if (length < path.size()) {
            path.resize(length);
            // A drive root keeps its separator: "C:\".
            const std::string program = windows::fromWide(path);
            const std::string_view folder = ParentFolder(program);
            if (folder.empty()) break;
            return std::string(folder);
        }
        path.resize(path.size() * 2); // truncated: try a larger buffer
    }
    std::wstring current(::GetCurrentDirectoryW(0, nullptr), L'\0');
    current.resize(::GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));
    return windows::fromWide(current);
}

// The system's own case mapping, one unit at a time, as its file systems compare names.
std::string foldCase(std::string_view name) {
    const std::optional<std::u16string> converted = text::toUtf16(name);
    if (!converted) return std::string(name);
    std::wstring wide(converted->begin(), converted->end());
    if (!wide.empty()) ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return windows::fromWide(wide);
}

// The Windows heap keeps freed blocks for reuse by itself, and hands back its own.
void keepFreedMemoryForBatches() {}
void returnFreedMemory() {}

void watchForEndOfSession() {} // Windows tells the window, which calls requestEnding()

} // namespace norvane::platform
