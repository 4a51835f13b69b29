// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// When a rename is on the volume, which volume a folder is on, and the
// program's own placeholders, on Windows.

#include "platform/windows/windows.h"

#include <cstdio>

namespace norvane::platform::windows {

// Write access is what FlushFileBuffers asks of a handle; a folder opened so
// (backup semantics) has its entries written by the file system's driver,
// FAT and exFAT included.
Durability makeNamesDurable(const std::wstring& folder) {
    const HANDLE opened = ::CreateFileW(folder.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return Durability{Durability::Answer::NotPromised, lastError()};
    const Handle handle(opened);
    if (!::FlushFileBuffers(opened)) return Durability{Durability::Answer::NotPromised, lastError()};
    return Durability{Durability::Answer::Durable, std::nullopt};
}

std::optional<std::string> volumeIdOf(HANDLE handle) {
    DWORD serial = 0;
    if (!::GetVolumeInformationByHandleW(handle, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return std::nullopt;
    char text[16];
    std::snprintf(text, sizeof text, "%04lX-%04lX", static_cast<unsigned long>(serial >> 16), static_cast<unsigned long>(serial & 0xffff));
    return std::string(text);
}

namespace {

std::int64_t nanoseconds(const FILETIME& time) {
    const std::int64_t steps = static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
    return (steps - 116444736000000000LL) * 100;
}

} // namespace

PlaceholderRemoval removeOwnPlaceholder(const std::wstring& path) {
    // Not shared for writing or deleting: no one changes it between the look and the removal.
    const HANDLE opened = ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
        return PlaceholderRemoval{false, errorOf(error)};
    }
    const Handle handle(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(opened, &information)) return PlaceholderRemoval{false, lastError()};
    const bool file = (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
    const bool empty = information.nFileSizeHigh == 0 && information.nFileSizeLow == 0;
    if (!file || !empty || nanoseconds(information.ftLastWriteTime) != placeholderTime) return {};
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(opened, FileDispositionInfo, &disposition, sizeof disposition))
        return PlaceholderRemoval{false, lastError()};
    return PlaceholderRemoval{true, std::nullopt};
}

std::optional<std::string> finalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
        if (length == 0) return std::nullopt;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(length + 1);
    }
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) path = L"\\\\" + path.substr(8);
    else if (path.rfind(L"\\\\?\\", 0) == 0) path = path.substr(4);
    return fromWide(path);
}

} // namespace norvane::platform::windows
