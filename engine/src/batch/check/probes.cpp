// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the folder holds at the steps' names: read at once for all of them
// where the platform can, on two threads where the batch is large.

#include "batch/check/replay.h"

#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace norvane::batch::checking {

// A large batch that stops at its first problem judges what it can of its
// steps while the folder is read on a second thread: the read waits on
// the system, the judging on the processor.
bool Replay::judgesWhileReading() const {
    return !expected_ && onProblem_ == OnProblem::StopBatch && folder_.sharesProbes(steps_.size());
}

// Where the folder answers from a read kept from before, the first
// thread also takes a share of the probes once it has judged the steps:
// the read is not made twice, and at a million files the probes take
// longer than the judging. The second thread starts with the larger share.
std::optional<StepProblem> Replay::prejudgeWhileReading() {
    const std::size_t names = prepareProbes();
    const std::size_t split = folder_.answersFromKeptReading() ? names - names * 2 / 5 : names;
    std::exception_ptr failed, ownFailure;
    std::thread reader;
    try {
        reader = std::thread([&] {
            try {
                probeRange(0, split);
            } catch (...) {
                failed = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
    }
    std::optional<StepProblem> problem;
    try {
        problem = prejudge();
        if (!reader.joinable()) probeRange(0, split); // no thread to be had
        probeRange(split, names);
    } catch (...) {
        ownFailure = std::current_exception();
    }
    if (reader.joinable()) reader.join();
    if (ownFailure) std::rethrow_exception(ownFailure);
    if (failed) std::rethrow_exception(failed);
    return problem;
}

// The sources and the destinations are looked at all at once: the
// platform may answer from one read of the folder for the names in it,
// instead of asking the system about each name. An undo's sources are
// left out (each is probed in full anyway), and so are destinations a
// look made just before saw: the rest are asked one by one.
void Replay::probeInFolder() {
    const std::size_t count = steps_.size();
    const std::size_t names = prepareProbes();
    if (expected_ && expected_->destinationSeenAt) {
        for (std::size_t i = 0; i < count; ++i) {
            if (HoldsSeparator(steps_[i].to)) continue;
            const OldNameSeen seen = expected_->destinationSeenAt(i);
            if (seen != OldNameSeen::AskAgain) destinationSeen_[i] = seen == OldNameSeen::Taken ? Seen::Other : Seen::Absent;
        }
        return;
    }
    probeRange(0, names);
}

// How many names the probes ask for, the sources first; what each found is unasked yet.
std::size_t Replay::prepareProbes() {
    const std::size_t count = steps_.size();
    const std::size_t sources = expected_ ? 0 : count;
    sourceSeen_.assign(sources, Seen::Unasked);
    destinationSeen_.assign(count, Seen::Unasked);
    return sources + count;
}

// The probes of names [first, last): each writes its own step's answer,
// so two threads may each take a range.
void Replay::probeRange(std::size_t first, std::size_t last) {
    if (first >= last) return;
    const std::size_t sources = sourceSeen_.size();
    folder_.probeNames(
        last - first,
        [&](std::size_t k) {
            const std::size_t n = first + k;
            return n < sources ? steps_[n].from : steps_[n - sources].to;
        },
        [&](std::size_t k, const platform::PathProbe& probe) {
            const std::size_t n = first + k;
            const bool source = n < sources;
            const std::size_t step = source ? n : n - sources;
            (source ? sourceSeen_ : destinationSeen_)[step] = seenOf(probe);
            if (probe.error) {
                const std::lock_guard lock(errorsHeld_);
                (source ? sourceErrors_ : destinationErrors_).emplace(step, *probe.error);
            }
            if (source && keepSources_) result_.sources[step] = probe.identity;
        });
}

// The places of the destinations found taken: only a step moving away from
// one of them frees a name that matters, so only those are looked for
// among the sources. Usually there are none.
void Replay::collectTaken() {
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const Seen seen = destinationSeen_[i];
        if (seen != Seen::File && seen != Seen::Folder && seen != Seen::Other) continue;
        Place to;
        placeOf(steps_[i].to, to);
        if (!to.problem)
            taken_.assign(hash_(to.key), static_cast<std::uint32_t>(i),
                          [&](std::uint32_t other) { return keyOf(steps_[other].to) == to.key; });
    }
}

// An error or a name not asked is asked again.
void Replay::keepDestinationsSeen() {
    result_.destinationsSeen.resize(destinationSeen_.size(), OldNameSeen::AskAgain);
    for (std::size_t i = 0; i < destinationSeen_.size(); ++i)
        switch (destinationSeen_[i]) {
        case Seen::File:
        case Seen::Folder:
        case Seen::Other: result_.destinationsSeen[i] = OldNameSeen::Taken; break;
        case Seen::Absent: result_.destinationsSeen[i] = OldNameSeen::Free; break;
        case Seen::Error:
        case Seen::Unasked: break;
        }
}

// What is at a step's source or destination, as the folder's one read
// said; a platform that left a name out is asked again.
platform::PathProbe Replay::probed(bool source, std::size_t i) const {
    const Seen seen = (source ? sourceSeen_ : destinationSeen_)[i];
    if (seen == Seen::Unasked) return folder_.probe(source ? steps_[i].from : steps_[i].to);
    platform::PathProbe probe;
    switch (seen) {
    case Seen::File: probe.kind = platform::PathKind::File; break;
    case Seen::Folder: probe.kind = platform::PathKind::Folder; break;
    case Seen::Other: probe.kind = platform::PathKind::Other; break;
    case Seen::Error: probe.error = (source ? sourceErrors_ : destinationErrors_).at(i); break;
    case Seen::Absent:
    case Seen::Unasked: break;
    }
    return probe;
}

} // namespace norvane::batch::checking
