// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace norvane::platform {

// Tells the test hook, where one is set, that a move across file systems has
// made its copy (or failed to), before anything is removed.
void copyingDone(const std::string& source);

} // namespace norvane::platform
