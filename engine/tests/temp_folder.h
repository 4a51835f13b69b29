// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A real folder under the system's temporary directory, removed with its
// contents at the end of the test. Names and paths are the engine's text: raw
// bytes on POSIX, UTF-8 (unpaired surrogates included) on Windows.

#include "norvane/file_list.h"
#include "norvane/path.h"
#include "norvane/platform.h"

#include "platform/windows/utf16.h"
#include "platform/windows/windows_path.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace norvane::testing {

// The engine's text as a std::filesystem path, and back. path::string() would
// go through the ANSI code page on Windows and lose names.
inline std::filesystem::path toPath(const std::string& text) {
#ifdef _WIN32
    const std::optional<std::u16string> units = norvane::text::toUtf16(text);
    if (!units) throw std::invalid_argument("not UTF-8: " + text);
    return std::filesystem::path(std::wstring(units->begin(), units->end()));
#else
    return std::filesystem::path(text);
#endif
}

inline std::string toText(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& native = path.native();
    return norvane::text::fromUtf16(std::u16string(native.begin(), native.end()));
#else
    return path.native();
#endif
}

// A path as the platform layer hands it to the system: on Windows in the
// `\\?\` form, which keeps a trailing dot or space and goes past 260 characters.
inline std::filesystem::path systemPath(const std::string& text) {
#ifdef _WIN32
    const std::u16string full = norvane::windows_path::extended(*norvane::text::toUtf16(text));
    return std::filesystem::path(std::wstring(full.begin(), full.end()));
#else
    return std::filesystem::path(text);
#endif
}

// The directory separator as text, for expected paths.
inline std::string separator() { return std::string(1, platform::directorySeparator()); }

// The root folder of the drive a full path is on: "/" on POSIX, "C:\\" on Windows.
inline std::string rootOf(const std::string& path) { return path.substr(0, path.find(platform::directorySeparator()) + 1); }

// A full path cut at its last separator: the folder, and the name in it.
inline std::pair<std::string, std::string> folderAndName(const std::string& path) {
    return {std::string(FolderPart(path)), std::string(LastComponent(path))};
}

// A move between two full paths, made as a batch makes it: at the source's
// folder held open, the destination relative to it.
std::optional<platform::SystemError> moveFile(const std::string& source, const std::string& destination);

// What the platform sees at a full path, asked of its folder held open.
inline platform::PathProbe probePath(const std::string& path) {
    const auto [folder, name] = folderAndName(path);
    return platform::nativeFileSystem().openFolder(folder)->probe(name);
}

// The names a list shows, as a set.
inline std::set<std::string> listedSet(const FileList& list) {
    const std::vector<std::string> names = list.names();
    return {names.begin(), names.end()};
}

class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& under = std::filesystem::temp_directory_path()) {
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (;;) {
            path_ = under / ("norvane-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(path_)) break;
        }
        path_ = path_.lexically_normal();
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
        // The `\\?\` form reaches names a plain path cannot: deep ones, trailing dots.
        std::filesystem::remove_all(systemPath(text()), ignored);
    }

    const std::filesystem::path& path() const { return path_; }
    // The folder as the engine takes it.
    std::string text() const { return toText(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / toPath(name); }
    // A name in the folder as the engine takes it: the folder, the platform's separator, the name.
    std::string pathOf(const std::string& name) const { return text() + separator() + name; }

    // A file whose content is its own name, so a lost or overwritten file shows.
    void addFile(const std::string& name, const std::string& content = {}) const {
        std::ofstream(filePath(name), std::ios::binary) << (content.empty() ? name : content);
    }
    void addFiles(const std::vector<std::string>& names) const {
        for (const std::string& name : names) addFile(name);
    }
    void addFolder(const std::string& name) const { std::filesystem::create_directories(*this / name); }

    std::string contentOf(const std::string& name) const {
        std::ifstream in(filePath(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The names of everything directly in the folder, sorted by bytes.
    std::set<std::string> names() const { return namesIn(path_); }
    static std::set<std::string> namesIn(const std::filesystem::path& folder) {
        std::set<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) result.insert(toText(entry.path().filename()));
        return result;
    }

private:
    // Windows would drop a trailing dot or space and stop at 260 characters
    // unless the path has the `\\?\` form.
    std::filesystem::path filePath(const std::string& name) const { return systemPath(pathOf(name)); }

    std::filesystem::path path_;
};

} // namespace norvane::testing
