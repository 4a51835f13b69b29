// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program's own files on Windows: held by opening them with no read or
// write sharing, which the system ends with the process however it ends. Delete
// sharing is kept, so the holder can still rename or remove its own file.

#include "platform/windows/windows.h"

#include "norvane/path.h"
#include "platform/own_files.h"

#include <shlobj.h>

#include <algorithm>

namespace norvane::platform {

namespace {

using windows::errorOf;
using windows::Handle;
using windows::lastError;

struct TaskMemoryFreer {
    void operator()(wchar_t* text) const { ::CoTaskMemFree(text); }
};

SystemError notARegularFile() { return SystemError{ERROR_INVALID_PARAMETER, {}, SystemError::Reason::NotARegularFile}; }

// The folder a path names its last component in; empty where there is none
// to make (a drive or a share's root is there or not at all).
std::string parentOf(const std::string& path) {
    const std::string_view parent = ParentFolder(path);
    if (parent.size() == RootLength(parent)) return {};
    return std::string(parent);
}

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

constexpr std::size_t largestCall = std::size_t{1} << 30; // ReadFile and WriteFile count in DWORDs

class WindowsOwnFile final : public OwnFile {
public:
    WindowsOwnFile(Handle handle, std::uint64_t size) : OwnFile(size), handle_(std::move(handle)) {}

private:
    std::variant<std::size_t, SystemError> readAt(std::uint64_t offset, char* into, std::size_t length) override {
        OVERLAPPED from = at(offset);
        DWORD got = 0;
        if (::ReadFile(handle_.get(), into, static_cast<DWORD>(std::min(length, largestCall)), &got, &from)) return std::size_t{got};
        if (::GetLastError() == ERROR_HANDLE_EOF) return std::size_t{0};
        return lastError();
    }

    std::variant<std::size_t, SystemError> writeAt(std::uint64_t offset, const char* from, std::size_t length) override {
        OVERLAPPED to = at(offset);
        DWORD wrote = 0;
        if (!::WriteFile(handle_.get(), from, static_cast<DWORD>(std::min(length, largestCall)), &wrote, &to)) return lastError();
        if (wrote == 0) return errorOf(ERROR_WRITE_FAULT);
        return std::size_t{wrote};
    }

    std::optional<SystemError> setSize(std::uint64_t size) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
        if (!::SetFileInformationByHandle(handle_.get(), FileEndOfFileInfo, &end, sizeof end)) return lastError();
        return std::nullopt;
    }

    // The file's size and its entry in the folder are the file system's own
    // metadata, which FlushFileBuffers writes out with the data.
    std::optional<SystemError> flush() override {
        if (!::FlushFileBuffers(handle_.get())) return lastError();
        return std::nullopt;
    }

    Handle handle_;
};

std::variant<std::unique_ptr<OwnFile>, SystemError> opened(const std::string& path, DWORD disposition) {
    const std::optional<std::wstring> system = windows::systemPath(path);
    if (!system) return windows::unusablePath(path);
    // A link is opened as itself, and then refused: nothing the program makes is one.
    const HANDLE opened = ::CreateFileW(system->c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return lastError();
    Handle handle(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(opened, &information)) return lastError();
    if (::GetFileType(opened) != FILE_TYPE_DISK ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0)
        return notARegularFile();
    const std::uint64_t size = std::uint64_t{information.nFileSizeHigh} << 32 | information.nFileSizeLow;
    return std::make_unique<WindowsOwnFile>(std::move(handle), size);
}

std::optional<SystemError> makeFolder(const std::string& path) {
    const std::optional<std::wstring> system = windows::systemPath(path);
    if (!system) return windows::unusablePath(path);
    if (::CreateDirectoryW(system->c_str(), nullptr)) return std::nullopt;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = ::GetFileAttributesW(system->c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? std::nullopt
                                                                                                 : std::optional(errorOf(ERROR_DIRECTORY));
    }
    const std::string parent = parentOf(path);
    if (error != ERROR_PATH_NOT_FOUND || parent.empty()) return errorOf(error);
    if (auto failed = makeFolder(parent)) return failed;
    if (::CreateDirectoryW(system->c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS) return makeFolder(path);
    return lastError();
}

} // namespace

std::optional<std::string> stateFolder() {
    // %LOCALAPPDATA% first, as a user (or a test) may point it elsewhere; the known folder where it is not set.
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (length > 1) {
        std::wstring variable(length, L'\0');
        variable.resize(::GetEnvironmentVariableW(L"LOCALAPPDATA", variable.data(), length));
        std::string folder = windows::fromWide(variable);
        while (!folder.empty() && IsPathSeparator(folder.back())) folder.pop_back();
        if (folder.size() >= 2 && (folder[1] == ':' || (IsPathSeparator(folder[0]) && IsPathSeparator(folder[1])))) return folder + "\\Norvane";
    }
    wchar_t* found = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &found);
    const std::unique_ptr<wchar_t, TaskMemoryFreer> freed(found);
    if (FAILED(result) || found == nullptr || found[0] == L'\0') return std::nullopt;
    std::string folder = windows::fromWide(found);
    while (!folder.empty() && IsPathSeparator(folder.back())) folder.pop_back();
    return folder + "\\Norvane";
}

std::optional<SystemError> makeFolders(const std::string& path) { return makeFolder(path); }

std::variant<std::vector<std::string>, SystemError> fileNames(const std::string& folder) {
    const std::optional<std::wstring> system = windows::systemPath(folder);
    if (!system) return windows::unusablePath(folder);
    std::wstring pattern = *system;
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE first = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    std::vector<std::string> names;
    if (first == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return names; // a drive root with nothing in it
        // Windows says "path not found" of a folder that is not there; to the caller
        // that is nothing found, as POSIX's ENOENT, not a folder that cannot be read.
        return errorOf(error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error);
    }
    const std::unique_ptr<void, windows::FindCloser> search(first);
    do {
        constexpr DWORD notAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
        if ((found.dwFileAttributes & notAFile) == 0) names.push_back(windows::fromWide(found.cFileName));
    } while (::FindNextFileW(first, &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return lastError();
    return names;
}

// Windows folders carry access lists, not an owner and mode bits to judge by.
std::optional<FolderRefusal> ownFolderRefusal(const std::string&) { return std::nullopt; }

std::variant<std::unique_ptr<OwnFile>, SystemError> OwnFile::create(const std::string& path) { return opened(path, CREATE_NEW); }

std::variant<std::unique_ptr<OwnFile>, SystemError> OwnFile::hold(const std::string& path) { return opened(path, OPEN_EXISTING); }

bool OwnFile::busy(const SystemError& error) {
    return error.number == ERROR_SHARING_VIOLATION || error.number == ERROR_LOCK_VIOLATION;
}

std::optional<SystemError> renameOwnFile(const std::string& from, const std::string& to) {
    const std::optional<std::wstring> source = windows::systemPath(from);
    if (!source) return windows::unusablePath(from);
    const std::optional<std::wstring> destination = windows::systemPath(to);
    if (!destination) return windows::unusablePath(to);
    // No MOVEFILE_REPLACE_EXISTING: an existing destination is refused.
    if (!::MoveFileExW(source->c_str(), destination->c_str(), MOVEFILE_WRITE_THROUGH)) return lastError();
    return std::nullopt;
}

std::optional<SystemError> removeOwnFile(const std::string& path) {
    const std::optional<std::wstring> system = windows::systemPath(path);
    if (!system) return windows::unusablePath(path);
    if (!::DeleteFileW(system->c_str())) return lastError();
    return std::nullopt;
}

std::uint32_t processId() { return ::GetCurrentProcessId(); }

} // namespace norvane::platform
