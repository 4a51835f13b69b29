// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The user's own folder (Documents), and the system's program folders: where
// the window starts when the program lies where no user's files do.

#include "platform/windows/windows.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <optional>
#include <vector>

namespace norvane::platform {

namespace {

std::optional<std::string> knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
    std::optional<std::string> folder;
    if (SUCCEEDED(result) && path != nullptr && path[0] != L'\0') folder = windows::fromWide(std::wstring(path));
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
    const std::optional<std::wstring> path = windows::systemPath(folder);
    if (!path) return false;
    // Opening the folder for adding files asks its access list without creating anything.
    const HANDLE opened = ::CreateFileW(path->c_str(), FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

} // namespace norvane::platform
