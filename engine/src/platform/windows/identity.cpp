// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a file or folder is, and how to know it again: volume serial number
// and file index, creation time, size and last write; and how far the
// volume's numbers hold.

#include "platform/windows/windows.h"

#include "platform/windows/windows_path.h"

namespace norvane::platform::windows {

namespace {

// From 100-nanosecond steps since 1601 to nanoseconds since 1970.
std::int64_t nanoseconds(const FILETIME& time) {
    const std::int64_t steps = static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
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

// NTFS and ReFS keep a file's index for its life; FAT and exFAT make it from
// where the entry lies, which a rename to a longer name moves; a share's
// server gives what it likes.
IdentityTrust trustOf(HANDLE folder) {
    FILE_REMOTE_PROTOCOL_INFO remote{};
    if (::GetFileInformationByHandleEx(folder, FileRemoteProtocolInfo, &remote, sizeof remote)) return IdentityTrust::Unstable;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1))
        return IdentityTrust::Unstable;
    const std::wstring_view name = fileSystem;
    return name == L"NTFS" || name == L"ReFS" ? IdentityTrust::Stable : IdentityTrust::Unstable;
}

// Only what no folder can hold under any spelling: a name ending in a space
// or a dot, or named like a device, is looked up as it is, so a file under
// such a name (NTFS holds them) can be renamed to one that fixes it. New names
// are judged by the batch's check, by what Windows programs can open.
bool unnameable(const std::wstring& path) {
    const std::wstring_view name = lastComponent(path);
    return windows_path::unnameable({reinterpret_cast<const char16_t*>(name.data()), name.size()});
}

PathProbe refused(DWORD error) { return PathProbe{PathKind::Absent, errorOf(error), std::nullopt}; }

} // namespace

std::optional<BY_HANDLE_FILE_INFORMATION> informationOf(const std::wstring& path) {
    // No access rights asked: only the identity is read, and the link itself, not its target.
    const HANDLE opened = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const Handle handle(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(opened, &information)) return std::nullopt;
    return information;
}

bool sameFile(const std::optional<BY_HANDLE_FILE_INFORMATION>& a, const std::optional<BY_HANDLE_FILE_INFORMATION>& b) {
    return a && b && a->dwVolumeSerialNumber == b->dwVolumeSerialNumber && a->nFileIndexHigh == b->nFileIndexHigh &&
           a->nFileIndexLow == b->nFileIndexLow;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    FileIdentity identity;
    identity.id = FileId{information.dwVolumeSerialNumber, std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow};
    identity.born = nanoseconds(information.ftCreationTime);
    identity.stamp = FileStamp{std::uint64_t{information.nFileSizeHigh} << 32 | information.nFileSizeLow,
                               nanoseconds(information.ftLastWriteTime)};
    return identity;
}

PathProbe probePath(const std::string& path) {
    const std::optional<std::wstring> system = systemPath(path);
    if (!system) return PathProbe{PathKind::Absent, unusablePath(path), std::nullopt};
    if (lastComponent(*system).size() > 255) return refused(ERROR_FILENAME_EXCED_RANGE);
    if (unnameable(*system)) return refused(ERROR_INVALID_NAME);
    // Attributes of a link itself: the final component is not followed.
    const DWORD attributes = ::GetFileAttributesW(system->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return PathProbe{};
        return refused(error);
    }
    const PathKind kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder
                          : (attributes & FILE_ATTRIBUTE_DEVICE)  ? PathKind::Other
                                                                  : PathKind::File;
    const auto information = informationOf(*system);
    PathProbe probe{kind, std::nullopt, information ? std::optional(identityOf(*information)) : std::nullopt};
    probe.ownPlaceholder = isPlaceholder(probe.kind, probe.identity);
    return probe;
}

FolderProbe describeFolder(HANDLE handle) {
    FolderProbe result;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle, &information)) {
        result.error = lastError();
        return result;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        result.error = errorOf(ERROR_DIRECTORY);
        return result;
    }
    result.isFolder = true;
    result.identity = identityOf(information);
    result.identity.stamp.reset(); // a folder's size and time change with every rename in it
    result.ignoresCase = !caseSensitiveFolder(handle);
    result.trust = trustOf(handle);
    result.names = NameRules::Windows;
    return result;
}

FolderProbe probeFolderPath(const std::string& path) {
    const std::optional<std::wstring> system = systemPath(path);
    if (!system) {
        FolderProbe result;
        result.error = unusablePath(path);
        return result;
    }
    // Opened without FILE_FLAG_OPEN_REPARSE_POINT: a link to a folder leads to the folder.
    const HANDLE opened = ::CreateFileW(system->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        FolderProbe result;
        result.error = lastError();
        return result;
    }
    const Handle handle(opened);
    return describeFolder(opened);
}

std::optional<std::wstring> storedName(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE first = ::FindFirstFileExW(path.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (first == INVALID_HANDLE_VALUE) return std::nullopt;
    ::FindClose(first);
    return std::wstring(found.cFileName);
}

} // namespace norvane::platform::windows
