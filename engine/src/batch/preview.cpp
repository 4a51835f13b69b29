// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/preview.h"

#include "batch/check/batch_check.h"
#include "batch/planner.h"

namespace norvane {

Preview preview(Rule rule, const FileList& files, const RuleTexts& texts, std::size_t shown) {
    Preview result;
    const Planner planner(rule, files, texts);
    const Plan plan = planner.plan();
    const PlannedSteps planned = planner.steps(plan);
    const batch::Steps steps = planned.all();
    const std::unique_ptr<platform::Folder> folder = files.fileSystem().openFolder(files.path());
    // As a batch's check: from the list's own read while the folder holds just that.
    folder->answerFrom(files.keptReading());
    const batch::Checked checked = batch::check(*folder, steps, batch::OnProblem::StopBatch);
    result.refusal = planner.refusal(plan, checked);
    if (result.refusal) return result;
    result.renamed = plan.size();
    result.leftAlone = files.count() - plan.size();
    for (std::size_t i = 0; i < plan.size() && i < shown; ++i)
        result.first.emplace_back(planner.nameAt(plan.positions[i]), plan.newName(i));
    return result;
}

} // namespace norvane
