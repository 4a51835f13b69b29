#include "batch_act.h"

namespace norvane::batch {

Acted act(const std::string& folder, const std::vector<Step>& steps,
          const std::vector<std::optional<platform::FileId>>& sources, platform::FileSystem& fileSystem,
          BatchRecord& record) {
    Acted acted;
    record.folder = folder;
    record.moves.reserve(record.moves.size() + steps.size());
    for (const Step& step : steps) {
        std::string destination = JoinPath(folder, step.to);
        if (auto error = fileSystem.move(JoinPath(folder, step.from), destination)) {
            acted.error = std::move(error);
            return acted;
        }
        std::optional<platform::FileId> file = sources[acted.done];
        if (holdsSeparator(step.to)) file = fileSystem.probe(destination).id;
        record.moves.push_back({std::string(step.from), std::string(step.to), file});
        ++acted.done;
    }
    return acted;
}

} // namespace norvane::batch
