// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The check every batch goes through before its first move: its steps are
// replayed in order over the folder as it is now, so each destination is
// judged as it will be at the moment of its own move.

#include "batch/places.h"
#include "norvane/batch_record.h"
#include "norvane/platform.h"
#include "norvane/progress.h"
#include "norvane/rename_failure.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace norvane::batch {

// One file to move, its names relative to the batch's folder; either may lead
// into another folder through separators.
struct Step {
    std::string_view from;
    std::string_view to;
};

// A batch's steps as a view over whatever holds their names: a vector of
// steps, or a plan or a record asked for each step when it is needed, so
// that a batch of a million files keeps no second table of its names.
// What it views must outlive it.
class Steps {
public:
    // Not explicit: a vector of steps is steps.
    Steps(const std::vector<Step>& steps)
        : Steps(steps.size(), &steps, [](const void* source, std::size_t i) { return (*static_cast<const std::vector<Step>*>(source))[i]; }) {}

    // Over `source`, whose step(i) gives step i of `count`.
    template <typename Source>
    static Steps of(const Source& source, std::size_t count) {
        return Steps(count, &source, [](const void* from, std::size_t i) { return static_cast<const Source*>(from)->step(i); });
    }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    Step operator[](std::size_t i) const { return at_(source_, i); }

private:
    using At = Step (*)(const void* source, std::size_t i);
    Steps(std::size_t count, const void* source, At at) : count_(count), source_(source), at_(at) {}

    std::size_t count_;
    const void* source_;
    At at_;
};

// What an undo knows of the files it moves: which file each step's source
// must be, as recorded after the batch's own move, and how far the numbers of
// the folder it went to hold.
struct Expected {
    std::function<std::optional<platform::FileIdentity>(std::size_t step)> fileAt;
    std::function<platform::IdentityTrust(std::size_t step)> trustAt;
    // What a look made just before found at each step's destination (the
    // name the file had); where empty, the folder is read.
    std::function<OldNameSeen(std::size_t step)> destinationSeenAt;
    // What is known of each step's source (the file's new name), judged
    // against the file recorded: a look's finding, or what the undo takes
    // for granted until its own look tells (see undo.cpp); where empty,
    // each is probed.
    std::function<FoundAtName(std::size_t step)> sourceFoundAt;
};

struct StepProblem {
    StepProblem(std::size_t step, RenameFailure::Kind kind, std::optional<platform::SystemError> error = std::nullopt,
                std::size_t otherStep = 0)
        : step(step), kind(kind), error(std::move(error)), otherStep(otherStep) {}

    std::size_t step = 0;
    RenameFailure::Kind kind = RenameFailure::Kind::NameTaken;
    std::optional<platform::SystemError> error;
    // DuplicateName: the earlier step headed for the same place;
    // BlockedByAnother: the step whose file keeps the name this one needs.
    std::size_t otherStep = 0;
    std::string detail; // NameTaken: the name holding it, where it is spelled otherwise
    std::optional<platform::NotHeld> notHeld; // NameNotHeld: what the file system cannot hold in the name
};

enum class OnProblem {
    StopBatch,        // the first problem refuses the whole batch
    LeaveFileAndGoOn, // a step with a problem is left out; the others go on without it
};

struct Checked {
    std::vector<StepProblem> problems; // in step order; at most one under StopBatch
    // Each step's source as the check found it, where asked for: what a journal records.
    std::vector<std::optional<platform::FileIdentity>> sources;
    // An undo's check: what it found at each step's destination, for the
    // same steps to be judged again as they were (see undo.cpp).
    OldNamesSeen destinationsSeen;
    bool cancelled = false; // the progress callback asked to stop
};

// The problem a look's finding at step `step`'s source makes: none where it
// found the batch's file, or could not tell (the source is then asked again).
std::optional<StepProblem> sourceProblemOf(std::size_t step, FoundAtName found);

// Works through the folder the batch holds open, as its moves will; `places`
// is kept for the moves that follow.
Checked check(platform::Folder& folder, Places& places, const Steps& steps, OnProblem onProblem,
              const Expected* expected = nullptr, const ProgressCallback& progress = {}, bool keepSources = false);
Checked check(platform::Folder& folder, const Steps& steps, OnProblem onProblem, const Expected* expected = nullptr,
              const ProgressCallback& progress = {}, bool keepSources = false);

} // namespace norvane::batch
