// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the window says of a run: why it stopped and how many files it
// renamed, what a button would do now, and the word that it is done.

#include "norvane/session.h"
#include "norvane/rename_run.h"

#include <QString>

#include <cstddef>

namespace sentences {

// The box after a run that stopped: the file, its position, its new name, why, and how many were renamed.
QString renameFailure(const norvane::RenameFailure& failure);
// Why one file cannot get its new name, to follow "cannot rename ...: ".
QString failureReason(const norvane::RenameFailure& failure);
// What a button would do now: the counts and the first renames, or why it would stop.
// Each "old -> new" line keeps both names in their own order in a window laid
// out `direction`: a right-to-left name would otherwise carry the arrow and the
// next name along with it.
QString preview(const norvane::Preview& preview, Qt::LayoutDirection direction);
// What a screen reader hears once a batch that shows no box is done.
QString renamedFiles(std::size_t files);

} // namespace sentences
