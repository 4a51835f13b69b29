// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "temp_folder.h"

#ifdef _WIN32
#include "platform/windows/windows.h" // a move between drives, which no relative name reaches
#endif

namespace norvane::testing {

std::optional<platform::SystemError> moveFile(const std::string& source, const std::string& destination) {
    const auto [folder, name] = folderAndName(source);
    const std::string stem = folder + separator();
    const std::string relative = destination.compare(0, stem.size(), stem) == 0
                                     ? destination.substr(stem.size())
                                     : toText(toPath(destination).lexically_relative(toPath(folder)));
#ifdef _WIN32
    if (relative.empty()) return platform::windows::moveNoReplace(source, destination);
#endif
    return platform::nativeFileSystem().openFolder(folder)->move(name, relative);
}

} // namespace norvane::testing
