// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The steps judged in order: every batch's own claims first where it can be
// told without the folder, then each step against the folder as the steps
// before it leave it.

#include "batch/check/replay.h"

#include "batch/progress_ticker.h"

namespace norvane::batch {

namespace checking {

using Kind = RenameFailure::Kind;

Checked Replay::run() {
    listed_ = folder_.about();
    if (keepSources_) result_.sources.resize(steps_.size());
    if (!listed_.isFolder) {
        // The folder itself gone: every file with it.
        for (std::size_t i = 0; i < steps_.size() && !stopped(); ++i)
            result_.problems.push_back(StepProblem{i, Kind::SourceGone, listed_.error});
        return std::move(result_);
    }
    std::optional<std::optional<StepProblem>> prejudged;
    if (judgesWhileReading()) prejudged = prejudgeWhileReading();
    else probeInFolder();
    collectTaken();
    if (expected_) keepDestinationsSeen();
    if (prejudged && taken_.empty()) return judgeWithNoneTaken(*prejudged);
    // A destination taken: a step may free a name another claims, and the
    // steps are judged again in order, from nothing.
    if (prejudged) earlier_ = HashIndex(steps_.size());

    ProgressTicker ticker(progress_, BatchProgress::Stage::Checking, steps_.size());
    const auto checkOne = [&](std::size_t i, const platform::PathProbe* source, FoundAtName found) {
        if (!ticker.tick(i)) {
            result_.cancelled = true;
            return false;
        }
        if (auto problem = checkStep(i, source, found)) {
            // Its file stays where it is, under the name it has now.
            if (onProblem_ == OnProblem::LeaveFileAndGoOn) {
                Place from;
                placeOf(steps_[i].from, from);
                stuck_.assign(hash_(from.key), static_cast<std::uint32_t>(i),
                              [&](std::uint32_t other) { return keyOf(steps_[other].from) == from.key; });
            }
            result_.problems.push_back(std::move(*problem));
        }
        return !stopped();
    };
    // Where the batch knows which file each source must be, each is looked
    // at in full, the platform probing ahead while the steps are judged in
    // order; unless a look made just before found it.
    if (expected_ && expected_->sourceFoundAt) {
        // Each destination's slot asked for a few steps ahead, as a batch's claims are.
        for (std::size_t i = 0; i < HashIndex::askedAhead; ++i) askAhead(i);
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            askAhead(i + HashIndex::askedAhead);
            const FoundAtName found = expected_->sourceFoundAt(i);
            const std::optional<platform::PathProbe> now =
                found == FoundAtName::AskAgain ? std::optional(folder_.probe(steps_[i].from)) : std::nullopt;
            if (!checkOne(i, now ? &*now : nullptr, found)) break;
        }
    } else if (expected_) {
        folder_.probeInOrder(
            steps_.size(), [&](std::size_t i) { return steps_[i].from; },
            [&](std::size_t i, const platform::PathProbe& source) { return checkOne(i, &source, FoundAtName::AskAgain); });
    } else {
        for (std::size_t i = 0; i < steps_.size() && checkOne(i, nullptr, FoundAtName::AskAgain); ++i) {
        }
    }
    if (!result_.cancelled && !ticker.report(steps_.size())) result_.cancelled = true;
    return std::move(result_);
}

// A bare name in a folder that keeps case is its own key: its slot is
// asked for a few steps ahead of its turn (see HashIndex::prefetch).
void Replay::askAhead(std::size_t i) const {
    if (i >= steps_.size() || listed_.ignoresCase) return;
    const std::string_view to = steps_[i].to;
    if (!HoldsSeparator(to)) earlier_.prefetch(hash_(to));
}

// What a new name can be told by without the folder: not empty, no NUL, one
// the file system holds, in a folder that is there; `to` is where it lies.
std::optional<StepProblem> Replay::checkNewName(std::size_t i, Place& to) {
    if (auto problem = checkNotEmpty(i)) return problem;
    if (auto problem = checkBytes(i)) return problem;
    if (auto problem = checkNameHeld(i)) return problem;
    placeOf(steps_[i].to, to);
    if (!to.problem) return std::nullopt;
    to.problem->step = i;
    return to.problem;
}

// The first step with a problem whatever the folder holds: its new name
// cannot be, or an earlier step claims it too. Each step's claim is kept.
std::optional<StepProblem> Replay::prejudge() {
    constexpr std::size_t ahead = HashIndex::askedAhead;
    for (std::size_t i = 0; i < ahead; ++i) askAhead(i);
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        askAhead(i + ahead);
        Place to;
        if (auto problem = checkNewName(i, to)) return problem;
        const std::uint64_t toHash = hash_(to.key);
        if (const auto earlier = earlier_.find(toHash, [&](std::uint32_t entry) { return keyOfEntry(entry) == to.key; }))
            return StepProblem{i, Kind::DuplicateName, std::nullopt, stepOf(*earlier)};
        earlier_.insert(toHash, entryOf(i, true));
    }
    return std::nullopt;
}

// With no destination taken, no step frees a name another needs: the
// claims judged are the replay's own, and what is left is whether each
// source is there and each destination free, in order.
Checked Replay::judgeWithNoneTaken(const std::optional<StepProblem>& prejudged) {
    ProgressTicker ticker(progress_, BatchProgress::Stage::Checking, steps_.size());
    for (std::size_t i = 0; i < steps_.size() && !stopped(); ++i) {
        if (!ticker.tick(i)) {
            result_.cancelled = true;
            return std::move(result_);
        }
        const bool prejudgedHere = prejudged && prejudged->step == i;
        // The usual step, told from its two bytes: its file there, its new name free.
        if (sourceSeen_[i] == Seen::File && destinationSeen_[i] == Seen::Absent && !prejudgedHere) continue;
        std::optional<StepProblem> problem = checkSourceThere(i, nullptr);
        if (!problem && prejudgedHere) problem = *prejudged;
        if (!problem) {
            const platform::PathProbe destination = probed(false, i);
            if (destination.error || destination.kind != platform::PathKind::Absent) {
                Place to;
                placeOf(steps_[i].to, to);
                problem = checkNotTaken(i, to, destination);
            }
        }
        if (problem) result_.problems.push_back(std::move(*problem));
    }
    if (!result_.cancelled && !ticker.report(steps_.size())) result_.cancelled = true;
    return std::move(result_);
}

// `source`: the step's source probed in full, where the batch knows which file it must be.
std::optional<StepProblem> Replay::checkStep(std::size_t i, const platform::PathProbe* source, FoundAtName found) {
    const Step& step = steps_[i];
    if (auto problem = checkSourceThere(i, source, found)) return problem;
    Place to;
    if (auto problem = checkNewName(i, to)) return problem;
    const std::uint64_t toHash = hash_(to.key);
    const auto earlier = earlier_.find(toHash, [&](std::uint32_t entry) { return keyOfEntry(entry) == to.key; });
    if (earlier && claimed(*earlier)) return StepProblem{i, Kind::DuplicateName, std::nullopt, stepOf(*earlier)};
    // A name an earlier step frees is free by the time of this one.
    if (!earlier)
        if (auto problem = checkNotTaken(i, to, probed(false, i))) return problem;
    // Freed first: a file given its own name under another case claims it again.
    if (!taken_.empty()) {
        Place from;
        placeOf(step.from, from);
        const std::uint64_t fromHash = hash_(from.key);
        if (taken_.find(fromHash, [&](std::uint32_t other) { return keyOf(steps_[other].to) == from.key; }))
            earlier_.assign(fromHash, entryOf(i, false), [&](std::uint32_t entry) { return keyOfEntry(entry) == from.key; });
    }
    earlier_.assign(toHash, entryOf(i, true), [&](std::uint32_t entry) { return keyOfEntry(entry) == to.key; });
    return std::nullopt;
}

} // namespace checking

Checked check(platform::Folder& folder, Places& places, const Steps& steps, OnProblem onProblem,
              const Expected* expected, const ProgressCallback& progress, bool keepSources) {
    return checking::Replay(folder, places, steps, onProblem, expected, progress, keepSources).run();
}

Checked check(platform::Folder& folder, const Steps& steps, OnProblem onProblem, const Expected* expected,
              const ProgressCallback& progress, bool keepSources) {
    Places places(folder);
    return check(folder, places, steps, onProblem, expected, progress, keepSources);
}

} // namespace norvane::batch
