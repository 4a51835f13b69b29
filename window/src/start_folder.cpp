// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "start_folder.h"

#include <algorithm>

namespace platform = norvane::platform;

std::optional<std::string> parentFolder(const std::string& path) {
    const std::string separators{'/', platform::directorySeparator()};
    const std::size_t last = path.find_last_of(separators);
    if (last == std::string::npos) return std::nullopt;
    std::string parent = path.substr(0, last);
    if (last == 0) parent = path.substr(0, 1);
    else if (last == 2 && path[1] == ':') parent = path.substr(0, 3); // a drive's root keeps its separator
    if (parent == path) return std::nullopt;
    return parent;
}

bool isInstalledProgramFolder(const std::string& folder, bool writable, const std::vector<std::string>& programFolders,
                              platform::FileSystem& fileSystem) {
    if (!writable) return true;
    std::vector<platform::FileId> installed;
    for (const std::string& programFolder : programFolders) {
        const platform::FolderProbe probe = fileSystem.probeFolder(programFolder);
        if (probe.isFolder) installed.push_back(probe.identity.id);
    }
    for (std::optional<std::string> at = folder; at; at = parentFolder(*at)) {
        const platform::FolderProbe probe = fileSystem.probeFolder(*at);
        if (probe.isFolder && std::find(installed.begin(), installed.end(), probe.identity.id) != installed.end()) return true;
    }
    return false;
}

std::string startFolder(platform::FileSystem& fileSystem) {
    const norvane::Session::ProgramPlace program = norvane::Session::programPlace();
    if (!isInstalledProgramFolder(program.folder, program.writable, program.programFolders, fileSystem))
        return program.folder;
    return program.home;
}
