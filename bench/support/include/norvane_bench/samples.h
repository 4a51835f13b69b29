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

private:
    std::vector<double> seconds_;
};

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
