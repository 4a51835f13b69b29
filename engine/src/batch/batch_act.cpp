// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/batch_act.h"

#include "batch/progress_ticker.h"
#include "batch/trust_of_places.h"

namespace norvane::batch {


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
