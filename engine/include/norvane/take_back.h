// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Taking a kept batch back: the journal says what is still to take back and
// records the undo's start and end; between the two the batch layer's undo
// checks and moves the files, as a batch like any other.

#include "norvane/journal.h"
#include "norvane/platform.h"
#include "norvane/progress.h"
#include "norvane/undo.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace norvane {

struct TakeBackResult {
    std::uint64_t sequence = 0;
    std::string folder; // the batch's, where known
    std::optional<UndoOutcome> outcome;
    std::optional<Journal::Refusal> refusal;
};

// Takes back the batch `sequence` (any kept batch), journaled as a batch is:
// a crash meanwhile is settled at the next start. What cannot go back stays
// where it is; what was not reached waits for the next undo. `listed`: a
// list's kept read of the folder, for the journal's look before the undo;
// it is ended before the first file moves back. `movedBack`: told of the
// moves made, before the journal records the undo's end.
TakeBackResult takeBack(Journal& journal, std::uint64_t sequence, platform::FileSystem& fileSystem,
                        const ProgressCallback& progress = {}, std::shared_ptr<platform::KeptReading> listed = {},
                        const TellMovedBack& movedBack = {});
// takeBack() of the journal's latest(); no batch is no refusal and no outcome.
TakeBackResult takeBackLatest(Journal& journal, platform::FileSystem& fileSystem, const ProgressCallback& progress = {});

} // namespace norvane
