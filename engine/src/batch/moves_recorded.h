// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A batch's record kept as it moves: each move with the file found at its new name.

#include "batch/check/batch_check.h"
#include "batch/places.h"
#include "norvane/batch_record.h"
#include "norvane/platform.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace norvane::batch {

// Told, now and then, that the record has grown by moves recorded whole: on
// the thread that recorded them, never two at once, and never once finish()
// has returned.
using RecordGrew = std::function<void(const BatchRecord&)>;

// Where the folder allows it and the batch is large, the looks and the
// record are made on a second thread, behind the moves: each move and each
// look waits on the system, and a look after every move would otherwise
// cost a tenth of a batch on a fast disk. The moving thread only says how
// far it has come; what it would touch of the record after each move, cold
// again after the system's work, cost more than the looks themselves. The
// record is whole once finish() has returned, and behind the moves until
// then: only the thread that records reads or writes it meanwhile.
class MovesRecorded {
public:
    // Nothing is recorded where `record` is null.
    MovesRecorded(platform::Folder& folder, Places& places, const Steps& steps, BatchRecord* record, RecordGrew grew);
    ~MovesRecorded();
    MovesRecorded(const MovesRecorded&) = delete;
    MovesRecorded& operator=(const MovesRecorded&) = delete;

    // Step `step` was moved; steps are moved in order from the first.
    void moved(std::size_t step);
    // Every step moved so far is in the record.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    void recordUpTo(std::size_t end); // looks at the moves since the last, and records them
    void wake();
    void stopHelper(); // once every move made is recorded
    void lookBehind(); // the second thread

    platform::Folder& folder_;
    Places& places_;
    const Steps& steps_;
    BatchRecord* record_;
    RecordGrew grew_;

    // The recording thread's own.
    std::size_t recorded_ = 0, told_ = 0;
    Clock::time_point toldAt_;

    // The moving thread's own.
    std::size_t wokenAt_ = 0;
    Clock::time_point wokeAt_;
    std::size_t piece_;

    // Between the two: how many steps have moved, whether the second thread
    // waits for more (it is woken only then, and only now and then), and the
    // end of the batch.
    std::atomic<std::size_t> moved_{0};
    std::atomic<bool> asleep_{false}, finished_{false}, broken_{false};
    std::mutex lock_;
    std::condition_variable bell_;
    std::exception_ptr failed_; // the second thread's, read once it has ended
    std::thread helper_;
};

} // namespace norvane::batch
