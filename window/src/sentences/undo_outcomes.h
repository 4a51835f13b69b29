// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the window says about taking a batch back: the menu item, its
// preview, and the box after an undo. Every one names the batch's folder.

#include "norvane/session.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace undo_text {

// The folder as a menu shows it: its own name, or the whole path for a root.
QString shortFolder(const std::string& folder);

// "Undo Rename (3 files in Pictures)"; plain "Undo Rename" with nothing to take back.
QString menuItem(const std::string& folder, std::uint64_t files);
// What taking the batch back would do, for the item's tooltip.
QString preview(const std::string& what, const std::string& folder, std::uint64_t files);
// The box after an undo: how many files of which folder got their names back, which did not and why.
QString outcome(const norvane::UndoOutcome& outcome);

// Why a kept batch cannot be taken back now, to follow "cannot be taken back now: "; empty for one that can.
QString whyNot(const norvane::Journal::Batch& batch);
// What the history says of a batch: "yes", or "no: " and why not.
QString canGoBack(const norvane::Journal::Batch& batch);
// Ctrl+Z on a latest batch that is not ready: which batch waits for which folder, and why.
QString latestWaits(const norvane::Journal::Batch& batch);
// Ctrl+Z in the file list with nothing left to take back.
QString nothingToTakeBack();
// What Ctrl+Z in the file list would take back now, for Ctrl+Z in a text field with no typing of its own to take back.
QString inFileList(const std::optional<norvane::Journal::Batch>& latest);
// The box after an undo, taken back or refused.
QString result(const norvane::TakeBackResult& result);
// The batch's start, in the user's own way of writing date and time.
QString when(std::int64_t startedAt);

} // namespace undo_text
