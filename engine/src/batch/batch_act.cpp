#include "batch/batch_act.h"

#include "batch/progress_ticker.h"

#include <string>
#include <unordered_map>

namespace norvane::batch {

namespace {

// How far the numbers hold where each new name lies, asked once a folder.
class TrustOfPlaces {
public:
    explicit TrustOfPlaces(platform::Folder& folder) : folder_(folder) {}

    platform::IdentityTrust of(std::string_view name) {
        if (!holdsSeparator(name)) return folder_.about().trust;
        const std::string_view relative = name.substr(0, name.find_last_of(std::string{platform::directorySeparator(), '/'}));
        const auto known = folders_.find(std::string(relative));
        if (known != folders_.end()) return known->second;
        const platform::FolderProbe probe = folder_.probeFolder(relative);
        const platform::IdentityTrust trust = probe.isFolder ? probe.trust : platform::IdentityTrust::Unstable;
        return folders_.emplace(std::string(relative), trust).first->second;
    }

private:
    platform::Folder& folder_;
    std::unordered_map<std::string, platform::IdentityTrust> folders_;
};

} // namespace

Acted act(platform::Folder& folder, const std::vector<Step>& steps, BatchRecord* record, const ProgressCallback& progress) {
    Acted acted;
    if (record) {
        std::size_t bytes = 0;
        for (const Step& step : steps) bytes += step.from.size() + step.to.size();
        record->reserve(record->size() + steps.size(), bytes);
    }
    TrustOfPlaces trust(folder);
    ProgressTicker ticker(progress, BatchProgress::Stage::Moving, steps.size());
    for (const Step& step : steps) {
        // Between two moves, never inside one.
        if (!ticker.tick(acted.done)) {
            acted.cancelled = true;
            return acted;
        }
        if (auto error = folder.move(step.from, step.to)) {
            acted.error = std::move(error);
            return acted;
        }
        if (record) record->add(step.from, step.to, folder.probe(step.to).identity, trust.of(step.to));
        ++acted.done;
    }
    ticker.report(acted.done);
    return acted;
}

} // namespace norvane::batch
