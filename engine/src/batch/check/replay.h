// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The check's replay of a batch: its steps in order over the folder as it is
// now. Its work lies in three files: replay.cpp judges the steps in order,
// probes.cpp reads what the folder holds at their names, step_checks.cpp
// holds each thing a step is checked for, one small function each.

#include "batch/check/batch_check.h"
#include "batch/check/check_terms.h"
#include "hash_index.h"
#include "norvane/path.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace norvane::batch::checking {

class Replay {
public:
    Replay(platform::Folder& folder, Places& places, const Steps& steps, OnProblem onProblem, const Expected* expected,
           const ProgressCallback& progress, bool keepSources)
        : folder_(folder), steps_(steps), onProblem_(onProblem), expected_(expected), progress_(progress), keepSources_(keepSources),
          hash_(), earlier_(steps.size()), taken_(0), stuck_(0), places_(places) {}

    Checked run();

private:
    bool stopped() const { return onProblem_ == OnProblem::StopBatch && !result_.problems.empty(); }

    // replay.cpp: the steps judged in order.
    std::optional<StepProblem> prejudge();
    Checked judgeWithNoneTaken(const std::optional<StepProblem>& prejudged);
    std::optional<StepProblem> checkStep(std::size_t i, const platform::PathProbe* source, FoundAtName found);
    std::optional<StepProblem> checkNewName(std::size_t i, Place& to);
    void askAhead(std::size_t i) const;

    // probes.cpp: what the folder holds at the steps' names.
    bool judgesWhileReading() const;
    std::optional<StepProblem> prejudgeWhileReading();
    void probeInFolder();
    std::size_t prepareProbes();
    void probeRange(std::size_t first, std::size_t last);
    void collectTaken();
    void keepDestinationsSeen();
    platform::PathProbe probed(bool source, std::size_t i) const;

    // step_checks.cpp: what each step is checked for.
    std::optional<StepProblem> checkSourceThere(std::size_t i, const platform::PathProbe* inFull,
                                                FoundAtName found = FoundAtName::AskAgain);
    std::optional<StepProblem> checkNameHeld(std::size_t i);
    std::optional<StepProblem> checkNotTaken(std::size_t i, const Place& to, const platform::PathProbe& destination);

    // An empty name joins to the folder itself.
    std::optional<StepProblem> checkNotEmpty(std::size_t i) const {
        if (!steps_[i].to.empty()) return std::nullopt;
        return StepProblem{i, RenameFailure::Kind::EmptyName, std::nullopt};
    }

    // A NUL would cut the path short at the system call and move the file to
    // a name nobody asked for.
    std::optional<StepProblem> checkBytes(std::size_t i) const {
        if (steps_[i].to.find('\0') == std::string_view::npos) return std::nullopt;
        return StepProblem{i, RenameFailure::Kind::InvalidName, std::nullopt};
    }

    // What an earlier step did to a place: claimed it as its destination, or
    // freed it by moving away; kept as step * 2 + claimed.
    static std::uint32_t entryOf(std::size_t step, bool claimed) { return static_cast<std::uint32_t>(step * 2 + claimed); }
    static std::size_t stepOf(std::uint32_t entry) { return entry / 2; }
    static bool claimed(std::uint32_t entry) { return entry % 2 == 1; }
    std::string keyOfEntry(std::uint32_t entry) { return keyOf(claimed(entry) ? steps_[stepOf(entry)].to : steps_[stepOf(entry)].from); }

    std::string keyOf(std::string_view name) {
        Place place;
        placeOf(name, place);
        return std::string(place.key);
    }

    // A name in the listed folder is keyed by its name alone, and asks nothing
    // of the system; one in another folder by that folder's identity.
    void placeOf(std::string_view name, Place& place) {
        if (!HoldsSeparator(name)) return fold(name, listed_.ignoresCase, place);
        placeInAnotherFolder(name, place);
    }
    void placeInAnotherFolder(std::string_view name, Place& place);

    void fold(std::string_view name, bool ignoresCase, Place& place) const {
        if (ignoresCase) {
            place.owned = platform::foldCase(name);
            place.key = place.owned;
        } else {
            place.key = name;
        }
    }

    platform::Folder& folder_;
    const Steps steps_;
    const OnProblem onProblem_;
    const Expected* expected_;
    const ProgressCallback& progress_;
    const bool keepSources_;
    const std::hash<std::string_view> hash_;
    platform::FolderProbe listed_;
    std::vector<Seen> sourceSeen_, destinationSeen_;
    std::unordered_map<std::size_t, platform::SystemError> sourceErrors_, destinationErrors_;
    std::mutex errorsHeld_; // the probes' errors, written from either thread
    Checked result_;
    HashIndex earlier_; // places earlier steps claimed, or freed where that matters
    HashIndex taken_;   // places of destinations something holds now
    HashIndex stuck_;   // places kept by files left out
    Places& places_;
};

} // namespace norvane::batch::checking
