// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A batch's record kept as it moves: each move with the file found at its new name.

#include "batch/batch_check.h"
#include "batch/places.h"
#include "norvane/batch_record.h"
#include "norvane/platform.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace norvane::batch {

// Where the folder allows it and the batch is large, the looks are made on a
// second thread, a piece of moves behind the moves: each move and each look
// waits on the system, and a look after every move would otherwise cost a
// tenth of a batch on a fast disk. The record itself is filled on the calling
// thread, in order: whole once finish() has returned, and a piece behind the
// moves until then.
class MovesRecorded {
public:
    // Nothing is recorded where `record` is null.
    MovesRecorded(platform::Folder& folder, Places& places, const Steps& steps, BatchRecord* record);
    ~MovesRecorded();
    MovesRecorded(const MovesRecorded&) = delete;
    MovesRecorded& operator=(const MovesRecorded&) = delete;

    // Step `step` was moved; steps are moved in order from the first.
    void moved(std::size_t step);
    // Every step moved so far is in the record.
    void finish();

private:
    void record(std::size_t step, const std::optional<platform::FileIdentity>& file);
    void collect();   // waits for the piece handed over, and records it
    void handOver();  // the moves since the last piece, to the second thread
    void lookBehind(); // the second thread

    using Clock = std::chrono::steady_clock;
    platform::Folder& folder_;
    Places& places_;
    const Steps& steps_;
    BatchRecord* record_;
    std::size_t moved_ = 0;
    std::size_t piece_;
    Clock::time_point handedAt_;

    // Shared with the second thread, under lock_: the piece [first_, end_)
    // and what was found of each of its files.
    std::mutex lock_;
    std::condition_variable changed_;
    std::size_t first_ = 0, end_ = 0;
    std::vector<std::optional<platform::FileIdentity>> found_;
    bool looking_ = false, stopping_ = false;
    std::thread helper_;
};

} // namespace norvane::batch
