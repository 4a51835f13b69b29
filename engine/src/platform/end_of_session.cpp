#include "norvane/platform.h"

#include <atomic>

namespace norvane::platform {

namespace {

// Lock-free, so a signal handler may set it.
std::atomic<bool> ending{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

void requestEnding() { ending.store(true); }
bool endingRequested() { return ending.load(); }

void testing::forgetEnding() { ending.store(false); }

} // namespace norvane::platform
