// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>

namespace norvane::bench {

// The most memory the process has held resident so far, in KiB.
std::size_t peakResidentKiB();

// What it holds resident now, in KiB.
std::size_t residentKiB();

} // namespace norvane::bench
