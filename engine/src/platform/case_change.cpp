// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/case_change.h"

#include "norvane/path.h"

namespace norvane::platform {

namespace {

constexpr unsigned parkingAttempts = 100;

// Where the last component starts: names may lead into another folder.
std::size_t nameStart(std::string_view name) {
    return name.size() - LastComponent(name).size();
}

} // namespace

bool changesCaseOnly(std::string_view from, std::string_view to) {
    const std::size_t at = nameStart(from);
    if (from == to || at != nameStart(to) || from.substr(0, at) != to.substr(0, at)) return false;
#ifndef _WIN32
    // Asked at every move of a batch: the folded names are only made once
    // their plain ASCII start, which folds a-z to A-Z and nothing else, agrees.
    for (std::size_t i = at;; ++i) {
        const bool fromEnds = i == from.size(), toEnds = i == to.size();
        if (fromEnds && toEnds) return true;
        const unsigned char a = fromEnds ? 0 : static_cast<unsigned char>(from[i]);
        const unsigned char b = toEnds ? 0 : static_cast<unsigned char>(to[i]);
        if ((!fromEnds && a >= 0x80) || (!toEnds && b >= 0x80)) break; // the rest is folded whole
        // One ends where the other goes on in ASCII: every byte folds to one, so the folded names differ too.
        if (fromEnds || toEnds) return false;
        const auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
        if (upper(a) != upper(b)) return false;
    }
#endif
    return foldCase(from.substr(at)) == foldCase(to.substr(at));
}

std::optional<SystemError> changeCase(std::string_view from, std::string_view to, const CaseChangeMoves& moves) {
    std::optional<SystemError> error = moves.move(from, to);
    if (!error && moves.spelledExactly(to)) return std::nullopt;
    if (error && errorKind(*error) != ErrorKind::Exists) return error;

    const std::string folder(from.substr(0, nameStart(from)));
    SystemError taken = error.value_or(SystemError{});
    for (unsigned attempt = 0; attempt < parkingAttempts; ++attempt) {
        const std::string parked = folder + moves.parkingName(attempt);
        if (auto away = moves.move(from, parked)) {
            if (errorKind(*away) != ErrorKind::Exists) return away;
            taken = std::move(*away);
            continue;
        }
        std::optional<SystemError> onward = moves.move(parked, to);
        if (!onward) return std::nullopt;
        if (moves.move(parked, from)) onward->leftAs = parked;
        return onward;
    }
    taken.reason = SystemError::Reason::NoTemporaryName;
    taken.first = moves.parkingName(0);
    taken.last = moves.parkingName(parkingAttempts - 1);
    return taken;
}

} // namespace norvane::platform
