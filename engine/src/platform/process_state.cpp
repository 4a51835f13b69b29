// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The platform layer's state for the whole process, alike on every platform: whether
// the program was asked to end (a signal handler may set it), and the tests' hook.

#include "norvane/platform.h"
#include "platform/copying_hook.h"

#include <atomic>
#include <functional>

namespace norvane::platform {

namespace {

// Lock-free, so a signal handler may set it.
std::atomic<bool> ending{false};
static_assert(std::atomic<bool>::is_always_lock_free);

std::function<void(const std::string&)>& copyingHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

} // namespace

void testing::onCopying(std::function<void(const std::string& source)> hook) { copyingHook() = std::move(hook); }

void copyingDone(const std::string& source) {
    if (copyingHook()) copyingHook()(source);
}

void requestEnding() { ending.store(true); }
bool endingRequested() { return ending.load(); }

void testing::forgetEnding() { ending.store(false); }

} // namespace norvane::platform
