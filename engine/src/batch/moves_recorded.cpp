// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/moves_recorded.h"

#include <algorithm>
#include <system_error>

namespace norvane::batch {

namespace {

// Pieces start small and grow while they are quick: on a card through FUSE a
// move can take a third of a second, and the batch's end (or Escape) waits
// for the looks of the piece in hand.
constexpr std::size_t firstPiece = 16, largestPiece = 256;
constexpr auto quickPiece = std::chrono::milliseconds(20), slowPiece = std::chrono::milliseconds(100);

} // namespace

MovesRecorded::MovesRecorded(platform::Folder& folder, Places& places, const Steps& steps, BatchRecord* record)
    : folder_(folder), places_(places), steps_(steps), record_(record), piece_(firstPiece), handedAt_(Clock::now()) {
    if (!record_ || !folder_.sharesProbes(steps_.size())) return;
    try {
        helper_ = std::thread([this] { lookBehind(); });
    } catch (const std::system_error&) {
        // No thread to be had: each file is looked at right after its move.
    }
}

MovesRecorded::~MovesRecorded() {
    if (!helper_.joinable()) return;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    helper_.join();
}

void MovesRecorded::record(std::size_t step, const std::optional<platform::FileIdentity>& file) {
    const Step moved = steps_[step];
    record_->add(moved.from, moved.to, file, places_.trustOf(moved.to));
}

void MovesRecorded::moved(std::size_t step) {
    if (!record_) return;
    moved_ = step + 1;
    if (!helper_.joinable()) return record(step, folder_.probe(steps_[step].to).identity);
    if (moved_ - end_ >= piece_) handOver();
}

void MovesRecorded::finish() {
    if (!record_ || !helper_.joinable()) return;
    handOver();
    collect();
}

void MovesRecorded::collect() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return !looking_; });
    for (std::size_t step = first_; step < end_; ++step) record(step, found_[step - first_]);
    first_ = end_;
}

void MovesRecorded::handOver() {
    collect();
    const Clock::time_point now = Clock::now();
    if (now - handedAt_ < quickPiece) piece_ = std::min(piece_ * 2, largestPiece);
    else if (now - handedAt_ > slowPiece) piece_ = std::max(piece_ / 2, std::size_t{1});
    handedAt_ = now;
    if (moved_ == end_) return;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        first_ = end_;
        end_ = moved_;
        found_.assign(end_ - first_, std::nullopt);
        looking_ = true;
    }
    changed_.notify_all();
}

void MovesRecorded::lookBehind() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return looking_ || stopping_; });
        if (stopping_) return;
        const std::size_t first = first_, end = end_;
        hold.unlock();
        // Written outside the lock: the calling thread reads them only once
        // looking_ is false again. A look that fails leaves its file unknown,
        // which an undo leaves where it is, and says so.
        try {
            for (std::size_t step = first; step < end; ++step) found_[step - first] = folder_.probe(steps_[step].to).identity;
        } catch (...) {
        }
        hold.lock();
        looking_ = false;
        changed_.notify_all();
    }
}

} // namespace norvane::batch
