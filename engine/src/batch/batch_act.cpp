#include "batch/batch_act.h"

#include "batch/progress_ticker.h"

namespace norvane::batch {

Acted act(const std::string& folder, const std::vector<Step>& steps,
          const std::vector<std::optional<platform::FileId>>& sources, platform::FileSystem& fileSystem,
          BatchRecord* record, const ProgressCallback& progress) {
    Acted acted;
    if (record) {
        record->folder = folder;
        std::size_t bytes = 0;
        for (const Step& step : steps) bytes += step.from.size() + step.to.size();
        record->reserve(record->size() + steps.size(), bytes);
    }
    ProgressTicker ticker(progress, BatchProgress::Stage::Moving, steps.size());
    const std::unique_ptr<platform::FileSystem::FolderMoves> moves = fileSystem.movesIn(folder);
    for (const Step& step : steps) {
        // Between two moves, never inside one.
        if (!ticker.tick(acted.done)) {
            acted.cancelled = true;
            return acted;
        }
        if (auto error = moves->move(step.from, step.to)) {
            acted.error = std::move(error);
            return acted;
        }
        if (record) {
            std::optional<platform::FileId> file = sources[acted.done];
            if (holdsSeparator(step.to)) file = fileSystem.probe(JoinPath(folder, step.to)).id;
            record->add(step.from, step.to, file);
        }
        ++acted.done;
    }
    ticker.report(acted.done);
    return acted;
}

} // namespace norvane::batch
