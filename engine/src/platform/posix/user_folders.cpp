// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The user's own folder, and the system's program folders: where the window
// starts when the program lies where no user's files do.

#include "platform/posix/posix.h"

#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <vector>

namespace norvane::platform {

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return found->pw_dir;
    return "/";
}

bool canWriteTo(const std::string& folder) {
    if (folder.empty() || !posix::usable(folder)) return false;
    // The effective user's rights, as creating a file would be judged.
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::vector<std::string> programFolders() {
    std::vector<std::string> folders;
    for (const char* folder : {"/usr", "/bin", "/sbin", "/opt"}) {
        struct stat status {};
        if (::stat(folder, &status) == 0 && S_ISDIR(status.st_mode)) folders.emplace_back(folder);
    }
    return folders;
}

} // namespace norvane::platform
