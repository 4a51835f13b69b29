// The platform layer on Windows. Paths reach the system as UTF-16 in the
// `\\?\` form, so deep folders work past 260 characters.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "norvane/platform.h"
#include "utf16.h"
#include "windows_path.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace norvane::platform {

namespace {

std::u16string_view units(const std::wstring& wide) { return {reinterpret_cast<const char16_t*>(wide.data()), wide.size()}; }
std::wstring wide(const std::u16string& text) { return {text.begin(), text.end()}; }

std::string describeError(DWORD number) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, number, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) ::LocalFree(buffer);
    // The system ends its texts with ".\r\n"; the engine's sentences go on after them.
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    if (message.empty()) return "system error " + std::to_string(number);
    return text::fromUtf16(units(message));
}

SystemError errorOf(DWORD number) { return SystemError{static_cast<int>(number), describeError(number)}; }
SystemError lastError() { return errorOf(::GetLastError()); }

// The system's spelling of an engine path; nullopt when the text is not UTF-8
// or holds a NUL, which would end the path early and name another file.
std::optional<std::wstring> systemPath(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
    const std::optional<std::u16string> converted = text::toUtf16(path);
    if (!converted) return std::nullopt;
    return wide(windows_path::extended(*converted));
}

SystemError unusablePath(const std::string& path) {
    return errorOf(path.empty() || path.find('\0') != std::string::npos ? ERROR_INVALID_NAME : ERROR_NO_UNICODE_TRANSLATION);
}

struct FindCloser {
    void operator()(HANDLE handle) const { ::FindClose(handle); }
};
struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};

bool hidden(DWORD attributes) { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }

std::optional<BY_HANDLE_FILE_INFORMATION> identity(const std::wstring& path) {
    // No access rights asked: only the identity is read, and the link itself, not its target.
    const HANDLE opened = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::unique_ptr<void, HandleCloser> handle(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(opened, &information)) return std::nullopt;
    return information;
}

bool sameIdentity(const std::optional<BY_HANDLE_FILE_INFORMATION>& a, const std::optional<BY_HANDLE_FILE_INFORMATION>& b) {
    return a && b && a->dwVolumeSerialNumber == b->dwVolumeSerialNumber && a->nFileIndexHigh == b->nFileIndexHigh &&
           a->nFileIndexLow == b->nFileIndexLow;
}

std::optional<FileId> fileId(const std::optional<BY_HANDLE_FILE_INFORMATION>& information) {
    if (!information) return std::nullopt;
    return FileId{information->dwVolumeSerialNumber,
                  std::uint64_t{information->nFileIndexHigh} << 32 | information->nFileIndexLow};
}

// The creation time, from 100-nanosecond steps since 1601 to nanoseconds since 1970.
std::optional<std::int64_t> bornAt(const std::optional<BY_HANDLE_FILE_INFORMATION>& information) {
    if (!information) return std::nullopt;
    const std::int64_t steps = static_cast<std::int64_t>(std::uint64_t{information->ftCreationTime.dwHighDateTime} << 32 |
                                                         information->ftCreationTime.dwLowDateTime);
    return (steps - 116444736000000000LL) * 100;
}

// Folders ignore case on Windows, unless one was made case-sensitive
// (fsutil file setCaseSensitiveInfo), as folders shared with Linux tools are.
bool caseSensitiveFolder(HANDLE folder) {
    struct CaseSensitiveInformation {
        ULONG flags;
    } information{};
    constexpr auto caseSensitiveInfoClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(23); // FileCaseSensitiveInfo
    constexpr ULONG caseSensitiveDirectory = 0x1;                                       // FILE_CS_FLAG_CASE_SENSITIVE_DIR
    return ::GetFileInformationByHandleEx(folder, caseSensitiveInfoClass, &information, sizeof information) &&
           (information.flags & caseSensitiveDirectory) != 0;
}


std::wstring caseFolded(std::wstring path) {
    // The system's own case mapping, one unit at a time, as its file systems compare names.
    if (!path.empty()) ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

std::wstring_view lastComponent(const std::wstring& path) { return std::wstring_view(path).substr(path.find_last_of(L'\\') + 1); }

bool refusedDestination(const std::wstring& path) {
    const std::wstring_view name = lastComponent(path);
    return windows_path::refusedName({reinterpret_cast<const char16_t*>(name.data()), name.size()});
}

// The name as the folder holds it, in its own letter case.
std::optional<std::wstring> storedName(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE first = ::FindFirstFileExW(path.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (first == INVALID_HANDLE_VALUE) return std::nullopt;
    ::FindClose(first);
    return std::wstring(found.cFileName);
}

// 'photo.JPG' -> 'photo.jpg'. Some file systems (Wine's among them) report a
// case-only rename as done and keep the old spelling; then the file goes
// through a free temporary name in the same folder, and back where that fails.
std::optional<SystemError> changeCase(const std::wstring& from, const std::wstring& to) {
    if (!::MoveFileExW(from.c_str(), to.c_str(), 0)) return lastError();
    if (storedName(to) == std::wstring(lastComponent(to))) return std::nullopt;

    const std::wstring folder = to.substr(0, to.size() - lastComponent(to).size());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring parked = folder + L"norvane-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".tmp";
        if (!::MoveFileExW(from.c_str(), parked.c_str(), 0)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
            return errorOf(error);
        }
        if (::MoveFileExW(parked.c_str(), to.c_str(), 0)) return std::nullopt;
        const SystemError error = lastError();
        ::MoveFileExW(parked.c_str(), from.c_str(), 0);
        return error;
    }
    return errorOf(ERROR_ALREADY_EXISTS);
}

std::function<void(const std::string&)>& copyingHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

SystemError changedWhileCopied() {
    return SystemError{ERROR_BUSY, "the file changed while it was being copied; it was left where it was"};
}

// A file written to in place keeps its identity but not its size or last write time.
bool unchanged(const BY_HANDLE_FILE_INFORMATION& before, const BY_HANDLE_FILE_INFORMATION& now) {
    return sameIdentity(before, now) && before.nFileSizeHigh == now.nFileSizeHigh && before.nFileSizeLow == now.nFileSizeLow &&
           ::CompareFileTime(&before.ftLastWriteTime, &now.ftLastWriteTime) == 0;
}

// Deletes the file at path only if it is still `expected` (and, for a source,
// unchanged). One handle both looks and deletes, so a file that takes the name
// meanwhile is never touched. A move takes a read-only file along: the flag is
// lifted for the delete, through a second handle to the same file, and put
// back if the delete fails.
std::optional<SystemError> deleteIfSame(const std::wstring& path, const std::optional<BY_HANDLE_FILE_INFORMATION>& expected,
                                        bool unchangedToo) {
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    constexpr DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    const HANDLE opened = ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING, flags, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return lastError();
    const std::unique_ptr<void, HandleCloser> handle(opened);
    BY_HANDLE_FILE_INFORMATION now{};
    if (!::GetFileInformationByHandle(opened, &now)) return lastError();
    if (!expected || !(unchangedToo ? unchanged(*expected, now) : sameIdentity(*expected, now))) return changedWhileCopied();

    std::unique_ptr<void, HandleCloser> attributes;
    FILE_BASIC_INFO basic{}; // zero times: left as they are
    if (now.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        const HANDLE reopened = ::ReOpenFile(opened, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, share, flags);
        if (reopened == INVALID_HANDLE_VALUE) return lastError();
        attributes.reset(reopened);
        basic.FileAttributes = now.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (!::SetFileInformationByHandle(reopened, FileBasicInfo, &basic, sizeof basic)) return lastError();
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (::SetFileInformationByHandle(opened, FileDispositionInfo, &disposition, sizeof disposition)) return std::nullopt;
    const SystemError error = lastError();
    if (attributes) {
        basic.FileAttributes = now.dwFileAttributes;
        ::SetFileInformationByHandle(attributes.get(), FileBasicInfo, &basic, sizeof basic);
    }
    return error;
}

// Learns, from the handle the copy writes through, which file it made.
DWORD CALLBACK recordCopy(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE made,
                          LPVOID data) {
    auto& copy = *static_cast<std::optional<BY_HANDLE_FILE_INFORMATION>*>(data);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!copy && ::GetFileInformationByHandle(made, &information)) copy = information;
    return PROGRESS_CONTINUE;
}

// MOVEFILE_COPY_ALLOWED would report success while leaving the source behind
// when it cannot delete it, and leave its copy behind when it fails. Here the
// copy is made only where nothing is, it is deleted only when this copy made
// it, and the source goes only once the copy is complete and only if it did not
// change meanwhile (a program saving over it, or writing to it).
std::optional<SystemError> moveAcrossVolumes(const std::string& source, const std::wstring& from, const std::wstring& to,
                                             const std::optional<BY_HANDLE_FILE_INFORMATION>& original) {
    std::optional<BY_HANDLE_FILE_INFORMATION> copy;
    const bool copied = ::CopyFileExW(from.c_str(), to.c_str(), recordCopy, &copy, nullptr, COPY_FILE_FAIL_IF_EXISTS);
    std::optional<SystemError> failure;
    if (!copied) failure = lastError();
    // Wine's copy reports no progress: its copy is then known as what is there
    // right after it was made, and a failed one, not known to be ours, stays.
    if (copied && !copy) copy = identity(to);
    if (copyingHook()) copyingHook()(source);
    if (!failure) failure = deleteIfSame(from, original, true);
    if (failure && copy) deleteIfSame(to, copy, false); // keep one copy only: the original
    return failure;
}

class WindowsFileSystem final : public FileSystem {
public:
    std::optional<SystemError> readFolder(const std::string& folder, const EntryListed& each) override {
        const std::optional<std::wstring> path = systemPath(folder);
        if (!path) return unusablePath(folder);
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
        const std::unique_ptr<void, FindCloser> search(first);
        do {
            const std::wstring_view name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const EntryKind kind = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                   : (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) ? EntryKind::Other
                                                                                      : EntryKind::File;
            each(text::fromUtf16(units(std::wstring(name))), kind, hidden(found.dwFileAttributes));
        } while (::FindNextFileW(first, &found));
        if (::GetLastError() != ERROR_NO_MORE_FILES) return lastError();
        return std::nullopt;
    }

    PathProbe probe(const std::string& path) override {
        const std::optional<std::wstring> system = systemPath(path);
        if (!system) return PathProbe{PathKind::Absent, unusablePath(path), std::nullopt, std::nullopt};
        if (lastComponent(*system).size() > 255) return PathProbe{PathKind::Absent, errorOf(ERROR_FILENAME_EXCED_RANGE), std::nullopt, std::nullopt};
        if (refusedDestination(*system)) return PathProbe{PathKind::Absent, errorOf(ERROR_INVALID_NAME), std::nullopt, std::nullopt};
        // Attributes of a link itself: the final component is not followed.
        const DWORD attributes = ::GetFileAttributesW(system->c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) return PathProbe{};
            return PathProbe{PathKind::Absent, errorOf(error), std::nullopt, std::nullopt};
        }
        const PathKind kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder
                              : (attributes & FILE_ATTRIBUTE_DEVICE)  ? PathKind::Other
                                                                      : PathKind::File;
        const auto information = identity(*system);
        return PathProbe{kind, std::nullopt, fileId(information), bornAt(information)};
    }

    FolderProbe probeFolder(const std::string& path) override {
        FolderProbe result;
        const std::optional<std::wstring> system = systemPath(path);
        if (!system) {
            result.error = unusablePath(path);
            return result;
        }
        // Opened without FILE_FLAG_OPEN_REPARSE_POINT: a link to a folder leads to the folder.
        const HANDLE opened = ::CreateFileW(system->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (opened == INVALID_HANDLE_VALUE) {
            result.error = lastError();
            return result;
        }
        const std::unique_ptr<void, HandleCloser> handle(opened);
        BY_HANDLE_FILE_INFORMATION information{};
        if (!::GetFileInformationByHandle(opened, &information)) {
            result.error = lastError();
            return result;
        }
        if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            result.error = errorOf(ERROR_DIRECTORY);
            return result;
        }
        result.isFolder = true;
        result.id = *fileId(information);
        result.ignoresCase = !caseSensitiveFolder(opened);
        return result;
    }

    std::optional<SystemError> move(const std::string& source, const std::string& destination) override {
        const std::optional<std::wstring> from = systemPath(source);
        if (!from) return unusablePath(source);
        const std::optional<std::wstring> to = systemPath(destination);
        if (!to) return unusablePath(destination);
        if (refusedDestination(*to)) return errorOf(ERROR_INVALID_NAME);
        if (*from == *to) return errorOf(ERROR_ALREADY_EXISTS);
        const auto original = identity(*from);
        if (sameIdentity(original, identity(*to))) {
            // Only a change of letter case renames a file onto itself; another
            // name of the same file (a hard link) is an existing destination.
            if (caseFolded(*from) != caseFolded(*to)) return errorOf(ERROR_ALREADY_EXISTS);
            return changeCase(*from, *to);
        }

        // No MOVEFILE_REPLACE_EXISTING: an existing destination is refused by the system itself.
        if (::MoveFileExW(from->c_str(), to->c_str(), 0)) return std::nullopt;
        if (::GetLastError() != ERROR_NOT_SAME_DEVICE) return lastError();
        return moveAcrossVolumes(source, *from, *to, original);
    }
};

} // namespace

void testing::onCopying(std::function<void(const std::string& source)> hook) { copyingHook() = std::move(hook); }

FileSystem& nativeFileSystem() {
    static WindowsFileSystem fileSystem;
    return fileSystem;
}

char directorySeparator() { return '\\'; }

std::string applicationFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) break;
        if (length < path.size()) {
            path.resize(length);
            const std::size_t last = path.find_last_of(L"\\/");
            if (last == std::wstring::npos) break;
            // A drive root keeps its separator: "C:\".
            path.resize(last == 2 && path[1] == L':' ? last + 1 : last);
            return text::fromUtf16(units(path));
        }
        path.resize(path.size() * 2); // truncated: try a larger buffer
    }
    std::wstring current(::GetCurrentDirectoryW(0, nullptr), L'\0');
    current.resize(::GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));
    return text::fromUtf16(units(current));
}

namespace {

std::optional<std::string> knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
    std::optional<std::string> folder;
    if (SUCCEEDED(result) && path != nullptr && path[0] != L'\0') folder = text::fromUtf16(units(std::wstring(path)));
    ::CoTaskMemFree(path);
    return folder;
}

} // namespace

std::string homeFolder() {
    if (auto documents = knownFolder(FOLDERID_Documents)) return *documents;
    if (auto profile = knownFolder(FOLDERID_Profile)) return *profile;
    return "C:\\";
}

bool canWriteTo(const std::string& folder) {
    const std::optional<std::wstring> path = systemPath(folder);
    if (!path) return false;
    // Opening the folder for adding files asks its access list without creating anything.
    const HANDLE opened = ::CreateFileW(path->c_str(), FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(opened);
    return true;
}

std::vector<std::string> programFolders() {
    std::vector<std::string> folders;
    for (const KNOWNFOLDERID* id : {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86, &FOLDERID_UserProgramFiles, &FOLDERID_Windows})
        if (auto folder = knownFolder(*id)) folders.push_back(std::move(*folder));
    return folders;
}

std::string foldCase(std::string_view name) {
    const std::optional<std::u16string> converted = text::toUtf16(name);
    if (!converted) return std::string(name);
    return text::fromUtf16(units(caseFolded(wide(*converted))));
}

ErrorKind errorKind(const SystemError& error) {
    switch (static_cast<DWORD>(error.number)) {
    case ERROR_FILE_NOT_FOUND: return ErrorKind::NotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return ErrorKind::Exists;
    case ERROR_FILENAME_EXCED_RANGE: return ErrorKind::NameTooLong;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT: return ErrorKind::NoPermission;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY: return ErrorKind::NotAFolder;
    case ERROR_CANT_RESOLVE_FILENAME: return ErrorKind::TooManyLinks;
    case ERROR_INVALID_NAME:
    case ERROR_NO_UNICODE_TRANSLATION: return ErrorKind::BadName;
    default: return ErrorKind::Other;
    }
}

} // namespace norvane::platform
