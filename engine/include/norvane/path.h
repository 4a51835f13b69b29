// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

namespace norvane {

// The separator the system's own paths use; '/' is taken as one on Windows too.
#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
#else
inline constexpr char pathSeparator = '/';
#endif

// The folder path, the directory separator, then the name. The separator is
// always inserted, so a root folder gives a doubled one, which names the same place.
std::string JoinPath(std::string_view folder, std::string_view name);

} // namespace norvane
