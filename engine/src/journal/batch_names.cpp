// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/batch_names.h"

#include "norvane/path.h"

namespace norvane::journal {

namespace {

constexpr std::string_view suffix = ".norvane-batch";

} // namespace

std::string fileNameOf(std::uint64_t sequence) {
    std::string number = std::to_string(sequence);
    number.insert(0, number.size() < sequenceDigits ? sequenceDigits - number.size() : 0, '0');
    number.append(suffix);
    return number;
}

bool isBatchFile(std::string_view name) {
    return name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

std::uint64_t sequenceOfName(std::string_view name) {
    if (name.size() != sequenceDigits + suffix.size() || !isBatchFile(name)) return 0;
    std::uint64_t sequence = 0;
    for (const char c : name.substr(0, sequenceDigits)) {
        if (c < '0' || c > '9') return 0;
        sequence = sequence * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return sequence;
}

std::optional<std::uint64_t> parseNumber(std::string_view text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::string batchPath(const std::string& folder, const std::string& name) { return JoinPath(JoinPath(folder, "batches"), name); }

} // namespace norvane::journal
