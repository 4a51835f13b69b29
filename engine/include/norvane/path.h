// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Paths as text, for both platforms: the one place that joins, splits and
// trims them, so every layer agrees on where a name ends and a folder begins.
namespace norvane {

// The separator the system's own paths use; '/' is taken as one on Windows too.
#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
#else
inline constexpr char pathSeparator = '/';
#endif

constexpr bool IsPathSeparator(char c) { return c == '/' || c == pathSeparator; }

// The folder path, the directory separator, then the name. The separator is
// always inserted, so a root folder gives a doubled one, which names the same place.
std::string JoinPath(std::string_view folder, std::string_view name);

// Whether a name leads into another folder.
bool HoldsSeparator(std::string_view name);

// Where the last separator is; npos where there is none.
std::size_t LastSeparator(std::string_view path);

// What follows the last separator: the whole path where there is none.
std::string_view LastComponent(std::string_view path);

// What precedes the last separator: empty where there is none.
std::string_view FolderPart(std::string_view path);

// How much of the path is its root: "/", and on Windows "C:\", "C:" (the
// drive's current folder), "\\server\share\" and "\". 0 for a relative path.
std::size_t RootLength(std::string_view path);

// The path without separators at its end, except those of its root.
std::string_view WithoutTrailingSeparators(std::string_view path);

// The folder that holds the path's last component, without separators at its
// end but a root's; empty for a root or a single component.
std::string_view ParentFolder(std::string_view path);

} // namespace norvane
