#pragma once

#include <string_view>

namespace norvane {

// The lists' order: ASCII letters compare without regard to case, every other
// byte by its value, and names equal after folding by their exact bytes. It is
// total and deterministic, so numbering a folder twice numbers it the same way.
bool caseBlindLess(std::string_view a, std::string_view b);

} // namespace norvane
