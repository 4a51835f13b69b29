// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/batch_act.h"

#include "batch/moves_recorded.h"
#include "batch/progress_ticker.h"

#include <utility>

namespace norvane::batch {

namespace {

Acted moveEach(platform::Folder& folder, const Steps& steps, MovesRecorded& recorded, const ProgressCallback& progress,
               const StepVouched& vouched) {
    Acted acted;
    ProgressTicker ticker(progress, BatchProgress::Stage::Moving, steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step step = steps[i];
        // Between two moves, never inside one.
        if (!ticker.tick(acted.done)) {
            acted.cancelled = true;
            return acted;
        }
        if (vouched && !vouched(i)) {
            acted.unvouched = true;
            return acted;
        }
        std::optional<platform::SystemError> error = folder.move(step.from, step.to);
        // Held open by another program: asked whether to try again, as Explorer asks.
        while (error && progress && platform::heldByAnotherProgram(*error)) {
            HeldFile held{step.from, step.to, folder.holdersOf(step.from), error->number, error->description};
            const bool goOn = progress(BatchProgress{BatchProgress::Stage::Held, acted.done, steps.size(), &held});
            if (!goOn || held.answer == HeldFile::Answer::Stop) {
                acted.cancelled = true;
                return acted;
            }
            if (held.answer != HeldFile::Answer::TryAgain) break;
            error = folder.move(step.from, step.to);
        }
        if (error) {
            acted.error = std::move(error);
            return acted;
        }
        recorded.moved(i);
        ++acted.done;
    }
    ticker.report(acted.done);
    return acted;
}

} // namespace

Acted act(platform::Folder& folder, Places& places, const Steps& steps, BatchRecord* record,
          const ProgressCallback& progress, const RecordGrew& grew, const StepVouched& vouched) {
    if (record) {
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const Step step = steps[i];
            bytes += step.from.size() + step.to.size();
        }
        record->reserve(record->size() + steps.size(), bytes);
    }
    MovesRecorded recorded(folder, places, steps, record, grew);
    const Acted acted = moveEach(folder, steps, recorded, progress, vouched);
    recorded.finish();
    return acted;
}

Acted act(platform::Folder& folder, const Steps& steps, BatchRecord* record, const ProgressCallback& progress,
          const StepVouched& vouched) {
    Places places(folder);
    return act(folder, places, steps, record, progress, {}, vouched);
}

} // namespace norvane::batch
