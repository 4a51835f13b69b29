// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/held_batch.h"

#include "journal/batch_names.h"
#include "journal/folder_facts.h"
#include "norvane/path.h"

#include <new>

namespace norvane::journal {

namespace {

// Past any batch: a million files take about 50 MB. A file this large is not read.
constexpr std::uint64_t largestFile = std::uint64_t{4} << 30;

// Keeps a copy of a damaged file in the set-aside folder before it is cut to what can be read.
void keepCopy(const std::string& folder, const std::string& name, Bytes& bytes) {
    const std::string aside = JoinPath(folder, setAsideFolder);
    if (const auto failed = platform::makeFolders(aside)) return;
    auto made = platform::OwnFile::create(JoinPath(aside, name + ".damaged"));
    auto* copy = std::get_if<std::unique_ptr<platform::OwnFile>>(&made);
    if (!copy) return;
    constexpr std::size_t piece = 1 << 20;
    for (std::uint64_t at = 0; at < bytes.size(); at += piece)
        if (const auto failed = (*copy)->append(bytes.at(at, piece))) return;
    (*copy)->sync();
}

} // namespace

Journal::SetAside setAside(const std::string& folder, const std::string& name, Journal::SetAside::Why why, std::uint64_t at) {
    const std::string aside = JoinPath(folder, setAsideFolder);
    Journal::SetAside result{why, name, std::nullopt, at, false};
    if (auto error = platform::makeFolders(aside)) result.error = error;
    else if (auto moved = platform::renameOwnFile(batchPath(folder, name), JoinPath(aside, name))) result.error = moved;
    result.left = result.error.has_value();
    return result;
}

std::optional<platform::FileStamp> stampOf(const std::string& folder, const std::string& name) {
    const platform::PathProbe probe = platform::nativeFileSystem().openFolder(JoinPath(folder, "batches"))->probe(name);
    if (probe.kind != platform::PathKind::File || !probe.identity) return std::nullopt;
    return probe.identity->stamp;
}

Held holdOnly(const std::string& folder, const std::string& name) {
    Held held;
    auto holding = platform::OwnFile::hold(batchPath(folder, name));
    if (auto* error = std::get_if<platform::SystemError>(&holding)) {
        held.busy = platform::OwnFile::busy(*error);
        held.gone = platform::errorKind(*error) == platform::ErrorKind::NotFound;
        // Anything else (too many open files, say) passes: the file is left as it is.
        if (!held.busy && !held.gone) {
            held.openFailed = true;
            held.error = *error;
        }
        return held;
    }
    held.file = std::move(std::get<std::unique_ptr<platform::OwnFile>>(holding));
    return held;
}

namespace {

void readHeld(Held& held, const std::string& folder, const std::string& name, Keep keep) {
    held.read = ReadBatch{};
    held.log.reset();
    held.error.reset();
    held.tooLarge = false;
    // Past any batch's size it is not read at all: reading it could not end well.
    if (const auto stamp = stampOf(folder, name); stamp && stamp->size > largestFile) {
        held.bytes = stamp->size;
        held.tooLarge = true;
        return;
    }
    OwnFileBytes bytes(*held.file);
    held.bytes = bytes.size();
    if (bytes.size() > largestFile) {
        held.tooLarge = true;
        return;
    }
    try {
        held.read = readBatch(bytes, keep);
    } catch (const std::bad_alloc&) {
        // A plan too large for this machine's memory: left where it is, for one that has more.
        held.error = platform::SystemError{0, {}, platform::SystemError::Reason::NotEnoughMemory};
        return;
    }
    if (bytes.failed()) {
        held.error = bytes.error();
        held.read.log.reset();
        return;
    }
    if (held.read.log && held.read.damaged) {
        // What follows the damage cannot be read: kept aside, and appends go after what can.
        keepCopy(folder, name, bytes);
        const std::optional<platform::SystemError> failed = held.file->cut(held.read.validBytes);
        if (!failed) held.bytes = held.read.validBytes;
    } else if (held.read.log && held.read.validBytes < bytes.size()) {
        // A write a crash cut short goes, so that what is appended next follows whole records.
        const std::optional<platform::SystemError> failed = held.file->cut(held.read.validBytes);
        if (!failed) held.bytes = held.read.validBytes;
    }
    held.log = std::move(held.read.log);
}

} // namespace

void readWhole(Held& held, const std::string& folder, const std::string& name) {
    // The first read cut off any damage it found (a copy kept aside): the
    // file is whole now, but what the damage took is still to be told.
    const ReadBatch first = std::move(held.read);
    readHeld(held, folder, name, Keep::Whole);
    if (first.damaged && held.log && !held.read.damaged) {
        held.read.damaged = true;
        held.read.damagedAt = first.damagedAt;
        held.read.fault = first.fault;
    }
}

Held holdAndRead(const std::string& folder, const std::string& name, Keep keep) {
    Held held = holdOnly(folder, name);
    if (held.file) readHeld(held, folder, name, keep);
    return held;
}

std::optional<platform::SystemError> appendDurably(Held& held, const std::string& records) {
    if (auto error = held.file->append(records)) return error;
    held.bytes += records.size();
    return held.file->sync();
}

void removeBatch(Held& held, const std::string& folder, const std::string& name) {
    held.file.reset();
    platform::removeOwnFile(batchPath(folder, name));
}

} // namespace norvane::journal
