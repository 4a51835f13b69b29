// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/batch_writer.h"

#include "journal/batch_names.h"
#include "journal/entry.h"
#include "journal/held_batch.h"
#include "norvane/path.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace norvane::journal {

namespace {

// Bytes handed to the system at once.
constexpr std::size_t bytesPerWrite = 1 << 20;

std::int64_t systemNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace

BatchWriter::BatchWriter(Journal& journal, std::unique_ptr<platform::OwnFile> file, std::string path, Entry entry)
    : journal_(journal), file_(std::move(file)), path_(std::move(path)), entry_(std::move(entry)) {}

BatchWriter::~BatchWriter() = default;

std::variant<std::unique_ptr<BatchWriter>, platform::SystemError> BatchWriter::plan(Journal& journal, BatchLog header,
                                                                                     const PlannedStepAt& stepAt) {
    if (!journal.folder_)
        return platform::SystemError{0, {}, platform::SystemError::Reason::NoStateFolder};
    if (const auto problem = journal.folderProblem())
        return problem->error.value_or(platform::SystemError{0, {},
                                                             problem->why == Journal::FolderProblem::Why::NotOwned
                                                                 ? platform::SystemError::Reason::FolderNotOwned
                                                                 : platform::SystemError::Reason::OthersCanWrite});
    const std::string batches = JoinPath(*journal.folder_, batchesFolder);
    if (auto error = platform::makeFolders(batches)) return *error;
    header.createdAt = journal.clock_ ? journal.clock_() : systemNow();
    header.processId = platform::processId();

    // The sequence: past every batch file there and past the counter, which
    // one Norvane at a time holds; the file is made exclusively, so two that
    // meet at one number still get two.
    std::uint64_t next = 1;
    if (const auto listed = platform::fileNames(batches); std::holds_alternative<std::vector<std::string>>(listed))
        for (const std::string& name : std::get<std::vector<std::string>>(listed)) next = std::max(next, sequenceOfName(name) + 1);
    std::unique_ptr<platform::OwnFile> counter;
    const std::string counterPath = JoinPath(*journal.folder_, sequenceFile);
    for (int attempt = 0; attempt < 200 && !counter; ++attempt) {
        auto held = platform::OwnFile::hold(counterPath);
        if (auto* error = std::get_if<platform::SystemError>(&held)) {
            if (platform::errorKind(*error) == platform::ErrorKind::NotFound) held = platform::OwnFile::create(counterPath);
            else if (!platform::OwnFile::busy(*error)) break; // the names alone give the order
        }
        if (auto* file = std::get_if<std::unique_ptr<platform::OwnFile>>(&held)) counter = std::move(*file);
        else std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (counter) {
        // A number has at most 20 digits: a counter grown larger is not one, and is not read whole.
        char digits[sequenceDigits + 1] = {};
        if (const auto got = counter->readSome(0, digits, sizeof digits); std::holds_alternative<std::size_t>(got))
            next = std::max(next, parseNumber(std::string_view(digits, std::get<std::size_t>(got))).value_or(0));
    }

    std::unique_ptr<platform::OwnFile> file;
    std::string name, path;
    for (int attempt = 0; !file; ++attempt) {
        header.sequence = next + static_cast<std::uint64_t>(attempt);
        // Counted before the file is made: a kill in between skips a number, and never gives one twice.
        if (counter) {
            const std::optional<platform::SystemError> failed = counter->cut(0);
            if (!failed) counter->append(std::to_string(header.sequence + 1));
        }
        name = fileNameOf(header.sequence);
        path = JoinPath(batches, name);
        auto made = platform::OwnFile::create(path);
        if (auto* error = std::get_if<platform::SystemError>(&made)) {
            if (attempt < 64 && (platform::errorKind(*error) == platform::ErrorKind::Exists || platform::OwnFile::busy(*error))) continue;
            return *error;
        }
        file = std::move(std::get<std::unique_ptr<platform::OwnFile>>(made));
    }
    counter.reset(); // lost with a power cut at worst: the names still give the next number

    std::string buffer = beginRecord(header);
    std::uint64_t bytes = 0;
    std::optional<platform::SystemError> error;
    const auto flush = [&] {
        if (!error && !buffer.empty()) error = file->append(buffer);
        bytes += buffer.size();
        buffer.clear();
    };
    for (std::uint64_t first = 0; first < header.stepCount && !error; first += stepsPerRecord) {
        appendStepsRecord(buffer, first, std::min(stepsPerRecord, header.stepCount - first), stepAt);
        if (buffer.size() >= bytesPerWrite) flush();
    }
    buffer += plannedRecord(header.stepCount);
    flush();
    if (!error) error = file->sync();
    if (error) {
        file.reset();
        platform::removeOwnFile(path); // never durable: no move was made under it
        return *error;
    }
    Entry entry = entryOf(name, header, bytes);
    return std::unique_ptr<BatchWriter>(new BatchWriter(journal, std::move(file), std::move(path), std::move(entry)));
}

void BatchWriter::mark(const BatchRecord& made) {
    if (ended_ || made.size() <= marked_) return;
    std::string buffer;
    appendMovedRecord(buffer, marked_, made, marked_, made.size());
    // A mark that cannot be written costs the settle some looking, nothing more.
    const std::optional<platform::SystemError> failed = file_->append(buffer);
    if (!failed) entry_.bytes += buffer.size();
    else everyAppendWritten_ = false;
    marked_ = made.size();
}

void BatchWriter::end(const BatchRecord& made) {
    if (ended_) return;
    mark(made);
    ended_ = true;
    if (made.empty()) {
        file_.reset();
        platform::removeOwnFile(path_);
        return;
    }
    const std::string ended = endedRecord(made.size());
    const std::optional<platform::SystemError> failed = file_->append(ended);
    if (!failed) entry_.bytes += ended.size();
    file_.reset(); // let go: another Norvane may take it back now
    entry_.files = made.size();
    entry_.ended = true;
    // Stamped as written: the journal's next look reads it again only if it
    // changed since, not a large batch's whole file for what this one knows.
    if (!failed && everyAppendWritten_ && journal_.folder_) entry_.stamp = stampOf(*journal_.folder_, entry_.name);
    journal_.recordWritten(entry_);
}

} // namespace norvane::journal
