// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

namespace norvane {

// The lists' order: ASCII letters compare without regard to case, every other
// byte by its value, and names equal after folding by their exact bytes. It is
// total and deterministic, so numbering a folder twice numbers it the same way.
bool caseBlindLess(std::string_view a, std::string_view b);

// The name folded as caseBlindLess folds it. Comparing keys, and the exact
// names where keys are equal, gives the same order: a folder sorted on keys
// folds each name once instead of in every comparison.
std::string caseBlindKey(std::string_view name);

} // namespace norvane
