// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/journal.h"

#include <QString>

#include <optional>
#include <string>

// The box at start after a crash: which batches did not finish, how far
// each got and that Ctrl+Z puts them back; and which journal files could not
// be read and were set aside. Empty where there is nothing to tell.
QString journalReport(const norvane::Journal::Opening& opening, const std::optional<std::string>& journalFolder);

// Why an undo tried nothing, as a sentence naming the batch's folder.
QString undoRefusal(const norvane::Journal::UndoResult& result);
