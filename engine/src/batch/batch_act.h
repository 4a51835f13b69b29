// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The act of a batch: its checked steps, moved in order through the folder
// the check read, each recorded as it is made.

#include "batch/check/batch_check.h"
#include "batch/moves_recorded.h"
#include "norvane/batch_record.h"
#include "norvane/progress.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace norvane::batch {

struct Acted {
    std::size_t done = 0;                       // the steps moved, all before the one that stopped the act
    std::optional<platform::SystemError> error; // why step `done` was refused, if one was
    bool cancelled = false;                     // the progress callback asked to stop before step `done`,
                                                // or to stop at it, held open by another program
    bool unvouched = false;                     // step `done` was not vouched for: nothing was tried at it
};

// Whether step i may move now: told just before its move (see undo).
using StepVouched = std::function<bool(std::size_t step)>;

// Each move made is added to `record`, where there is one, with the file as
// the system shows it at its new name after the move (a file system may
// number a file afresh when it renames it, and a move across file systems
// makes a new one): looked at right after it, or, in a large batch, a piece
// of moves behind on a second thread. The record is whole when act returns.
// `places` is the one the check filled. `grew`, where given, is told as the
// record grows (see RecordGrew). `vouched`, where given, is asked before each
// move; a step it does not vouch for stops the act there.
Acted act(platform::Folder& folder, Places& places, const Steps& steps, BatchRecord* record,
          const ProgressCallback& progress = {}, const RecordGrew& grew = {}, const StepVouched& vouched = {});
Acted act(platform::Folder& folder, const Steps& steps, BatchRecord* record, const ProgressCallback& progress = {},
          const StepVouched& vouched = {});

} // namespace norvane::batch
