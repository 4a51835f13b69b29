// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Many names probed in full on two threads, handed over in order on the
// caller's: each probe waits on the system (a look-up of a name not in the
// processor's caches), so two cores make them in little more than half the time.

#include "platform/posix/posix.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>
#include <vector>

namespace norvane::platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

// Pieces start small and grow while they are quick: on a card through FUSE a
// probe can take a millisecond, and the caller hears nothing until a piece is done.
constexpr std::size_t firstPiece = 64, largestPiece = 8192;
constexpr auto quickPiece = std::chrono::milliseconds(20), slowPiece = std::chrono::milliseconds(100);

} // namespace

void probeInOrderAt(int folder, std::size_t count, const NameAt& nameAt, const NameProbedUntil& each) {
    const auto probeRange = [&](std::size_t first, std::size_t end, std::vector<PathProbe>& into) {
        for (std::size_t n = first; n < end; ++n) into[n - first] = probeAt(folder, relativeName(nameAt(n)));
    };
    if (count < namesWorthASecondThread) {
        for (std::size_t n = 0; n < count; ++n)
            if (!each(n, probeAt(folder, relativeName(nameAt(n))))) return;
        return;
    }
    std::size_t piece = firstPiece;
    std::vector<PathProbe> mine, theirs;
    for (std::size_t first = 0; first < count;) {
        const std::size_t middle = std::min(first + piece, count), end = std::min(middle + piece, count);
        mine.resize(middle - first);
        theirs.resize(end - middle);
        const Clock::time_point started = Clock::now();
        // Joined on every way out, a throw on this thread included.
        std::jthread helper;
        try {
            helper = std::jthread([&] { probeRange(middle, end, theirs); });
        } catch (const std::system_error&) {
            probeRange(middle, end, theirs); // no thread to be had: this one does both
        }
        probeRange(first, middle, mine);
        if (helper.joinable()) helper.join();
        for (std::size_t n = first; n < middle; ++n)
            if (!each(n, mine[n - first])) return;
        for (std::size_t n = middle; n < end; ++n)
            if (!each(n, theirs[n - middle])) return;
        const Clock::duration took = Clock::now() - started;
        if (took < quickPiece) piece = std::min(piece * 2, largestPiece);
        else if (took > slowPiece) piece = std::max(piece / 2, std::size_t{8});
        first = end;
    }
}

} // namespace norvane::platform::posix
