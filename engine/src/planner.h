#pragma once

// A run's plan: every listed file's new name from its pre-run name alone, in
// list order, as the steps of a batch over the listed folder.

#include "batch_check.h"
#include "norvane/file_list.h"
#include "norvane/rename_run.h"
#include "norvane/rules.h"

#include <optional>
#include <string>
#include <vector>

namespace norvane {

// One file the run will move; files whose rule skips them, or gives them the
// name they already have, are not in the plan.
// Full paths are joined only where a move or a probe needs them: kept for a
// whole folder they would cost more memory than the rest of the plan.
struct PlannedMove {
    std::size_t position;
    std::string newName;
};

struct Plan {
    std::vector<PlannedMove> moves;
    // A file whose rule failed ends the plan; it is reported unless a file
    // before it fails the plan check first.
    std::optional<RenameFailure> stoppedBy;
};

class Planner {
public:
    Planner(Rule rule, const FileList& files, const RuleTexts& texts) : rule_(rule), files_(files), texts_(texts) {}

    Plan plan() const;
    std::vector<batch::Step> steps(const Plan& plan) const;

    // Why the check refuses the plan, as the failure of the file it stopped
    // at; or the rule's own failure where the check found nothing before it.
    std::optional<RenameFailure> refusal(const Plan& plan, const batch::Checked& checked) const;

    RenameFailure failureAt(std::size_t position, RenameFailure::Kind kind) const;
    RenameFailure failureOf(const PlannedMove& move, RenameFailure::Kind kind) const;

    const std::string& folder() const { return files_.path(); }
    const std::string& nameAt(std::size_t position) const { return files_.name(position); }

private:
    Rule rule_;
    const FileList& files_;
    const RuleTexts& texts_;
};

} // namespace norvane
