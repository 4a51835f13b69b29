// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/progress.h"

#include <chrono>

namespace norvane::batch {

// Counts a stage's files and calls back only now and then, so reporting costs
// next to nothing per file. The clock is read at every file: on a card
// through FUSE one move can take a third of a second, and a few files
// between two looks would leave the dialog unpainted and Escape unheard for seconds.
class ProgressTicker {
public:
    ProgressTicker(const ProgressCallback& callback, BatchProgress::Stage stage, std::size_t total)
        : callback_(callback), progress_{stage, 0, total}, last_(std::chrono::steady_clock::now()) {}

    // False once the callback has asked to stop.
    bool tick(std::size_t done) {
        if (!callback_) return true;
        if (done - reported_ < 1000 && std::chrono::steady_clock::now() - last_ < interval) return true;
        return report(done);
    }

    // Tells where the stage stands now, whatever the count.
    bool report(std::size_t done) {
        if (!callback_) return true;
        reported_ = done;
        last_ = std::chrono::steady_clock::now();
        progress_.done = done;
        return callback_(progress_);
    }

private:
    static constexpr std::chrono::milliseconds interval{50};
    const ProgressCallback& callback_;
    BatchProgress progress_;
    std::size_t reported_ = 0;
    std::chrono::steady_clock::time_point last_;
};

} // namespace norvane::batch
