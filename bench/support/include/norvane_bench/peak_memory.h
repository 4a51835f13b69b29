// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>

namespace norvane::bench {

// The most memory the process has held resident so far, in KiB.
std::size_t peakResidentKiB();

// What it holds resident now, in KiB.
std::size_t residentKiB();

// Starts the peak over from what the process holds now, so that the next
// peakResidentKiB() is the peak of what follows. False where the system
// cannot (the peak then stays the process's own since its start).
bool restartPeak();

// The machine's load averages over 1, 5 and 15 minutes, "1.20 0.80 0.50":
// a timing on a shared machine means little without it.
std::string machineLoad();

} // namespace norvane::bench
