// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the Windows platform's files share. Paths reach the system as UTF-16
// in the `\\?\` form, so deep folders work past 260 characters.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "norvane/platform.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace norvane::platform::windows {

SystemError errorOf(DWORD number);
SystemError lastError();

std::u16string_view units(const std::wstring& wide);
std::string fromWide(const std::wstring& wide);

// The system's spelling of an engine path; nullopt when the text is not UTF-8
// or holds a NUL, which would end the path early and name another file.
std::optional<std::wstring> systemPath(const std::string& path);
SystemError unusablePath(const std::string& path);

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;
struct FindCloser {
    void operator()(HANDLE handle) const { ::FindClose(handle); }
};

std::wstring_view lastComponent(const std::wstring& path);

// Which file a path leads to, the link itself and not its target.
std::optional<BY_HANDLE_FILE_INFORMATION> informationOf(const std::wstring& path);
bool sameFile(const std::optional<BY_HANDLE_FILE_INFORMATION>& a, const std::optional<BY_HANDLE_FILE_INFORMATION>& b);
FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information);

PathProbe probePath(const std::string& path);
FolderProbe probeFolderPath(const std::string& path);
// All the engine asks of a folder open as `handle`.
FolderProbe describeFolder(HANDLE handle);

// The name as the folder holds it, in its own letter case.
std::optional<std::wstring> storedName(const std::wstring& path);

// Makes a folder's entries durable: FlushFileBuffers on the folder itself,
// opened for writing, which the system passes to the file system's driver.
Durability makeNamesDurable(const std::wstring& folder);

// The serial number of the volume a handle's file lies on, as "1234-ABCD";
// nullopt where the volume gives none.
std::optional<std::string> volumeIdOf(HANDLE handle);

// Removes the file only where it is an empty placeholder of the program's
// own, judged and deleted through one handle, so nothing can come between.
PlaceholderRemoval removeOwnPlaceholder(const std::wstring& path);

// The path the system reached through the handle, in the engine's plain form
// ("C:\...", "\\server\share\..."), links resolved.
std::optional<std::string> finalPath(HANDLE handle);

// The programs holding the file at a full engine path open, as the Restart Manager names them.
std::vector<std::string> programsHolding(const std::string& path);

// A move that never replaces, across volumes too, between full engine paths.
std::optional<SystemError> moveNoReplace(const std::string& source, const std::string& destination);

} // namespace norvane::platform::windows
