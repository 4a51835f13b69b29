#include "norvane/preview.h"

#include "batch_check.h"
#include "planner.h"

namespace norvane {

Preview preview(Rule rule, const FileList& files, const RuleTexts& texts, std::size_t shown) {
    Preview result;
    const Planner planner(rule, files, texts);
    const Plan plan = planner.plan();
    const batch::Checked checked =
        batch::check(files.path(), planner.steps(plan), files.fileSystem(), batch::OnProblem::StopBatch);
    result.refusal = planner.refusal(plan, checked);
    if (result.refusal) return result;
    result.renamed = plan.moves.size();
    result.leftAlone = files.count() - plan.moves.size();
    for (std::size_t i = 0; i < plan.moves.size() && i < shown; ++i)
        result.first.emplace_back(planner.nameAt(plan.moves[i].position), plan.moves[i].newName);
    return result;
}

} // namespace norvane
