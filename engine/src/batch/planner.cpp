// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/planner.h"

#include <utility>

namespace norvane {

Plan Planner::plan() const {
    Plan plan;
    for (std::size_t position = 0; position < files_.count(); ++position) {
        const std::string_view name = files_.name(position);
        RuleResult result = apply(rule_, name, position, texts_);
        if (std::holds_alternative<Skip>(result)) continue;
        if (const auto* missing = std::get_if<MissingPart>(&result)) {
            RenameFailure failure = failureAt(position, RenameFailure::Kind::MissingPart);
            failure.missingPart = missing->index;
            plan.stoppedBy = std::move(failure);
            return plan;
        }
        const std::string& newName = std::get<NewName>(result).name;
        if (newName == name) continue; // already has the name asked for
        plan.positions.push_back(static_cast<std::uint32_t>(position));
        plan.newNames += newName;
        plan.ends.push_back(plan.newNames.size());
    }
    return plan;
}

std::optional<RenameFailure> Planner::refusal(const Plan& plan, const batch::Checked& checked) const {
    if (checked.problems.empty()) return plan.stoppedBy;
    const batch::StepProblem& problem = checked.problems.front();
    RenameFailure failure = failureOf(plan, problem.step, problem.kind);
    failure.error = problem.error;
    failure.detail = problem.detail;
    failure.notHeld = problem.notHeld;
    if (problem.kind == RenameFailure::Kind::DuplicateName) {
        failure.otherPosition = plan.positions[problem.otherStep];
        failure.otherName = std::string(nameAt(failure.otherPosition));
    }
    return failure;
}

RenameFailure Planner::failureAt(std::size_t position, RenameFailure::Kind kind) const {
    RenameFailure failure;
    failure.kind = kind;
    failure.position = position;
    failure.count = files_.count();
    failure.name = std::string(files_.name(position));
    return failure;
}

RenameFailure Planner::failureOf(const Plan& plan, std::size_t move, RenameFailure::Kind kind) const {
    RenameFailure failure = failureAt(plan.positions[move], kind);
    failure.newName = std::string(plan.newName(move));
    failure.destination = JoinPath(files_.path(), plan.newName(move));
    return failure;
}

} // namespace norvane
