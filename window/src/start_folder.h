// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/session.h"

#include <optional>
#include <string>
#include <vector>

// Where the window opens when it is given no folder: the program's own
// folder, as for a program unpacked into a folder of its own; but a program
// installed into the system's folders starts in the user's home instead, so
// that a click does not rename the programs installed beside it.
std::string startFolder(norvane::platform::FileSystem& fileSystem);

// An installed program's folder: one the user cannot write to, or one of the
// system's program folders or a folder inside one (compared by identity, so
// links and other spellings count too).
bool isInstalledProgramFolder(const std::string& folder, bool writable, const std::vector<std::string>& programFolders,
                              norvane::platform::FileSystem& fileSystem);

// The folder holding `path`; nullopt at a root ("/", "C:\").
std::optional<std::string> parentFolder(const std::string& path);
