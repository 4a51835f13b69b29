// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A run's plan: every listed file's new name from its pre-run name alone, in
// list order, as the steps of a batch over the listed folder.

#include "batch/check/batch_check.h"
#include "norvane/file_list.h"
#include "norvane/rename_failure.h"
#include "norvane/rules.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// The files the run will move; files whose rule skips them, or gives them the
// name they already have, are not in the plan. The new names are kept one
// after another in one piece of memory: a string each would cost a million
// allocations and twice the memory in a large folder.
struct Plan {
    std::vector<std::uint32_t> positions; // each move's list position
    std::string newNames;
    std::vector<std::size_t> ends;        // where each move's new name ends in newNames
    // A file whose rule failed ends the plan; it is reported unless a file
    // before it fails the plan check first.
    std::optional<RenameFailure> stoppedBy;

    std::size_t size() const { return positions.size(); }
    std::string_view newName(std::size_t move) const {
        const std::size_t start = move == 0 ? 0 : ends[move - 1];
        return std::string_view(newNames).substr(start, ends[move] - start);
    }
};

// The plan's moves as a batch's steps, each made from the list and the plan
// when asked for: neither may change while they are used.
struct PlannedSteps {
    const FileList& files;
    const Plan& plan;

    batch::Step step(std::size_t move) const { return {files.name(plan.positions[move]), plan.newName(move)}; }
    // A view over this, which must outlive it.
    batch::Steps all() const { return batch::Steps::of(*this, plan.size()); }
};

class Planner {
public:
    Planner(Rule rule, const FileList& files, const RuleTexts& texts) : rule_(rule), files_(files), texts_(texts) {}

    Plan plan() const;
    // Views into the plan and the list: neither may change while they are used.
    PlannedSteps steps(const Plan& plan) const { return PlannedSteps{files_, plan}; }

    // Why the check refuses the plan, as the failure of the file it stopped
    // at; or the rule's own failure where the check found nothing before it.
    std::optional<RenameFailure> refusal(const Plan& plan, const batch::Checked& checked) const;

    RenameFailure failureAt(std::size_t position, RenameFailure::Kind kind) const;
    RenameFailure failureOf(const Plan& plan, std::size_t move, RenameFailure::Kind kind) const;

    const std::string& folder() const { return files_.path(); }
    std::size_t fileCount() const { return files_.count(); }
    std::string_view nameAt(std::size_t position) const { return files_.name(position); }

private:
    Rule rule_;
    const FileList& files_;
    const RuleTexts& texts_;
};

} // namespace norvane
