// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target: any bytes as a journal file, as a record's payload, and as
// records framed afresh. The reader must stay within the bytes, keep only
// whole records and frame them back to exactly the part it calls good; a
// payload's fields, written again, must give back exactly the bytes read; a
// file cut anywhere keeps every whole record before the cut. Whole batches
// too: a plan made from the input, then records of any type and payload, read
// for their order and meaning and settled over a folder in memory whose
// files the input places at a step's old name, its new one, or neither.

#include "journal/batch_file.h"
#include "journal/records.h"
#include "journal/settle.h"
#include "require.h"

#include <map>
#include <memory>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace norvane::journal;
using State = ReadFile::State;

bool within(std::string_view part, std::string_view whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// Reads fields of kinds chosen by `seed` until the payload ends or a read
// fails; what was read, written again, must be the bytes it came from.
void readFields(std::string_view payload, std::uint8_t seed) {
    PayloadReader reader(payload);
    PayloadWriter again;
    IdentityRun readRun, writtenRun; // identities as differences, each from the one before
    for (unsigned field = 0; !reader.atEnd(); ++field) {
        const unsigned kind = (seed & 0x80u) ? seed % 6u : (seed + field) % 6u;
        bool good = false;
        if (kind == 0) {
            std::uint8_t value = 0;
            if ((good = reader.u8(value))) again.u8(value);
        } else if (kind == 1) {
            std::uint64_t value = 0;
            if ((good = reader.varint(value))) again.varint(value);
        } else if (kind == 2) {
            std::int64_t value = 0;
            if ((good = reader.signedVarint(value))) again.signedVarint(value);
        } else if (kind == 3) {
            std::string_view value;
            if ((good = reader.bytes(value))) {
                REQUIRE(within(value, payload));
                again.bytes(value);
            }
        } else if (kind == 4) {
            norvane::platform::FileIdentity value;
            if ((good = reader.identity(value))) again.identity(value);
        } else {
            norvane::platform::FileIdentity value;
            if ((good = readRun.read(reader, value))) writtenRun.write(again, value);
        }
        REQUIRE(payload.substr(0, again.payload().size()) == again.payload());
        if (!good) {
            REQUIRE(!reader.atEnd());
            return;
        }
    }
    REQUIRE(again.payload() == payload);
}

void readAsAFile(std::string_view text) {
    const ReadFile file = readRecords(text);
    REQUIRE(file.validBytes <= text.size());
    REQUIRE((file.state == State::Whole) == file.fault.empty());
    REQUIRE(file.state != State::Whole || file.validBytes == text.size());
    if (file.validBytes == 0) {
        REQUIRE(file.records.empty());
        return;
    }
    std::string framed(text.substr(0, fileStart().size())); // its own version: format 1 reads too
    for (const Record& record : file.records) {
        REQUIRE(within(record.payload, text));
        REQUIRE(appendRecord(framed, record.type, record.payload));
        readFields(record.payload, record.type);
    }
    REQUIRE(framed == text.substr(0, file.validBytes));
}

// Records made from the input (a type, a length byte, that many bytes), so
// the reader also meets checksums that hold; then the file cut where the
// input says.
void readFramedAndCut(std::string_view input) {
    std::string text = fileStart();
    std::vector<std::size_t> ends;
    std::vector<Record> made;
    std::size_t cutSeed = input.size();
    while (input.size() >= 2) {
        const std::size_t length = std::min<std::size_t>(static_cast<std::uint8_t>(input[1]), input.size() - 2);
        made.push_back(Record{static_cast<std::uint8_t>(input[0]), input.substr(2, length)});
        REQUIRE(appendRecord(text, made.back().type, made.back().payload));
        ends.push_back(text.size());
        cutSeed = cutSeed * 31 + static_cast<std::uint8_t>(input[0]);
        input.remove_prefix(2 + length);
    }
    const ReadFile whole = readRecords(text);
    REQUIRE(whole.state == State::Whole && whole.records.size() == made.size());
    for (std::size_t i = 0; i < made.size(); ++i)
        REQUIRE(whole.records[i].type == made[i].type && whole.records[i].payload == made[i].payload);

    const std::size_t cut = cutSeed % (text.size() + 1);
    const ReadFile file = readRecords(std::string_view(text).substr(0, cut));
    std::size_t kept = 0;
    while (kept < ends.size() && ends[kept] <= cut) ++kept;
    REQUIRE(file.records.size() == kept);
    // A payload may hold the checksum of what precedes it; cut short there, its record reads as whole with a wrong length.
    REQUIRE(file.state == State::Whole || file.state == State::TornTail ||
            (file.state == State::Damaged && file.fault.find("wrong length") != std::string::npos));
}

namespace platform = norvane::platform;

// A folder in memory: a name holds a file with an identity, or nothing. Moves and placeholders change it as a disk would.
class MemoryFolder final : public platform::Folder {
public:
    std::map<std::string, platform::FileIdentity, std::less<>> files;

    MemoryFolder() {
        about_.isFolder = true;
        about_.trust = platform::IdentityTrust::Stable;
    }
    const platform::FolderProbe& about() const override { return about_; }
    platform::PathProbe probe(std::string_view name) override {
        const auto found = files.find(name);
        if (found == files.end()) return {};
        platform::PathProbe probe{platform::PathKind::File, std::nullopt, found->second};
        probe.ownPlaceholder = platform::isPlaceholder(probe.kind, probe.identity);
        return probe;
    }
    platform::FolderProbe probeFolder(std::string_view) override { return about_; }
    std::optional<std::string> spelling(std::string_view name) override {
        return files.count(name) ? std::optional<std::string>(name) : std::nullopt;
    }
    std::optional<platform::SystemError> move(std::string_view from, std::string_view to) override {
        const auto found = files.find(from);
        if (found == files.end() || files.count(to)) return platform::SystemError{1, "refused"};
        const platform::FileIdentity file = found->second;
        files.erase(found);
        files.emplace(std::string(to), file);
        return std::nullopt;
    }
    platform::PlaceholderRemoval removeOwnPlaceholder(std::string_view name) override {
        if (!probe(name).ownPlaceholder) return {};
        files.erase(files.find(name));
        return {true, std::nullopt};
    }

private:
    platform::FolderProbe about_;
};

class MemoryFileSystem final : public platform::FileSystem {
public:
    MemoryFolder folder;
    std::optional<platform::SystemError> readFolder(const std::string&, const platform::EntryListed& each) override {
        for (const auto& [name, file] : folder.files) each(name, platform::EntryKind::File, false);
        return std::nullopt;
    }
    platform::FolderProbe probeFolder(const std::string&) override { return folder.about(); }
    std::unique_ptr<platform::Folder> openFolder(const std::string&) override {
        // The one folder, lent: what settle finds and removes is this one's.
        class Lent final : public platform::Folder {
        public:
            explicit Lent(MemoryFolder& folder) : folder_(folder) {}
            const platform::FolderProbe& about() const override { return folder_.about(); }
            platform::PathProbe probe(std::string_view name) override { return folder_.probe(name); }
            platform::FolderProbe probeFolder(std::string_view name) override { return folder_.probeFolder(name); }
            std::optional<std::string> spelling(std::string_view name) override { return folder_.spelling(name); }
            std::optional<platform::SystemError> move(std::string_view from, std::string_view to) override { return folder_.move(from, to); }
            platform::PlaceholderRemoval removeOwnPlaceholder(std::string_view name) override { return folder_.removeOwnPlaceholder(name); }

        private:
            MemoryFolder& folder_;
        };
        return std::make_unique<Lent>(folder);
    }
};

// A plan of up to 16 steps named from the input, then the rest of the input as records of any type.
std::string batchFrom(std::string_view& input) {
    BatchLog header;
    header.sequence = 1;
    header.folder = "/card";
    header.folderTrust = platform::IdentityTrust::Stable;
    header.stepCount = input.empty() ? 0 : static_cast<std::uint8_t>(input[0]) % 17u;
    if (!input.empty()) input.remove_prefix(1);
    std::string text = beginRecord(header);
    std::vector<std::string> names;
    for (std::uint64_t i = 0; i < header.stepCount; ++i) {
        const char letter = static_cast<char>('a' + i % 26);
        const bool chained = !input.empty() && (static_cast<std::uint8_t>(input[0]) & 1u); // 'b'->'c' after 'a'->'b'
        names.push_back(std::string(1, letter) + (chained && i > 0 ? "" : "0"));
        names.push_back(std::string(1, static_cast<char>(letter + 1)) + "1");
    }
    appendStepsRecord(text, 0, header.stepCount, [&](std::size_t i) {
        return PlannedStep{names[2 * i], names[2 * i + 1], platform::IdentityTrust::Stable,
                           platform::FileIdentity{{1, i + 1}, std::nullopt, platform::FileStamp{i, 0}}};
    });
    text += plannedRecord(header.stepCount);
    while (input.size() >= 2) {
        const std::size_t length = std::min<std::size_t>(static_cast<std::uint8_t>(input[1]), input.size() - 2);
        REQUIRE(appendRecord(text, static_cast<std::uint8_t>(input[0]) % 12u, input.substr(2, length)));
        input.remove_prefix(2 + length);
    }
    return text;
}

void readAndSettle(std::string_view input) {
    const std::uint8_t placing = input.empty() ? 0 : static_cast<std::uint8_t>(input.back());
    const std::string text = batchFrom(input);
    for (const std::string_view bytes : {std::string_view(text), input}) {
        const ReadBatch read = readBatch(bytes);
        REQUIRE(read.validBytes <= bytes.size());
        // A summary, as the list of batches reads, judges the file exactly as a whole read does.
        const ReadBatch summary = readBatch(bytes, Keep::Summary);
        REQUIRE(summary.log.has_value() == read.log.has_value() && summary.validBytes == read.validBytes &&
                summary.damaged == read.damaged && summary.damagedAt == read.damagedAt && summary.newer == read.newer &&
                summary.notAJournal == read.notAJournal);
        if (summary.log) {
            const BatchLog& a = *summary.log;
            const BatchLog& b = *read.log;
            REQUIRE(a.steps.size() == 0 && a.stepsRead == b.steps.size() && a.planned == b.planned && a.ended == b.ended &&
                    a.givenUp == b.givenUp && a.undoOpen == b.undoOpen && a.takenBackBy == b.takenBackBy && a.sequence == b.sequence &&
                    a.folder == b.folder && a.stepCount == b.stepCount && a.marked == b.marked && a.parked == b.parked);
        }
        if (!read.log) continue;
        const BatchLog& log = *read.log;
        REQUIRE(log.steps.size() <= log.stepCount && (!log.planned || log.steps.size() == log.stepCount));
        REQUIRE(!log.ended || *log.ended <= log.stepCount);
        for (const std::uint64_t step : log.givenUp) REQUIRE(step < log.stepCount);
        for (const auto& [step, name] : log.parked) REQUIRE(step < log.stepCount);

        // Each step's file at its old name, its new one, neither, or a placeholder beside it, as the input says.
        MemoryFileSystem fileSystem;
        for (std::size_t i = 0; i < log.steps.size(); ++i) {
            const std::optional<platform::FileIdentity> file = log.steps.file(i);
            if (!file) continue;
            const unsigned where = (placing >> (i % 4 * 2)) & 3u;
            if (where == 1) fileSystem.folder.files.emplace(std::string(log.steps.from(i)), *file);
            if (where == 2) fileSystem.folder.files.emplace(std::string(log.steps.to(i)), *file);
            if (where == 3) { // a move cut short after its placeholder
                fileSystem.folder.files.emplace(std::string(log.steps.from(i)), *file);
                fileSystem.folder.files.emplace(std::string(log.steps.to(i)),
                                                platform::FileIdentity{{1, 999}, std::nullopt, platform::FileStamp{0, platform::placeholderTime}});
            }
        }
        const auto opened = fileSystem.openFolder(log.folder);
        const Settled settled = settleSteps(log, *opened, fileSystem);
        REQUIRE(settled.made <= log.steps.size());
        REQUIRE(settled.missing <= settled.made);
        REQUIRE(!settled.nothingFound || settled.made == 0);
        BatchLog ended = log;
        if (!ended.ended) ended.ended = settled.made;
        const Renamed renamed = whatIsRenamed(ended, *opened, fileSystem);
        REQUIRE(renamed.record.size() == renamed.stepOf.size());
        REQUIRE(renamed.record.size() <= *ended.ended);
        for (std::size_t n = 0; n < renamed.stepOf.size(); ++n) {
            REQUIRE(renamed.stepOf[n] < ended.steps.size() && !ended.givenUp.count(renamed.stepOf[n]));
            REQUIRE(renamed.record.from(n) == ended.steps.from(renamed.stepOf[n]));
        }
        // No placeholder of the program's own is ever taken for a file to move back.
        for (std::size_t n = 0; n < renamed.record.size(); ++n) REQUIRE(!opened->probe(renamed.record.to(n)).ownPlaceholder);
        // Taking the log's own steps for the record, where it may, gives the record a copy would; asked again
        // after the first look tidied the folder, the answer is the same.
        BatchLog taken = ended;
        const Renamed took = takeWhatIsRenamed(taken, *opened, fileSystem);
        REQUIRE(took.record.size() == renamed.record.size() && took.stepOf == renamed.stepOf && took.parked == renamed.parked);
        REQUIRE(took.nothingFound == renamed.nothingFound && took.record.folder == renamed.record.folder);
        for (std::size_t n = 0; n < took.record.size(); ++n) {
            REQUIRE(took.record.from(n) == renamed.record.from(n) && took.record.to(n) == renamed.record.to(n));
            REQUIRE(took.record.file(n) == renamed.record.file(n) && took.record.trust(n) == renamed.record.trust(n));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    readAsAFile(input);
    if (!input.empty()) readFields(input.substr(1), static_cast<std::uint8_t>(input[0]));
    readFramedAndCut(input);
    readAndSettle(input);
    return 0;
}
