// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/moves_recorded.h"

#include <algorithm>
#include <system_error>

namespace norvane::batch {

namespace {

// The second thread, once it has caught up, is woken after a piece of moves:
// pieces start small and grow while they are quick, and shrink where a move
// takes long (on a card through FUSE a move can take a third of a second),
// so the record, and the journal's marks made from it, stay close behind.
constexpr std::size_t firstPiece = 16, largestPiece = 256;
constexpr auto quickPiece = std::chrono::milliseconds(20), slowPiece = std::chrono::milliseconds(100);

// How often the record's growth is told: the journal appends a mark each time.
constexpr std::size_t tellEvery = 1024;
constexpr auto tellAfter = std::chrono::milliseconds(50);

} // namespace

MovesRecorded::MovesRecorded(platform::Folder& folder, Places& places, const Steps& steps, BatchRecord* record, RecordGrew grew)
    : folder_(folder), places_(places), steps_(steps), record_(record), grew_(std::move(grew)), toldAt_(Clock::now()),
      wokeAt_(toldAt_), piece_(firstPiece) {
    if (!record_ || !folder_.sharesProbes(steps_.size())) return;
    try {
        helper_ = std::thread([this] { lookBehind(); });
    } catch (const std::system_error&) {
        // No thread to be had: each file is looked at right after its move.
    }
}

MovesRecorded::~MovesRecorded() { stopHelper(); }

void MovesRecorded::stopHelper() {
    if (!helper_.joinable()) return;
    finished_.store(true);
    wake();
    helper_.join();
}

void MovesRecorded::recordUpTo(std::size_t end) {
    for (; recorded_ < end; ++recorded_) {
        const Step moved = steps_[recorded_];
        // A look that fails leaves its file unknown, which an undo leaves where it is, and says so.
        std::optional<platform::FileIdentity> file;
        try {
            file = folder_.probe(moved.to).identity;
        } catch (...) {
        }
        record_->add(moved.from, moved.to, file, places_.trustOf(moved.to));
    }
    if (!grew_ || recorded_ == told_) return;
    const Clock::time_point now = Clock::now();
    if (recorded_ - told_ < tellEvery && now - toldAt_ < tellAfter) return;
    told_ = recorded_;
    toldAt_ = now;
    try {
        grew_(*record_);
    } catch (...) {
        // What is told is only ever a help (a journal's mark): the record itself stands.
    }
}

void MovesRecorded::moved(std::size_t step) {
    if (!record_) return;
    const std::size_t count = step + 1;
    if (!helper_.joinable()) return recordUpTo(count);
    if (broken_.load(std::memory_order_relaxed)) finish(); // no move goes on unrecorded
    moved_.store(count, std::memory_order_release);
    // Seen a move late at worst: the next move, or finish(), wakes it then.
    if (!asleep_.load(std::memory_order_relaxed) || count - wokenAt_ < piece_) return;
    const Clock::time_point now = Clock::now();
    if (now - wokeAt_ < quickPiece) piece_ = std::min(piece_ * 2, largestPiece);
    else if (now - wokeAt_ > slowPiece) piece_ = std::max(piece_ / 2, std::size_t{1});
    wokenAt_ = count;
    wokeAt_ = now;
    wake();
}

void MovesRecorded::finish() {
    stopHelper();
    if (failed_) std::rethrow_exception(failed_);
}

// Through the lock: the second thread either has not yet looked at how far
// the moves are, and will see this, or waits, and is told.
void MovesRecorded::wake() {
    { const std::lock_guard<std::mutex> hold(lock_); }
    bell_.notify_one();
}

void MovesRecorded::lookBehind() {
    try {
        for (;;) {
            std::size_t end = moved_.load(std::memory_order_acquire);
            if (end == recorded_) {
                std::unique_lock<std::mutex> hold(lock_);
                asleep_.store(true);
                end = moved_.load(std::memory_order_acquire);
                while (end == recorded_ && !finished_.load()) {
                    bell_.wait(hold);
                    end = moved_.load(std::memory_order_acquire);
                }
                asleep_.store(false);
                if (end == recorded_) return; // finished, and every move recorded
            }
            recordUpTo(end);
        }
    } catch (...) {
        // Told on the moving thread once it finishes, as if it had recorded itself.
        failed_ = std::current_exception();
        broken_.store(true);
    }
}

} // namespace norvane::batch
