// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Repeated timings of one measurement, reported by their median and spread.

#include <chrono>
#include <string>
#include <vector>

namespace norvane::bench {

using Clock = std::chrono::steady_clock;

class Samples {
public:
    void add(Clock::duration taken) { seconds_.push_back(std::chrono::duration<double>(taken).count()); }
    bool empty() const { return seconds_.empty(); }
    double median() const;
    double fastest() const;
    double slowest() const;
    std::size_t size() const { return seconds_.size(); }
    double operator[](std::size_t i) const { return seconds_[i]; }

private:
    std::vector<double> seconds_;
};

// The median of a[i] / b[i]: for two measurements taken in turns, each
// beside the other, so drift between the turns cancels out.
double medianOfRatios(const Samples& a, const Samples& b);

// Times one call of f.
template <typename F>
Clock::duration timed(F&& f) {
    const Clock::time_point start = Clock::now();
    f();
    return Clock::now() - start;
}

// "12.3 ms", with the precision the size of the number calls for.
std::string milliseconds(double seconds);

} // namespace norvane::bench
