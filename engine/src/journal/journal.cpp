// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/journal.h"

#include "batch/journaled_undo.h"
#include "identity/same_file.h"
#include "journal/batch_writer.h"
#include "journal/folder_facts.h"
#include "journal/settle.h"
#include "norvane/path.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <new>
#include <set>
#include <thread>
#include <unordered_map>

namespace norvane {

namespace journal {

namespace {

constexpr std::string_view batchesFolder = "batches";
constexpr std::string_view setAsideFolder = "set-aside";
constexpr std::string_view suffix = ".norvane-batch";
// The next sequence, so that a number is never given twice even after the latest batch is gone.
constexpr std::string_view sequenceFile = "sequence";
constexpr std::size_t sequenceDigits = 20;

// Bytes handed to the system at once.
constexpr std::size_t bytesPerWrite = 1 << 20;

std::int64_t systemNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Names that sort as the batches' sequence: a clock that steps back changes nothing of their order.
std::string fileNameOf(std::uint64_t sequence) {
    std::string number = std::to_string(sequence);
    number.insert(0, number.size() < sequenceDigits ? sequenceDigits - number.size() : 0, '0');
    return number + std::string(suffix);
}

bool isBatchFile(std::string_view name) {
    return name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

// The sequence a name of format 2 carries; 0 for the time-and-process names of format 1.
std::uint64_t sequenceOfName(std::string_view name) {
    if (name.size() != sequenceDigits + suffix.size() || !isBatchFile(name)) return 0;
    std::uint64_t sequence = 0;
    for (const char c : name.substr(0, sequenceDigits)) {
        if (c < '0' || c > '9') return 0;
        sequence = sequence * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return sequence;
}

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

std::optional<std::uint64_t> parseNumber(std::string_view text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
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
        if (counter && !counter->cut(0)) counter->append(std::to_string(header.sequence + 1));
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
    entry_.ended = true;
    journal_.recordWritten(entry_);
}

} // namespace journal

using journal::BatchLog;
using journal::Entry;
using State = Journal::Batch::State;
using RefusalKind = Journal::Refusal::Kind;

Journal::Journal(std::optional<std::string> folder) : folder_(std::move(folder)) {}

Journal::~Journal() = default;

std::optional<std::string> Journal::defaultFolder() { return platform::stateFolder(); }

namespace {

// Past any batch: a million files take about 60 MB. A file this large is not read.
constexpr std::uint64_t largestFile = std::uint64_t{4} << 30;

std::string batchPath(const std::string& folder, const std::string& name) { return JoinPath(JoinPath(folder, "batches"), name); }

// A file that cannot be used goes where it is out of the way and kept.
Journal::SetAside setAside(const std::string& folder, const std::string& name, Journal::SetAside::Why why, std::uint64_t at = 0) {
    const std::string aside = JoinPath(folder, journal::setAsideFolder);
    Journal::SetAside result{why, name, std::nullopt, at, false};
    if (auto error = platform::makeFolders(aside)) result.error = error;
    else if (auto moved = platform::renameOwnFile(batchPath(folder, name), JoinPath(aside, name))) result.error = moved;
    result.left = result.error.has_value();
    return result;
}

struct Held {
    std::unique_ptr<platform::OwnFile> file;
    std::optional<BatchLog> log;
    journal::ReadBatch read;                    // why there is no log, where there is none
    std::optional<platform::SystemError> error; // opening or reading it failed
    bool openFailed = false;
    bool busy = false; // another Norvane holds it
    bool gone = false; // not there (any more)
    bool tooLarge = false;
    std::uint64_t bytes = 0;
};

// Keeps a copy of a damaged file in the set-aside folder before it is cut to what can be read.
void keepCopy(const std::string& folder, const std::string& name, journal::Bytes& bytes) {
    const std::string aside = JoinPath(folder, journal::setAsideFolder);
    if (platform::makeFolders(aside)) return;
    auto made = platform::OwnFile::create(JoinPath(aside, name + ".damaged"));
    auto* copy = std::get_if<std::unique_ptr<platform::OwnFile>>(&made);
    if (!copy) return;
    constexpr std::size_t piece = 1 << 20;
    for (std::uint64_t at = 0; at < bytes.size(); at += piece)
        if ((*copy)->append(bytes.at(at, piece))) return;
    (*copy)->sync();
}

// A batch file's size and last write, as its folder tells them: a file that changed is read again.
std::optional<platform::FileStamp> stampOf(const std::string& folder, const std::string& name) {
    const platform::PathProbe probe = platform::nativeFileSystem().openFolder(JoinPath(folder, "batches"))->probe(name);
    if (probe.kind != platform::PathKind::File || !probe.identity) return std::nullopt;
    return probe.identity->stamp;
}

// `read` false: held only, to know whether another Norvane holds it.
Held holdAndRead(const std::string& folder, const std::string& name, bool read = true) {
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
    if (!read) return held;
    // Past any batch's size it is not read at all: reading it could not end well.
    if (const auto stamp = stampOf(folder, name); stamp && stamp->size > largestFile) {
        held.bytes = stamp->size;
        held.tooLarge = true;
        return held;
    }
    journal::OwnFileBytes bytes(*held.file);
    held.bytes = bytes.size();
    if (bytes.size() > largestFile) {
        held.tooLarge = true;
        return held;
    }
    try {
        held.read = journal::readBatch(bytes);
    } catch (const std::bad_alloc&) {
        // A plan too large for this machine's memory: left where it is, for one that has more.
        held.error = platform::SystemError{0, {}, platform::SystemError::Reason::NotEnoughMemory};
        return held;
    }
    if (bytes.failed()) {
        held.error = bytes.error();
        held.read.log.reset();
        return held;
    }
    if (held.read.log && held.read.damaged) {
        // What follows the damage cannot be read: kept aside, and appends go after what can.
        keepCopy(folder, name, bytes);
        if (!held.file->cut(held.read.validBytes)) held.bytes = held.read.validBytes;
    } else if (held.read.log && held.read.validBytes < bytes.size() && !held.file->cut(held.read.validBytes)) {
        // A write a crash cut short goes, so that what is appended next follows whole records.
        held.bytes = held.read.validBytes;
    }
    held.log = std::move(held.read.log);
    return held;
}

// Appends and makes durable; the first error is what counts.
std::optional<platform::SystemError> appendDurably(Held& held, const std::string& records) {
    if (auto error = held.file->append(records)) return error;
    held.bytes += records.size();
    return held.file->sync();
}

void removeBatch(Held& held, const std::string& folder, const std::string& name) {
    held.file.reset();
    platform::removeOwnFile(batchPath(folder, name));
}

enum class FolderState { Here, Away, Other };

// Whether the batch's folder is there and is the batch's: its number and
// birth where they tell, and its volume's own name (another card at the same
// path has another).
FolderState folderState(const platform::FolderProbe& about, const platform::FileIdentity& identity, platform::IdentityTrust trust,
                        const std::optional<std::string>& volumeId, const std::function<std::optional<std::string>()>& volumeNow) {
    if (!about.isFolder) return FolderState::Away;
    if (batch::sameFolder(identity, trust, about.identity, about.trust) == batch::Sameness::Other) return FolderState::Other;
    // A folder made again in a freed number is born anew. Only where the
    // birth is the folder's own: Windows under Wine gives its last change.
    if (platform::directorySeparator() == '/' && identity.born && about.identity.born && *identity.born != *about.identity.born)
        return FolderState::Other;
    if (volumeId) {
        const std::optional<std::string> now = volumeNow();
        if (now != volumeId) return FolderState::Other; // another card, or one whose name cannot be read now
    }
    return FolderState::Here;
}

State stateOfFolder(FolderState state) {
    return state == FolderState::Away ? State::FolderAway : state == FolderState::Other ? State::OtherFolder : State::Ready;
}

// A batch that stopped without an end gets one: how far it got, read from its
// folder, and where the crash left a file parked. Later undos start from that.
struct SettledBatch {
    journal::Settled settled;
    std::optional<platform::SystemError> error; // its end could not be made durable
};
SettledBatch settle(BatchLog& log, Held& held, platform::Folder& folder, platform::FileSystem& fileSystem) {
    SettledBatch result;
    result.settled = journal::settleSteps(log, folder, fileSystem);
    if (result.settled.nothingFound) return result; // perhaps another card: nothing is decided
    std::string records;
    for (const auto& [step, where] : result.settled.parked) records += journal::parkedRecord(step, where);
    records += journal::endedRecord(result.settled.made);
    result.error = appendDurably(held, records);
    log.ended = result.settled.made;
    log.parked.insert(result.settled.parked.begin(), result.settled.parked.end());
    return result;
}

// The folders an undo of `record` changes: its own and those its new names lead into.
std::vector<std::string> foldersTouched(const BatchRecord& record) {
    std::set<std::string> relative{""};
    for (std::size_t i = 0; i < record.size(); ++i) {
        const std::string_view to = record.to(i);
        const std::size_t cut = to.find_last_of(std::string{platform::directorySeparator(), '/'});
        if (cut != std::string_view::npos) relative.insert(std::string(to.substr(0, cut)));
    }
    std::vector<std::string> folders;
    for (const std::string& part : relative) folders.push_back(part.empty() ? record.folder : JoinPath(record.folder, part));
    return folders;
}

using Answer = platform::Durability::Answer;

platform::Durability makeDurable(platform::FileSystem& fileSystem, const BatchRecord& record) {
    platform::Durability all{Answer::Durable, std::nullopt};
    for (const std::string& folder : foldersTouched(record)) {
        const platform::Durability made = fileSystem.makeNamesDurable(folder);
        if (made.answer != Answer::Durable) all.answer = made.answer;
        if (made.error && !all.error) all.error = made.error;
    }
    if (all.error) all.answer = Answer::NotPromised;
    return all;
}

} // namespace

std::optional<Journal::FolderProblem> Journal::folderProblem() {
    if (!folder_) return FolderProblem{FolderProblem::Why::NoFolder, {}, std::nullopt};
    // A folder another user owns, or others can write to, could be handed a
    // plan whose undo moves the user's files where someone else chose.
    for (const std::string& folder : {*folder_, JoinPath(*folder_, journal::batchesFolder)})
        if (const auto refusal = platform::ownFolderRefusal(folder))
            return FolderProblem{refusal->why == platform::FolderRefusal::Why::NotOwned ? FolderProblem::Why::NotOwned
                                                                                       : FolderProblem::Why::OthersCanWrite,
                                 folder, std::nullopt};
    return std::nullopt;
}

void Journal::recordWritten(const Entry& entry) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& known) { return known.name == entry.name; }),
                   entries_.end());
    entries_.push_back(entry);
    std::sort(entries_.begin(), entries_.end(), journal::before);
    keepWithinBounds();
}

// The batches on disk: what is known of a file is kept while its size stays;
// a file another Norvane holds is named by its number until it lets it go.
void Journal::refresh() {
    if (!folder_ || folderProblem()) {
        entries_.clear();
        return;
    }
    const auto listed = platform::fileNames(JoinPath(*folder_, "batches"));
    if (std::holds_alternative<platform::SystemError>(listed)) {
        entries_.clear();
        return;
    }
    std::vector<Entry> now;
    for (const std::string& name : std::get<std::vector<std::string>>(listed)) {
        if (!journal::isBatchFile(name)) continue;
        const auto known = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.name == name; });
        // What was read of a file stands while its size and last write do.
        const std::optional<platform::FileStamp> stamp = stampOf(*folder_, name);
        const bool cached = known != entries_.end() && known->read && !known->unreadable && stamp && known->stamp == stamp;
        Held held = holdAndRead(*folder_, name, !cached);
        if (cached && held.file) {
            now.push_back(*known);
            continue;
        }
        if (held.busy) {
            Entry busy = known != entries_.end() ? *known : Entry{};
            busy.name = name;
            if (known == entries_.end()) busy.sequence = journal::sequenceOfName(name);
            busy.read = false; // what is known of it stands for the list; its state is another's until it lets go
            now.push_back(std::move(busy));
            continue;
        }
        if (held.openFailed || (held.error && !held.tooLarge)) {
            // Left where it is, and in its place: the system may let it be read later.
            Entry unreadable = known != entries_.end() ? *known : Entry{};
            unreadable.name = name;
            if (known == entries_.end()) unreadable.sequence = journal::sequenceOfName(name);
            unreadable.unreadable = held.error;
            now.push_back(std::move(unreadable));
            continue;
        }
        if (!held.log) continue; // gone, or not a batch of this program's: open() names those
        Entry entry = journal::entryOf(name, *held.log, held.bytes);
        entry.stamp = stamp;
        if (known != entries_.end() && known->bytes == held.bytes) {
            entry.nothingFound = known->nothingFound;
            entry.lookedAgain = known->lookedAgain;
        }
        now.push_back(std::move(entry));
    }
    std::sort(now.begin(), now.end(), journal::before);
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
        Held held = holdAndRead(*folder_, oldest.name);
        if (held.busy || !held.file) continue; // another Norvane is taking it back: it decides
        removeBatch(held, *folder_, oldest.name);
    }
}

Journal::Opening Journal::open(platform::FileSystem& fileSystem) {
    Opening opening;
    opening.folderProblem = folderProblem();
    if (opening.folderProblem) return opening;
    const std::string batches = JoinPath(*folder_, "batches");
    const auto listed = platform::fileNames(batches);
    if (const auto* error = std::get_if<platform::SystemError>(&listed)) {
        if (platform::errorKind(*error) != platform::ErrorKind::NotFound)
            opening.folderProblem = FolderProblem{FolderProblem::Why::Unreadable, batches, *error};
        return opening;
    }
    std::vector<Entry> kept;
    for (const std::string& name : std::get<std::vector<std::string>>(listed)) {
        if (!journal::isBatchFile(name)) continue;
        Held held = holdAndRead(*folder_, name);
        if (held.busy || held.gone) continue;
        if (held.openFailed || (held.error && !held.tooLarge)) {
            // Left where it is: the next start tries again.
            opening.setAside.push_back({held.openFailed ? SetAside::Why::CannotOpen : SetAside::Why::CannotRead, name, held.error, 0, true});
            Entry unreadable;
            unreadable.name = name;
            unreadable.sequence = journal::sequenceOfName(name);
            unreadable.unreadable = held.error;
            kept.push_back(std::move(unreadable));
            continue;
        }
        if (held.tooLarge) {
            held.file.reset();
            opening.setAside.push_back(setAside(*folder_, name, SetAside::Why::TooLarge, held.bytes));
            continue;
        }
        if (!held.log) {
            if (held.read.newer) {
                opening.setAside.push_back({SetAside::Why::NewerFormat, name, std::nullopt, held.read.damagedAt, true});
                continue;
            }
            held.file.reset();
            opening.setAside.push_back(setAside(*folder_, name, held.read.notAJournal ? SetAside::Why::NotAJournal : SetAside::Why::Damaged,
                                                held.read.damagedAt));
            continue;
        }
        BatchLog& log = *held.log;
        Interrupted stopped{log.sequence, log.folder, log.what, 0, log.stepCount, 0, 0, false, State::Ready, false, std::nullopt};
        if (!log.planned && log.steps.empty()) {
            // Nothing of a plan: nothing was moved under it, and there is nothing to take back.
            removeBatch(held, *folder_, name);
            continue;
        }
        if (!log.planned) {
            // Moves begin only once the plan is whole and durable; a plan cut short by damage is looked for all the same.
            const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
            const journal::Settled found = folder->about().isFolder ? journal::settleSteps(log, *folder, fileSystem) : journal::Settled{};
            held.file.reset();
            if (found.made == 0 && folder->about().isFolder) platform::removeOwnFile(batchPath(*folder_, name));
            else opening.setAside.push_back(setAside(*folder_, name, SetAside::Why::Damaged, held.read.damagedAt));
            continue;
        }
        if (!log.ended || log.undoOpen) {
            const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
            const FolderState here =
                folderState(folder->about(), log.folderIdentity, log.folderTrust, log.volumeId, [&] { return folder->volumeId(); });
            if (here != FolderState::Here) {
                // Its card is not in, say: settled when it is back.
                stopped.state = stateOfFolder(here);
                stopped.waiting = true;
                stopped.undoing = log.ended.has_value();
                if (stopped.undoing) stopped.planned = journal::filesOf(log);
                stopped.error = folder->about().error;
                opening.interrupted.push_back(stopped);
            } else if (!log.ended) {
                const bool endLost = held.read.damaged; // it ended, but its end cannot be read: settled without a word
                const SettledBatch settled = settle(log, held, *folder, fileSystem);
                stopped.renamed = settled.settled.made;
                stopped.missing = settled.settled.missing;
                stopped.error = settled.error;
                if (settled.settled.nothingFound) stopped.state = State::NothingFound;
                if (settled.settled.made == 0 && !settled.settled.nothingFound) {
                    removeBatch(held, *folder_, name); // nothing was renamed: nothing to take back
                    continue;
                }
                if (!endLost || settled.error) opening.interrupted.push_back(stopped);
            } else {
                // An undo cut short: how many are back, and how many still to go, from the folder.
                const journal::Renamed renamed = journal::whatIsRenamed(log, *folder, fileSystem);
                stopped.undoing = true;
                stopped.planned = journal::filesOf(log);
                stopped.renamed = renamed.record.size();
                stopped.restored = stopped.planned > stopped.renamed ? stopped.planned - stopped.renamed : 0;
                const bool allBack = renamed.record.empty();
                if (allBack && stopped.restored > 0 && fileSystem.makeNamesDurable(log.folder).answer == Answer::Durable) {
                    opening.interrupted.push_back(stopped);
                    removeBatch(held, *folder_, name);
                    continue;
                }
                stopped.error = appendDurably(held, allBack ? journal::takenBackRecord(platform::processId())
                                                            : journal::undoEndedRecord(stopped.restored));
                if (!stopped.error) {
                    log.undoOpen = false;
                    if (allBack) log.takenBackBy = platform::processId();
                }
                opening.interrupted.push_back(stopped);
            }
        }
        // Known from this read: a journal of large batches is read once at start, not twice.
        Entry entry = journal::entryOf(name, log, held.bytes);
        entry.stamp = stampOf(*folder_, name);
        entry.nothingFound = stopped.state == State::NothingFound;
        kept.push_back(std::move(entry));
    }
    std::sort(kept.begin(), kept.end(), journal::before);
    entries_ = std::move(kept);
    keepWithinBounds();
    return opening;
}

// How a batch stands now: its file held elsewhere, its folder, what was found
// there. A batch that did not end is settled once its folder is back; one
// taken back is looked at once more and goes once the old names are shown by
// a later look.
Journal::Batch::State Journal::stateOf(Entry& entry, platform::FileSystem& fileSystem, std::optional<platform::SystemError>& error) {
    if (!entry.read) return State::HeldElsewhere;
    const platform::FolderProbe about = fileSystem.probeFolder(entry.folder);
    const FolderState here = folderState(about, entry.folderIdentity, entry.folderTrust, entry.volumeId,
                                         [&] { return fileSystem.volumeId(entry.folder); });
    if (here != FolderState::Here) {
        error = about.error;
        return stateOfFolder(here);
    }
    const bool settleNow = !entry.ended && !entry.nothingFound;
    const bool lookAgain = entry.takenBackBy && !entry.lookedAgain;
    if (settleNow || lookAgain) {
        Held held = holdAndRead(*folder_, entry.name);
        if (held.busy) return State::HeldElsewhere;
        if (!held.log) return entry.takenBackBy ? State::TakenBack : State::Ready;
        BatchLog& log = *held.log;
        const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
        if (!folder->about().isFolder) return State::FolderAway;
        if (settleNow && !log.ended) {
            const SettledBatch settled = settle(log, held, *folder, fileSystem);
            error = settled.error;
            entry.nothingFound = settled.settled.nothingFound;
            if (!settled.settled.nothingFound && settled.settled.made == 0) {
                removeBatch(held, *folder_, entry.name);
                entry.removed = true;
                return State::TakenBack;
            }
            const std::uint64_t size = held.bytes;
            entry = journal::entryOf(entry.name, log, size);
            entry.nothingFound = settled.settled.nothingFound;
        }
        if (lookAgain && log.takenBackBy) {
            entry.lookedAgain = true;
            const journal::Renamed renamed = journal::whatIsRenamed(log, *folder, fileSystem);
            if (!renamed.record.empty() && !renamed.nothingFound) {
                // The folder shows the new names again (a card pulled before they reached it): offered again.
                if (!appendDurably(held, journal::undoEndedRecord(0))) {
                    entry.takenBackBy.reset();
                    entry.files = renamed.record.size();
                    entry.bytes = held.bytes;
                }
            } else if (renamed.record.empty() &&
                       (*log.takenBackBy != platform::processId() ||
                        fileSystem.makeNamesDurable(log.folder).answer == Answer::Durable)) {
                removeBatch(held, *folder_, entry.name);
                entry.removed = true;
            }
        }
    }
    if (entry.takenBackBy) return State::TakenBack;
    if (entry.nothingFound) return State::NothingFound;
    return State::Ready;
}

std::vector<Journal::Batch> Journal::batches(platform::FileSystem& fileSystem) {
    refresh();
    std::vector<Batch> batches;
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->removed) continue;
        Batch batch;
        if (entry->unreadable) {
            batch.state = State::Unreadable;
            batch.error = entry->unreadable;
        } else {
            batch.state = stateOf(*entry, fileSystem, batch.error);
        }
        if (entry->removed) continue; // nothing left to take back: gone just now
        batch.sequence = entry->sequence;
        batch.folder = entry->folder;
        batch.what = entry->what;
        batch.startedAt = entry->createdAt;
        batch.files = entry->ended ? entry->files : entry->planned;
        batches.push_back(std::move(batch));
    }
    std::erase_if(entries_, [](const Entry& entry) { return entry.removed; });
    return batches;
}

std::optional<Journal::Batch> Journal::latest(platform::FileSystem& fileSystem) {
    // A batch whose every file was given up holds nothing to take back; one another Norvane holds is not counted yet.
    for (Batch& batch : batches(fileSystem))
        if (batch.state != State::TakenBack && (batch.files > 0 || batch.state == State::HeldElsewhere)) return std::move(batch);
    return std::nullopt;
}

Journal::UndoResult Journal::undoLatest(platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    const std::optional<Batch> batch = latest(fileSystem);
    if (!batch) return UndoResult{};
    return undo(batch->sequence, fileSystem, progress);
}

std::optional<platform::SystemError> Journal::giveUp(std::uint64_t sequence) {
    refresh();
    const auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.sequence == sequence; });
    if (!folder_ || entry == entries_.end()) return std::nullopt; // not kept: nothing to give up
    Held held = holdAndRead(*folder_, entry->name);
    if (held.busy) return held.error.value_or(platform::SystemError{0, {}, platform::SystemError::Reason::HeldByAnotherNorvane});
    if (held.openFailed) return held.error;
    held.file.reset();
    auto error = platform::removeOwnFile(batchPath(*folder_, entry->name));
    if (!error) entries_.erase(entry);
    return error;
}

Journal::UndoResult Journal::undo(std::uint64_t sequence, platform::FileSystem& fileSystem, const ProgressCallback& progress) {
    UndoResult result;
    result.sequence = sequence;
    const auto refuse = [&](RefusalKind kind, std::optional<platform::SystemError> error = std::nullopt) {
        result.refusal = Refusal{kind, std::move(error)};
        return result;
    };
    if (!folder_ || folderProblem()) return refuse(RefusalKind::NoJournal);
    refresh();
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.sequence == sequence; });
    if (found == entries_.end()) return refuse(RefusalKind::NotKept);
    Entry& entry = *found;
    result.folder = entry.folder;
    Held held = holdAndRead(*folder_, entry.name);
    if (held.busy) return refuse(RefusalKind::HeldElsewhere);
    if (held.gone) return refuse(RefusalKind::NotKept);
    if (!held.log) return refuse(RefusalKind::Unreadable, held.error);
    BatchLog& log = *held.log;
    result.folder = log.folder;
    // The end must be recordable before anything moves: the file goes, or is marked, once the files are back.
    if (!platform::canWriteTo(JoinPath(*folder_, "batches")))
        return refuse(RefusalKind::CannotRecordEnd, platform::SystemError{0, {}, platform::SystemError::Reason::JournalNotWritable});

    const std::unique_ptr<platform::Folder> folder = fileSystem.openFolder(log.folder);
    const FolderState here =
                folderState(folder->about(), log.folderIdentity, log.folderTrust, log.volumeId, [&] { return folder->volumeId(); });
    if (here == FolderState::Away) return refuse(RefusalKind::FolderAway, folder->about().error);
    if (here == FolderState::Other) return refuse(RefusalKind::OtherFolder);
    if (!log.ended) {
        const SettledBatch settled = settle(log, held, *folder, fileSystem);
        if (settled.settled.nothingFound) {
            entry.nothingFound = true;
            return refuse(RefusalKind::NothingFound);
        }
        if (settled.error) return refuse(RefusalKind::CannotRecordEnd, settled.error);
    }
    journal::Renamed renamed = journal::whatIsRenamed(log, *folder, fileSystem);
    if (renamed.nothingFound) {
        entry.nothingFound = true;
        return refuse(RefusalKind::NothingFound);
    }
    if (renamed.record.empty()) {
        // Every file is back at its old name already, or was given up; a batch
        // taken back stays until a later look shows those names durable.
        if (!log.takenBackBy) {
            removeBatch(held, *folder_, entry.name);
            entries_.erase(found);
        }
        result.outcome = UndoOutcome{};
        result.outcome->folder = log.folder;
        return result;
    }
    UndoOutcome outcome = batch::undo(renamed.record, fileSystem, progress, [&]() -> std::optional<platform::SystemError> {
        std::string began = journal::undoBeganRecord(platform::processId());
        for (const auto& [step, where] : renamed.parked) began += journal::parkedRecord(step, where);
        return appendDurably(held, began);
    });
    if (outcome.notJournaled) return refuse(RefusalKind::CannotRecordEnd, outcome.notJournaled);
    if (outcome.folderReplaced) return refuse(RefusalKind::OtherFolder);
    // Files left alone are not offered again; those not reached yet stay for the next undo.
    std::vector<std::uint64_t> givenUp;
    if (!outcome.leftAlone.empty()) {
        std::unordered_map<std::string_view, std::uint64_t> stepByOldName;
        for (std::size_t i = 0; i < renamed.record.size(); ++i) stepByOldName.emplace(renamed.record.from(i), renamed.stepOf[i]);
        for (const UndoProblem& problem : outcome.leftAlone) givenUp.push_back(stepByOldName.at(problem.oldName));
    }
    std::string records = givenUp.empty() ? std::string() : journal::givenUpRecord(givenUp);
    if (outcome.remaining.empty()) {
        // Every file tried: the record goes only once the old names are durable where the folder is.
        const platform::Durability durable =
            outcome.restored > 0 ? makeDurable(fileSystem, renamed.record) : platform::Durability{Answer::Durable, std::nullopt};
        if (durable.answer == Answer::Durable) {
            removeBatch(held, *folder_, entry.name);
            entries_.erase(found);
        } else {
            records += journal::takenBackRecord(platform::processId());
            appendDurably(held, records);
            entry.takenBackBy = platform::processId();
            entry.lookedAgain = true; // this process's look proves nothing more
            entry.files = 0;
            entry.bytes = held.bytes;
        }
    } else {
        records += journal::undoEndedRecord(outcome.restored);
        appendDurably(held, records);
        entry.files = renamed.record.size() - outcome.restored - givenUp.size();
        entry.bytes = held.bytes;
    }
    result.outcome = std::move(outcome);
    return result;
}

} // namespace norvane
