// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// How the journal's files are named: one file a batch, named for its
// sequence, in the journal's folder of batches.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvane::journal {

inline constexpr std::string_view batchesFolder = "batches";
inline constexpr std::string_view setAsideFolder = "set-aside";
// The next sequence, so that a number is never given twice even after the latest batch is gone.
inline constexpr std::string_view sequenceFile = "sequence";
inline constexpr std::size_t sequenceDigits = 20;

// Names that sort as the batches' sequence: a clock that steps back changes nothing of their order.
std::string fileNameOf(std::uint64_t sequence);
bool isBatchFile(std::string_view name);
// The sequence a name of format 2 carries; 0 for the time-and-process names of format 1.
std::uint64_t sequenceOfName(std::string_view name);
// A number as the sequence file holds it; nullopt for anything else.
std::optional<std::uint64_t> parseNumber(std::string_view text);

// Where the batch file `name` of the journal in `folder` is.
std::string batchPath(const std::string& folder, const std::string& name);

} // namespace norvane::journal
