#pragma once

#include <string>

namespace norvane::platform {

// Tells the test hook, where one is set, that a move across file systems has
// made its copy (or failed to), before anything is removed.
void copyingDone(const std::string& source);

} // namespace norvane::platform
