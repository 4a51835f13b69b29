// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/name_order.h"

#include <algorithm>

namespace norvane {

namespace {

unsigned char foldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c; }

} // namespace

bool caseBlindLess(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = foldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char y = foldAscii(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b; // equal after folding: the exact bytes decide
}

std::string caseBlindKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) c = static_cast<char>(foldAscii(static_cast<unsigned char>(c)));
    return key;
}

} // namespace norvane
