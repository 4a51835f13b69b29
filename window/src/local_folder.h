// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>

// The folder a local path names, in the engine's text: a folder itself, or
// the folder that holds a file. A relative path is taken from the current
// folder. Without a folder, `problem` says why in the system's words.
struct LocalFolder {
    std::optional<std::string> folder;
    std::string problem;
};

LocalFolder localFolder(const std::string& path);
