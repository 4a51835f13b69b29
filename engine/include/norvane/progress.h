// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <functional>

namespace norvane {

struct BatchProgress {
    enum class Stage { Checking, Moving };
    Stage stage = Stage::Checking;
    std::size_t done = 0;  // files checked, or moved, so far
    std::size_t total = 0; // of how many
};

// Told now and then how a batch goes (every thousand files, and after at most
// 50 milliseconds of work), never once per file; returns whether to go on. A
// batch stops only between two moves, never inside one.
using ProgressCallback = std::function<bool(const BatchProgress&)>;

} // namespace norvane
