#pragma once

// The check every batch goes through before its first move: its steps are
// replayed in order over the folder as it is now, so each destination is
// judged as it will be at the moment of its own move.

#include "norvane/platform.h"
#include "norvane/rename_run.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::batch {

// One file to move, its names relative to the batch's folder. `to` may lead
// into another folder through separators.
struct Step {
    std::string_view from;
    std::string_view to;
};

struct StepProblem {
    std::size_t step = 0;
    RenameFailure::Kind kind = RenameFailure::Kind::NameTaken;
    std::optional<platform::SystemError> error;
    std::size_t otherStep = 0; // for DuplicateName: the earlier step headed for the same place
};

// The first problem in step order, or nothing when every step can be made.
std::optional<StepProblem> check(const std::string& folder, const std::vector<Step>& steps, platform::FileSystem& fileSystem);

bool holdsSeparator(std::string_view name);

} // namespace norvane::batch
