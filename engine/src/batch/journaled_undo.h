// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Undo with a word for the journal: told after the check, before the first
// move, so that the journal knows who may park files and in which order the
// files go back; an error there keeps the undo from moving anything.

#include "norvane/undo.h"

#include <functional>
#include <optional>

namespace norvane::batch {

using BeforeFirstMove = std::function<std::optional<platform::SystemError>(UndoOrder order)>;

// `oldNames`: what a look made just before found at the record's old names; or empty.
// `movedBack`: told of the moves made, once they are.
// `mayGoAsMade`: whether the journal can record an undo in the batch's order.
UndoOutcome undo(const BatchRecord& record, platform::FileSystem& fileSystem, const ProgressCallback& progress,
                 const BeforeFirstMove& beforeFirstMove, const OldNamesSeen& oldNames = {},
                 const TellMovedBack& movedBack = {}, bool mayGoAsMade = false);

} // namespace norvane::batch
