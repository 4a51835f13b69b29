// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "start_folder.h"

#include "norvane/path.h"

#include <algorithm>

namespace platform = norvane::platform;

std::optional<std::string> parentFolder(const std::string& path) {
    const std::string_view parent = norvane::ParentFolder(path); // a root keeps its separator
    if (parent.empty()) return std::nullopt;
    return std::string(parent);
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
