// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/entry.h"

#include <utility>

namespace norvane::journal {

std::uint64_t filesOf(const BatchLog& log) {
    const std::uint64_t made = log.ended.value_or(0);
    return made > log.givenUp.size() ? made - log.givenUp.size() : 0;
}

Entry entryOf(std::string name, const BatchLog& log, std::uint64_t bytes) {
    Entry entry;
    entry.name = std::move(name);
    entry.sequence = log.sequence;
    entry.createdAt = log.createdAt;
    entry.folder = log.folder;
    entry.what = log.what;
    entry.files = filesOf(log);
    entry.planned = log.stepCount;
    entry.bytes = bytes;
    entry.read = true;
    entry.ended = log.ended.has_value();
    entry.takenBackBy = log.takenBackBy;
    entry.folderIdentity = log.folderIdentity;
    entry.folderTrust = log.folderTrust;
    entry.volumeId = log.volumeId;
    return entry;
}

bool before(const Entry& a, const Entry& b) {
    if (a.sequence != b.sequence) return a.sequence < b.sequence;
    return a.name < b.name;
}

} // namespace norvane::journal
