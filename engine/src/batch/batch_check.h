#pragma once

// The check every batch goes through before its first move: its steps are
// replayed in order over the folder as it is now, so each destination is
// judged as it will be at the moment of its own move.

#include "norvane/platform.h"
#include "norvane/progress.h"
#include "norvane/rename_run.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::batch {

// One file to move, its names relative to the batch's folder; either may lead
// into another folder through separators.
struct Step {
    std::string_view from;
    std::string_view to;
};

// What an undo knows of the files it moves: which file each step's source
// must be, and when the batch that moved them began, since no file it moved
// was born later (a move into another folder excepted: it may have copied).
struct Expected {
    std::function<std::optional<platform::FileId>(std::size_t step)> fileAt;
    std::int64_t bornBy = 0;
};

struct StepProblem {
    std::size_t step = 0;
    RenameFailure::Kind kind = RenameFailure::Kind::NameTaken;
    std::optional<platform::SystemError> error;
    // DuplicateName: the earlier step headed for the same place;
    // BlockedByAnother: the step whose file keeps the name this one needs.
    std::size_t otherStep = 0;
};

enum class OnProblem {
    StopBatch,        // the first problem refuses the whole batch
    LeaveFileAndGoOn, // a step with a problem is left out; the others go on without it
};

struct Checked {
    std::vector<StepProblem> problems; // in step order; at most one under StopBatch
    // The file found at each step's source, where the platform told.
    std::vector<std::optional<platform::FileId>> sources;
    bool cancelled = false; // the progress callback asked to stop
};

Checked check(const std::string& folder, const std::vector<Step>& steps, platform::FileSystem& fileSystem, OnProblem onProblem,
              const Expected* expected = nullptr, const ProgressCallback& progress = {});

bool holdsSeparator(std::string_view name);

} // namespace norvane::batch
