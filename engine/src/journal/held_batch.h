// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A kept batch's file as this process holds it: held, so that no other
// Norvane settles or takes it back meanwhile, read, and appended to.

#include "journal/batch_file.h"
#include "norvane/journal.h"
#include "norvane/platform.h"
#include "platform/own_files.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace norvane::journal {

struct Held {
    std::unique_ptr<platform::OwnFile> file;
    std::optional<BatchLog> log;
    ReadBatch read;                             // why there is no log, where there is none
    std::optional<platform::SystemError> error; // opening or reading it failed
    bool openFailed = false;
    bool busy = false; // another Norvane holds it
    bool gone = false; // not there (any more)
    bool tooLarge = false;
    std::uint64_t bytes = 0;
};

// The batch file `name` of the journal in `folder`, held and read, keeping
// as much as `keep` says.
Held holdAndRead(const std::string& folder, const std::string& name, Keep keep = Keep::Whole);
// Held only: to know whether another Norvane holds it, or to remove it.
Held holdOnly(const std::string& folder, const std::string& name);
// Reads a file held already, again, keeping every step: a summary read at
// start that finds a batch to settle reads it whole without letting it go.
void readWhole(Held& held, const std::string& folder, const std::string& name);

// Appends and makes durable; the first error is what counts.
std::optional<platform::SystemError> appendDurably(Held& held, const std::string& records);

// Lets the file go and removes it.
void removeBatch(Held& held, const std::string& folder, const std::string& name);

// A batch file's size and last write, as its folder tells them: a file that changed is read again.
std::optional<platform::FileStamp> stampOf(const std::string& folder, const std::string& name);

// A file that cannot be used goes where it is out of the way and kept.
Journal::SetAside setAside(const std::string& folder, const std::string& name, Journal::SetAside::Why why, std::uint64_t at = 0);

} // namespace norvane::journal
