// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How the Windows platform layer spells paths for the system. Pure text
// handling, so it is built and tested on every platform.

#include <string>
#include <string_view>

namespace norvane::windows_path {

// The `\\?\` form of a full path ("C:\..." or "\\server\share\..."), which
// lifts the 260-character limit. That form takes the path as it is, so
// separators are made backslashes, doubled ones and "." parts dropped and ".."
// parts resolved first, as Windows would do itself. Other paths come back
// with their separators made backslashes and nothing else changed.
std::u16string extended(std::u16string_view path);

// Whether Windows would refuse, or misread, a file name. Catches what the `\\?\` form would let through although Windows programs
// cannot use it afterwards: device names ("CON", "nul.txt"), a trailing dot
// or space, ":" (which names a stream), the other reserved characters, and
// names longer than any Windows file system holds. The rule for new names.
bool refusedName(std::u16string_view name);

// Whether a name cannot be a file's name in a folder at all, even through the
// `\\?\` form: empty, "." or "..", longer than 255 units, or holding a
// reserved character (":" would name a stream of another file). A trailing dot
// or space and a device name are real names there: NTFS holds them, made by
// WSL, a Mac or Linux, and a file under one must still be found and moved.
bool unnameable(std::u16string_view name);

// The last component of a path.
std::u16string_view lastComponent(std::u16string_view path);

} // namespace norvane::windows_path
