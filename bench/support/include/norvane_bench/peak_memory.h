#pragma once

#include <cstddef>

namespace norvane::bench {

// The most memory the process has held resident so far, in KiB.
std::size_t peakResidentKiB();

// What it holds resident now, in KiB.
std::size_t residentKiB();

} // namespace norvane::bench
