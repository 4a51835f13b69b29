// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/journal.h"

#include "batch/journaled_undo.h"
#include "batch/same_file.h"
#include "journal/batch_writer.h"
#include "journal/settle.h"
#include "norvane/path.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <unordered_map>

namespace norvane {

namespace journal {

namespace {

constexpr std::string_view batchesFolder = "batches";
constexpr std::string_view setAsideFolder = "set-aside";
constexpr std::string_view suffix = ".norvane-batch";

// Bytes handed to the system at once.
constexpr std::size_t bytesPerWrite = 1 << 20;

std::int64_t now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Names that sort as the batches were made: the time, then the process.
std::string fileNameOf(std::int64_t createdAt, std::uint32_t processId) {
    std::string time = std::to_string(createdAt);
    time.insert(0, time.size() < 20 ? 20 - time.size() : 0, '0');
    return time + "-" + std::to_string(processId) + std::string(suffix);
}

bool isBatchFile(std::string_view name) {
    return name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

template <typename T>
std::optional<platform::SystemError> errorIn(const std::variant<T, platform::SystemError>& result) {
    if (const auto* error = std::get_if<platform::SystemError>(&result)) return *error;
    return std::nullopt;
}

std::uint64_t filesOf(const BatchLog& log) {
    const std::uint64_t made = log.ended.value_or(0);
    return made > log.givenUp.size() ? made - log.givenUp.size() : 0;
}

Entry entryOf(std::string name, const BatchLog& log, std::uint64_t bytes) {
    return Entry{std::move(name), log.createdAt, log.folder, log.what, filesOf(log), bytes};
}

} // namespace

BatchWriter::BatchWriter(Journal& journal, std::unique_ptr<platform::OwnFile> file, std::string path, Entry entry)
    : journal_(journal), file_(std::move(file)), path_(std::move(path)), entry_(std::move(entry)) {}

BatchWriter::~BatchWriter() = default;

std::variant<std::unique_ptr<BatchWriter>, platform::SystemError> BatchWriter::plan(Journal& journal, BatchLog header,
                                                                                     const PlannedStepAt& stepAt) {
    if (!journal.folder_)
        return platform::SystemError{0, "there is no folder for it: neither XDG_STATE_HOME nor HOME names one"};
    const std::string batches = JoinPath(*journal.folder_, batchesFolder);
    if (auto error = platform::makeFolders(batches)) return *error;
    header.createdAt = now();
    header.processId = platform::processId();

    // Made exclusively: a name taken by another Norvane at the same instant is passed over.
    std::unique_ptr<platform::OwnFile> file;
    std::string name, path;
    for (int attempt = 0; !file; ++attempt) {
        name = fileNameOf(header.createdAt + attempt, header.processId);
        path = JoinPath(batches, name);
        auto made = platform::OwnFile::create(path);
        if (auto* error = std::get_if<platform::SystemError>(&made)) {
            if (attempt < 16 && platform::errorKind(*error) == platform::ErrorKind::Exists) continue;
            return *error;
        }
        file = std::move(std::get<std::unique_ptr<platform::OwnFile>>(made));
    }

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
    if (!file_->append(buffer)) entry_.bytes += buffer.size();
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
    if (!file_->append(ended)) entry_.bytes += ended.size();
    file_.reset(); // let go: another Norvane may take it back now
    entry_.files = made.size();
    journal_.recordWritten(entry_);
}

} // namespace journal

using journal::BatchLog;
using journal::Entry;

Journal::Journal(std::optional<std::string> folder) : folder_(std::move(folder)) {}

Journal::~Journal() = default;

std::optional<std::string> Journal::defaultFolder() { return platform::stateFolder(); }

namespace {

std::string batchPath(const std::string& folder, const std::string& name) { return JoinPath(JoinPath(folder, "batches"), name); }

// A file that cannot be read goes where it is out of the way and kept.
Journal::SetAside setAside(const std::string& folder, const std::string& name, std::string reason) {
    const std::string aside = JoinPath(folder, "set-aside");
    if (!platform::makeFolders(aside))
        platform::renameOwnFile(batchPath(folder, name), JoinPath(aside, name));
    return Journal::SetAside{name, std::move(reason)};
}

struct Held {
    std::unique_ptr<platform::OwnFile> file;
    std::optional<BatchLog> log;
    std::string fault;      // why it cannot be read, where it cannot
    bool busy = false;      // another Norvane holds it
    std::uint64_t bytes = 0;
};

Held holdAndRead(const std::string& path) {
    Held held;
    auto holding = platform::OwnFile::hold(path);
    if (auto* error = std::get_if<platform::SystemError>(&holding)) {
        held.busy = platform::OwnFile::busy(*error);
        if (!held.busy && platform::errorKind(*error) != platform::ErrorKind::NotFound)
            held.fault = "it cannot be opened (error " + std::to_string(error->number) + ": " + error->description + ")";
        return held;
    }
    held.file = std::move(std::get<std::unique_ptr<platform::OwnFile>>(holding));
    auto bytes = held.file->read();
    if (auto* error = std::get_if<platform::SystemError>(&bytes)) {
        held.fault = "it cannot be read (error " + std::to_string(error->number) + ": " + error->description + ")";
        return held;
    }
    const std::string& text = std::get<std::string>(bytes);
    held.bytes = text.size();
    journal::ReadBatch read = journal::readBatch(text);
    if (!read.log) held.fault = read.fault;
    // A write a crash cut short goes, so that what is appended next follows whole records.
    if (read.log && read.validBytes < text.size() && !held.file->cut(read.validBytes)) held.bytes = read.validBytes;
    held.log = std::move(read.log);
    return held;
}

// Names begin with the batch's time: their order is the batches'.
void sortByName(std::vector<Entry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
}

// A batch whose plan never became whole moved nothing: moves begin only after it is durable.
bool neverStarted(const BatchLog& log) { return !log.planned; }

// A batch that stopped without an end gets one: how many steps it made, read
// from its folder, and where the crash left a file parked. Later undos start
// from that, whatever they move back.
std::uint64_t settle(BatchLog& log, Held& held, platform::Folder& folder, platform::FileSystem& fileSystem) {
    std::map<std::uint64_t, std::string> parked;
    const std::uint64_t made = journal::stepsMade(log, folder, fileSystem, parked);
    std::string settled;
    for (const auto& [step, where] : parked) settled += journal::parkedRecord(step, where);
    settled += journal::endedRecord(made);
    if (!held.file->append(settled)) {
        held.bytes += settled.size();
        held.file->sync();
    }
    log.ended = made;
    log.parked.insert(parked.begin(), parked.end());
    return made;
}

} // namespace

void Journal::recordWritten(const Entry& entry) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& known) { return known.name == entry.name; }),
                   entries_.end());
    entries_.push_back(entry);
    sortByName(entries_);
    keepWithinBounds();
}

// The batches on disk, as far as this process can see them: files another
// Norvane holds are counted when it lets them go.
void Journal::refresh() {
    if (!folder_) return;
    const auto listed = platform::fileNames(JoinPath(*folder_, "batches"));
    if (std::holds_alternative<platform::SystemError>(listed)) {
        entries_.clear();
        return;
    }
    std::vector<Entry> now;
    for (const std::string& name : std::get<std::vector<std::string>>(listed)) {
        if (!journal::isBatchFile(name)) continue;
        const auto known = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.name == name; });
        if (known != entries_.end()) {
            now.push_back(*known);
            continue;
        }
        Held held = holdAndRead(batchPath(*folder_, name));
        if (held.log && held.log->ended) now.push_back(journal::entryOf(name, *held.log, held.bytes));
    }
    sortByName(now);
    entries_ = std::move(now);
}

void Journal::keepWithinBounds() {
    if (!folder_) return;
    std::uint64_t bytes = 0;
    for (const Entry& entry : entries_) bytes += entry.bytes;
    // Oldest first; the latest stays however large it is.
    while (entries_.size() > 1 && (entries_.size() > batchesKept || bytes > bytesKept)) {
        const Entry oldest = entries_.front();
        entries_.erase(entries_.begin());
        bytes -= oldest.bytes;
        Held held = holdAndRead(batchPath(*folder_, oldest.name));
        if (held.busy) continue; // another Norvane is taking it back: it decides
        held.file.reset();
        platform::removeOwnFile(batchPath(*folder_, oldest.name));
    }
}

Journal::Opening Journal::open(platform::FileSystem& fileSystem) {
    Opening opening;
    if (!folder_) return opening;
    const auto listed = platform::fileNames(JoinPath(*folder_, "batches"));
    if (const auto* error = std::get_if<platform::SystemError>(&listed)) {
        if (platform::errorKind(*error) != platform::ErrorKind::NotFound)
            opening.setAside.push_back({JoinPath(*folder_, "batches"), "it cannot be read (error " + std::to_string(error->number) +
                                                                          ": " + error->description + ")"});
        return opening;
    }
    std::vector<Entry> kept;
    for (const std::string& name : std::get<std::vector<std::string>>(listed)) {
        if (!journal::isBatchFile(name)) continue;
        const std::string path = batchPath(*folder_, name);
        Held held = holdAndRead(path);
        if (held.busy) continue;
        if (!held.log) {
            if (!held.fault.empty()) opening.setAside.push_back(setAside(*folder_, name, held.fault));
            continue;
        }
        BatchLog& log = *held.log;
        if (neverStarted(log)) {
            held.file.reset();
            platform::removeOwnFile(path);
            continue;
        }
        if (!log.ended) {
            const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
            const platform::FolderProbe& about = folder->about();
            if (!about.isFolder ||
                batch::sameFolder(log.folderIdentity, log.folderTrust, about.identity, about.trust) == batch::Sameness::Other) {
                // Its card is not in, say: settled when it is back and an undo asks for it.
                opening.interrupted.push_back({log.folder, log.what, 0, log.stepCount});
                continue;
            }
            const std::uint64_t made = settle(log, held, *folder, fileSystem);
            if (made == 0) {
                held.file.reset();
                platform::removeOwnFile(path);
                continue;
            }
            opening.interrupted.push_back({log.folder, log.what, made, log.stepCount});
        }
        // Known from this read: a journal of large batches is read once at start, not twice.
        kept.push_back(journal::entryOf(name, log, held.bytes));
    }
    sortByName(kept);
    entries_ = std::move(kept);
    keepWithinBounds();
    return opening;
}

std::optional<Journal::Latest> Journal::latest() {
    refresh();
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry)
        if (entry->files > 0) return Latest{entry->folder, entry->what, entry->files};
    return std::nullopt;
}

Journal::UndoResult Journal::undoLatest(platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    UndoResult result;
    refresh();
    while (!entries_.empty()) {
        const Entry entry = entries_.back();
        const std::string path = batchPath(*folder_, entry.name);
        Held held = holdAndRead(path);
        if (held.busy) {
            result.refusal = "Another Norvane window is working on the latest batch (in \"" + entry.folder + "\"); try again when it is done.";
            return result;
        }
        entries_.pop_back();
        if (!held.log) {
            if (held.fault.empty()) continue; // gone meanwhile: another Norvane took it back
            const SetAside aside = setAside(*folder_, entry.name, held.fault);
            result.refusal = "The latest batch (in \"" + entry.folder + "\") cannot be taken back: its journal file \"" + aside.file +
                             "\" " + aside.reason + ". It was set aside in the journal's folder \"" + *folder_ + "\".";
            return result;
        }
        BatchLog& log = *held.log;
        const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
        if (!folder->about().isFolder) {
            // A card that is not in: nothing is given up, the batch waits for it.
            entries_.push_back(entry);
            const platform::SystemError error = folder->about().error.value_or(platform::SystemError{});
            result.refusal = "The latest batch renamed files in \"" + log.folder + "\", which cannot be reached now (error " +
                             std::to_string(error.number) + ": " + error.description + "). Ctrl+Z tries again once it is back.";
            return result;
        }
        if (!log.ended) settle(log, held, *folder, fileSystem);
        journal::Renamed renamed = journal::whatIsRenamed(log, *folder, fileSystem);
        if (renamed.record.empty()) {
            held.file.reset();
            platform::removeOwnFile(path);
            continue;
        }
        UndoOutcome outcome = batch::undo(renamed.record, fileSystem, progress, [&]() -> std::optional<platform::SystemError> {
            std::string began = journal::undoBeganRecord(platform::processId());
            for (const auto& [step, where] : renamed.parked) began += journal::parkedRecord(step, where);
            if (auto error = held.file->append(began)) return error;
            return held.file->sync();
        });
        // Files left alone are not offered again; those not reached yet stay for the next undo.
        std::vector<std::uint64_t> givenUp;
        if (!outcome.leftAlone.empty()) {
            std::unordered_map<std::string_view, std::uint64_t> stepByOldName;
            for (std::size_t i = 0; i < renamed.record.size(); ++i) stepByOldName.emplace(renamed.record.from(i), renamed.stepOf[i]);
            for (const UndoProblem& problem : outcome.leftAlone) givenUp.push_back(stepByOldName.at(problem.oldName));
        }
        const bool nothingLeft = !outcome.notJournaled && !outcome.folderReplaced && outcome.remaining.empty();
        if (nothingLeft) {
            held.file.reset();
            platform::removeOwnFile(path);
        } else {
            if (!givenUp.empty()) held.file->append(journal::givenUpRecord(givenUp));
            Entry kept = entry;
            kept.files = renamed.record.size() - outcome.restored - givenUp.size();
            entries_.push_back(kept);
        }
        result.outcome = std::move(outcome);
        return result;
    }
    return result;
}

} // namespace norvane
