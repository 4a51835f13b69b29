// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Folders of realistic file names, made under the system's temporary directory
// and removed with their contents when they go.

#include <cstddef>
#include <string>

namespace norvane::bench {

enum class NameMix {
    // Mixed case, 0 to 3 dots, some names without a dot. The part before the
    // first dot is unique and "_" occurs once in every name, so ReplaceName
    // ("_" by " ") and ExtensionName rename every file without a collision.
    Mixed,
    // Mixed case, 2 or 3 dots in every name, the part after the first dot
    // unique, so NumberName and HeaderName rename every file without a collision.
    Dotted,
};

// The i-th name the file list must show; distinct for distinct i.
std::string listedName(NameMix mix, std::size_t i);

// Hidden names beside the listed ones: one for every 20 listed files.
std::size_t hiddenCount(std::size_t listed);
std::string hiddenName(std::size_t i);

// A subfolder every sample folder holds; folders are never listed either.
inline constexpr const char* kSubfolderName = "Album.2023";

class SampleFolder {
public:
    SampleFolder(NameMix mix, std::size_t listed);
    SampleFolder(const SampleFolder&) = delete;
    SampleFolder& operator=(const SampleFolder&) = delete;
    ~SampleFolder();

    const std::string& path() const { return path_; }
    NameMix mix() const { return mix_; }
    std::size_t listed() const { return listed_; }

    // Whether the folder holds exactly the names it was made with, so that a
    // restored folder is known to give the next repetition the same work.
    bool holdsItsOwnNames() const;

private:
    std::string path_;
    NameMix mix_;
    std::size_t listed_;
};

} // namespace norvane::bench
