// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A change of letter case alone ('Photo.JPG' -> 'Photo.jpg'), made the same
// way on every platform over its own moves. Where a folder ignores case the
// new spelling already leads to the file itself, so a move that never
// replaces refuses it as taken, and some file systems report it done and keep
// the old spelling; then the file goes through a free temporary name in its
// own folder, and back should the second step fail.

#include "norvane/platform.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace norvane::platform {

struct CaseChangeMoves {
    // A move that never replaces, between names of one held folder.
    std::function<std::optional<SystemError>(std::string_view from, std::string_view to)> move;
    // Whether the folder now holds `name` spelled exactly so.
    std::function<bool(std::string_view name)> spelledExactly;
    // The temporary name to try at each attempt, without its folder.
    std::function<std::string(unsigned attempt)> parkingName;
};

// Whether the two names differ in letter case alone, in the same folder.
bool changesCaseOnly(std::string_view from, std::string_view to);

// Moves `from` to `to`, which differ in letter case alone. Should the file be
// unable to go on or back from its temporary name, the error names it.
std::optional<SystemError> changeCase(std::string_view from, std::string_view to, const CaseChangeMoves& moves);

} // namespace norvane::platform
