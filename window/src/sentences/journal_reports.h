// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/session.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QWidget;

// What the box at start tells: which batches did not finish, how far each
// got and the ways to put them back; and which journal files could not be
// read and were set aside. Empty where there is nothing to tell.
struct JournalReport {
    QString text;
    // Some batch can be taken back now: the box offers it with its own default button.
    bool offersPutBack = false;
    std::vector<std::uint64_t> sequences; // the batches it puts back
};
JournalReport journalReport(const norvane::Journal::Opening& opening, const std::optional<std::string>& journalFolder);

// Shows the report; true when the user chose to put the renamed files back.
bool askAfterCrash(QWidget* parent, const JournalReport& report);

// The box when the journal cannot be read at all: `why` is what stood in the way.
QString journalUnreadable(const char* why);
