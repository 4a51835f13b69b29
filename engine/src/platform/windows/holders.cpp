// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Who holds a file open so that it cannot be renamed: the Restart Manager
// keeps the list Explorer shows in its own "File In Use" box.

#include "platform/windows/windows.h"

#include "platform/windows/utf16.h"

#include <restartmanager.h>

#include <algorithm>

namespace norvane::platform {

namespace windows {

namespace {

struct Session {
    DWORD handle = 0;
    bool open = false;
    Session() {
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        open = ::RmStartSession(&handle, 0, key) == ERROR_SUCCESS;
    }
    ~Session() {
        if (open) ::RmEndSession(handle);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

} // namespace

std::vector<std::string> programsHolding(const std::string& path) {
    std::vector<std::string> programs;
    // The plain form: the Restart Manager matches paths as the programs opened them.
    const std::optional<std::u16string> wide = text::toUtf16(path);
    if (!wide) return programs;
    const std::wstring file(wide->begin(), wide->end());
    const Session session;
    if (!session.open) return programs;
    LPCWSTR files[] = {file.c_str()};
    if (::RmRegisterResources(session.handle, 1, files, 0, nullptr, 0, nullptr) != ERROR_SUCCESS) return programs;
    std::vector<RM_PROCESS_INFO> found(4);
    for (int attempt = 0; attempt < 4; ++attempt) {
        UINT needed = 0, count = static_cast<UINT>(found.size());
        DWORD reasons = 0;
        const DWORD result = ::RmGetList(session.handle, &needed, &count, found.data(), &reasons);
        if (result == ERROR_MORE_DATA) {
            found.resize(needed + 2); // more may open it meanwhile
            continue;
        }
        if (result != ERROR_SUCCESS) return programs;
        for (UINT i = 0; i < std::min<UINT>(count, static_cast<UINT>(found.size())); ++i) {
            const std::wstring name(found[i].strAppName);
            if (name.empty()) continue;
            std::string program = fromWide(name);
            if (std::find(programs.begin(), programs.end(), program) == programs.end()) programs.push_back(std::move(program));
        }
        break;
    }
    return programs;
}

} // namespace windows

bool heldByAnotherProgram(const SystemError& error) {
    return static_cast<DWORD>(error.number) == ERROR_SHARING_VIOLATION || static_cast<DWORD>(error.number) == ERROR_LOCK_VIOLATION;
}

} // namespace norvane::platform
