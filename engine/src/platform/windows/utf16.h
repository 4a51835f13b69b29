// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The engine's text is UTF-8 while Windows names are UTF-16, which may hold
// unpaired surrogates. Those are carried as their generalised UTF-8 form (three
// bytes, as WTF-8 does), so every UTF-16 name survives the trip both ways.

#include <optional>
#include <string>
#include <string_view>

namespace norvane::text {

// Lossless for every UTF-16 sequence.
std::string fromUtf16(std::u16string_view units);

// nullopt for bytes that are not UTF-8 (or an encoded surrogate pair, which
// only ever comes from a four-byte sequence), so no two texts give one name.
std::optional<std::u16string> toUtf16(std::string_view bytes);

} // namespace norvane::text
