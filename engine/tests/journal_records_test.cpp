// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The journal's records: every field comes back as written, and the reader
// tells a write cut short from damage, keeping every whole record before either.

#include "journal/batch_file.h"
#include "journal/crc32c.h"
#include "journal/folder_facts.h"
#include "journal/records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <variant>

namespace norvane::journal {
namespace {

using State = ReadFile::State;
using Field = std::variant<std::uint8_t, std::uint64_t, std::int64_t, std::string, platform::FileIdentity>;
using Owned = std::vector<std::pair<std::uint8_t, std::string>>;

std::string written(const std::vector<Field>& fields) {
    PayloadWriter writer;
    for (const Field& field : fields) {
        if (auto* v = std::get_if<std::uint8_t>(&field)) writer.u8(*v);
        if (auto* v = std::get_if<std::uint64_t>(&field)) writer.varint(*v);
        if (auto* v = std::get_if<std::int64_t>(&field)) writer.signedVarint(*v);
        if (auto* v = std::get_if<std::string>(&field)) writer.bytes(*v);
        if (auto* v = std::get_if<platform::FileIdentity>(&field)) writer.identity(*v);
    }
    return writer.payload();
}

// Reads fields of the kinds given, in order; nullopt unless all of them read
// well and the payload ends there.
std::optional<std::vector<Field>> readBack(std::string_view payload, const std::vector<Field>& kinds) {
    PayloadReader reader(payload);
    std::vector<Field> read;
    for (const Field& kind : kinds) {
        bool good = false;
        if (std::holds_alternative<std::uint8_t>(kind)) good = reader.u8(read.emplace_back().emplace<std::uint8_t>());
        if (std::holds_alternative<std::uint64_t>(kind)) good = reader.varint(read.emplace_back().emplace<std::uint64_t>());
        if (std::holds_alternative<std::int64_t>(kind)) good = reader.signedVarint(read.emplace_back().emplace<std::int64_t>());
        if (std::holds_alternative<std::string>(kind)) {
            std::string_view bytes;
            good = reader.bytes(bytes);
            read.emplace_back(std::string(bytes));
        }
        if (std::holds_alternative<platform::FileIdentity>(kind)) good = reader.identity(read.emplace_back().emplace<platform::FileIdentity>());
        if (!good) return std::nullopt;
    }
    if (!reader.atEnd()) return std::nullopt;
    return read;
}

TEST(JournalPayload, EveryFieldKindComesBackAndEveryShortenedPayloadFails) {
    constexpr auto u64max = std::numeric_limits<std::uint64_t>::max();
    constexpr auto i64min = std::numeric_limits<std::int64_t>::min();
    constexpr auto i64max = std::numeric_limits<std::int64_t>::max();
    const platform::FileId id{u64max, 1};
    const std::vector<Field> fields = {
        std::uint8_t{0}, std::uint8_t{255},
        std::uint64_t{0}, std::uint64_t{127}, std::uint64_t{128}, std::uint64_t{16384}, std::uint64_t{1} << 63, u64max,
        std::int64_t{i64min}, std::int64_t{-65}, std::int64_t{-1}, std::int64_t{0}, std::int64_t{64}, std::int64_t{i64max},
        std::string(), std::string("\0\n\xff", 3), std::string(300, 'x'),
        platform::FileIdentity{id, std::nullopt, std::nullopt},
        platform::FileIdentity{id, std::int64_t{-5}, std::nullopt},
        platform::FileIdentity{id, std::nullopt, platform::FileStamp{u64max, i64min}},
        platform::FileIdentity{{0, u64max}, i64max, platform::FileStamp{0, -1}},
    };
    const std::string payload = written(fields);
    EXPECT_EQ(readBack(payload, fields), fields);
    for (std::size_t size = 0; size < payload.size(); ++size)
        EXPECT_FALSE(readBack(std::string_view(payload).substr(0, size), fields)) << "cut at " << size;
}

// A run of identities, each written as its difference from the one before,
// comes back exactly at the extremes and where numbers and times go down; a
// folder's files made one after another take a few bytes each, not thirty.
TEST(JournalPayload, ARunOfIdentitiesComesBackExactlyAndSmall) {
    constexpr auto u64max = std::numeric_limits<std::uint64_t>::max();
    constexpr auto i64min = std::numeric_limits<std::int64_t>::min();
    constexpr auto i64max = std::numeric_limits<std::int64_t>::max();
    const std::vector<platform::FileIdentity> extremes = {
        {{u64max, 0}, i64min, platform::FileStamp{u64max, i64max}},
        {{0, u64max}, i64max, platform::FileStamp{0, i64min}},
        {{0, u64max}, std::nullopt, std::nullopt},
        {{7, 3}, std::int64_t{-1}, platform::FileStamp{5, 0}},
        {{7, 2}, std::nullopt, platform::FileStamp{5, -1}},
    };
    std::vector<platform::FileIdentity> madeInTurn;
    for (std::uint64_t i = 0; i < 512; ++i)
        madeInTurn.push_back({{65025, 1'300'000 + i}, std::int64_t{1'765'000'000'000'000'000} + 37'000 * static_cast<std::int64_t>(i),
                              platform::FileStamp{0, std::int64_t{1'765'000'000'000'000'000} + 36'000 * static_cast<std::int64_t>(i)}});
    for (const std::vector<platform::FileIdentity>* run : {&extremes, static_cast<const std::vector<platform::FileIdentity>*>(&madeInTurn)}) {
        PayloadWriter writer;
        IdentityRun written;
        for (const platform::FileIdentity& identity : *run) written.write(writer, identity);
        PayloadReader reader(writer.payload());
        IdentityRun read;
        for (const platform::FileIdentity& identity : *run) {
            platform::FileIdentity back;
            ASSERT_TRUE(read.read(reader, back));
            EXPECT_EQ(back, identity);
        }
        EXPECT_TRUE(reader.atEnd());
    }
    PayloadWriter writer;
    IdentityRun written;
    for (const platform::FileIdentity& identity : madeInTurn) written.write(writer, identity);
    EXPECT_LE(writer.payload().size(), 10 * madeInTurn.size() + 32); // 26 bytes each in full
}

TEST(JournalPayload, RefusesWhatNoWriterMakesAndStaysFailed) {
    struct Case {
        const char* what;
        std::string bytes;
        bool (*read)(PayloadReader&);
    };
    const auto varint = [](PayloadReader& r) { std::uint64_t v; return r.varint(v); };
    const auto bytes = [](PayloadReader& r) { std::string_view v; return r.bytes(v); };
    const auto identity = [](PayloadReader& r) { platform::FileIdentity v; return r.identity(v); };
    const Case cases[] = {
        {"a varint past 64 bits", std::string(9, '\xff') + "\x02", varint},
        {"a varint of eleven bytes", std::string(10, '\x80') + std::string(1, '\0'), varint},
        {"a longer form than the value needs", std::string("\x80\x00", 2), varint},
        {"a string longer than the payload", "\x7f" "abc", bytes},
        {"an identity with an unknown part", std::string("\x04\x01\x02", 3), identity},
    };
    for (const Case& c : cases) {
        const std::string payload = c.bytes + "more";
        PayloadReader reader(payload);
        EXPECT_FALSE(c.read(reader)) << c.what;
        std::uint8_t next = 0;
        EXPECT_FALSE(reader.u8(next)) << c.what;
        EXPECT_FALSE(reader.atEnd()) << c.what;
    }
}

// Whichever way the checksum is computed (the processor's instruction or the
// tables), it is the bit-by-bit definition's, at every length and alignment and
// over a text given in pieces.
TEST(JournalRecords, TheChecksumIsTheDefinitionsAtEveryLengthAlignmentAndSplit) {
    const auto byBits = [](std::string_view bytes) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (const char c : bytes) {
            crc ^= static_cast<unsigned char>(c);
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1u) ? 0x82F63B78u : 0u);
        }
        return ~crc;
    };
    std::string text;
    for (int i = 0; i < 300; ++i) text += static_cast<char>((i * 151 + 17) & 0xFF);
    for (std::size_t offset = 0; offset < 9; ++offset)
        for (std::size_t length = 0; offset + length <= text.size(); length += 7) {
            const std::string_view part = std::string_view(text).substr(offset, length);
            ASSERT_EQ(crc32c(part), byBits(part)) << offset << " " << length;
            Crc32c pieces;
            pieces.update(part.substr(0, length / 3));
            pieces.update(part.substr(length / 3));
            ASSERT_EQ(pieces.value(), byBits(part)) << offset << " " << length;
        }
}

TEST(JournalRecords, FramingUsesTheCastagnoliChecksumAndRefusesAnOversizedPayload) {
    std::string framed;
    ASSERT_TRUE(appendRecord(framed, '1', "23456789"));
    EXPECT_EQ(framed.substr(0, 5), std::string("\x08\0\0\0" "1", 5));
    EXPECT_EQ(framed.substr(framed.size() - 4), "\x83\x92\x06\xe3"); // CRC-32C of "123456789"

    const std::string before = framed;
    EXPECT_FALSE(appendRecord(framed, 1, std::string(maxPayload + 1, 'x')));
    EXPECT_EQ(framed, before);
}

struct Sample {
    std::string text;
    Owned records;
    std::vector<std::size_t> ends; // where each record ends
};

Sample sampleJournal() {
    Sample sample{fileStart(), {{1, ""}, {2, "plan"}, {7, std::string(300, '\x81')}, {255, std::string("\0\0\xff", 3)}}, {}};
    for (const auto& [type, payload] : sample.records) {
        EXPECT_TRUE(appendRecord(sample.text, type, payload));
        sample.ends.push_back(sample.text.size());
    }
    return sample;
}

Owned owned(const ReadFile& file) {
    Owned result;
    for (const Record& record : file.records) result.emplace_back(record.type, std::string(record.payload));
    return result;
}

Owned firstOf(const Owned& records, std::size_t count) { return Owned(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(count)); }

TEST(JournalReader, AFileCutAnywhereIsWholeOrTornAfterTheWholeRecordsBeforeTheCut) {
    const Sample sample = sampleJournal();
    const std::size_t startSize = fileStart().size();
    for (std::size_t size = 0; size <= sample.text.size(); ++size) {
        const ReadFile file = readRecords(std::string_view(sample.text).substr(0, size));
        std::size_t whole = 0;
        while (whole < sample.ends.size() && sample.ends[whole] <= size) ++whole;
        const std::size_t validBytes = size < startSize ? 0 : whole > 0 ? sample.ends[whole - 1] : startSize;
        EXPECT_EQ(file.state, size >= startSize && size == validBytes ? State::Whole : State::TornTail) << "cut at " << size << ": " << file.fault;
        EXPECT_EQ(file.validBytes, validBytes) << "cut at " << size;
        EXPECT_EQ(owned(file), firstOf(sample.records, whole)) << "cut at " << size;
    }
}

TEST(JournalReader, AFlippedBitAnywhereInARecordIsDamageAfterTheRecordsBeforeIt) {
    const Sample sample = sampleJournal();
    for (std::size_t record = 0; record < sample.ends.size(); ++record) {
        const std::size_t start = record == 0 ? fileStart().size() : sample.ends[record - 1];
        for (std::size_t bit = start * 8; bit < sample.ends[record] * 8; ++bit) {
            std::string damaged = sample.text;
            damaged[bit / 8] = static_cast<char>(damaged[bit / 8] ^ (1 << (bit % 8)));
            const ReadFile file = readRecords(damaged);
            EXPECT_EQ(file.state, State::Damaged) << "record " << record << ", bit " << bit << ": " << file.fault;
            EXPECT_EQ(file.validBytes, start) << "record " << record << ", bit " << bit;
            EXPECT_EQ(owned(file), firstOf(sample.records, record)) << "record " << record << ", bit " << bit;
        }
    }
}

TEST(JournalReader, TellsOtherFilesNewerFormatsImpossibleLengthsAndZeroFilledTails) {
    std::string oneRecord = fileStart();
    ASSERT_TRUE(appendRecord(oneRecord, 3, "kept"));
    std::string newer = fileStart();
    newer[16] = static_cast<char>(formatVersion + 1);
    struct Case {
        const char* what;
        std::string text;
        State state;
        std::size_t records;
        std::string faultHas;
    };
    const Case cases[] = {
        {"another file", "NORVANE-JOURNAX\n", State::NotAJournal, 0, "not a journal"},
        {"a newer format", newer, State::NewerVersion, 0, "format " + std::to_string(formatVersion + 1)},
        {"an impossible length", oneRecord + "\xff\xff\xff\xff\x01" "abc", State::Damaged, 1, "length 4294967295 in the record at byte 33"},
        {"a tail the disk never filled", oneRecord + std::string(64, '\0'), State::TornTail, 1, "at byte 33"},
    };
    for (const Case& c : cases) {
        const ReadFile file = readRecords(c.text);
        EXPECT_EQ(file.state, c.state) << c.what << ": " << file.fault;
        EXPECT_EQ(file.records.size(), c.records) << c.what;
        EXPECT_NE(file.fault.find(c.faultHas), std::string::npos) << c.what << ": " << file.fault;
    }
    EXPECT_EQ(readRecords(newer).version, formatVersion + 1);
    const std::string zeroFilled = oneRecord + std::string(64, '\0');
    EXPECT_EQ(readRecords(zeroFilled).validBytes, oneRecord.size());
}


// A journal file as the system serves it: the text, then zeros to the size
// it claims; it notes the longest read asked of it.
class ServedFile final : public platform::OwnFile {
public:
    ServedFile(std::string text, std::uint64_t size) : OwnFile(size), text_(std::move(text)), size_(size) {}
    std::size_t longestRead = 0;

private:
    std::variant<std::size_t, platform::SystemError> readAt(std::uint64_t offset, char* into, std::size_t length) override {
        longestRead = std::max(longestRead, length);
        const std::size_t got = static_cast<std::size_t>(std::min<std::uint64_t>(length, offset < size_ ? size_ - offset : 0));
        for (std::size_t i = 0; i < got; ++i) into[i] = offset + i < text_.size() ? text_[static_cast<std::size_t>(offset + i)] : '\0';
        return got;
    }
    std::variant<std::size_t, platform::SystemError> writeAt(std::uint64_t, const char*, std::size_t) override {
        return platform::SystemError{0, "read only"};
    }
    std::optional<platform::SystemError> setSize(std::uint64_t) override { return platform::SystemError{0, "read only"}; }
    std::optional<platform::SystemError> flush() override { return std::nullopt; }

    std::string text_;
    std::uint64_t size_;
};

// A batch file is read a mebibyte at a time: a plan of many MiB comes back
// as from memory, and a length no record has is damage, never an allocation.
TEST(JournalReader, ReadsABatchFileInBoundedPieces) {
    constexpr std::uint64_t steps = 20000;
    std::vector<std::string> names;
    for (std::uint64_t i = 0; i < 2 * steps; ++i) names.push_back(std::to_string(i) + std::string(200, 'n'));
    BatchLog header;
    header.sequence = 1;
    header.folder = "/x";
    header.stepCount = steps;
    std::string plan = beginRecord(header);
    for (std::uint64_t first = 0; first < steps; first += stepsPerRecord)
        appendStepsRecord(plan, first, std::min(stepsPerRecord, steps - first), [&](std::size_t i) {
            return PlannedStep{names[2 * i], names[2 * i + 1], platform::IdentityTrust::Stable, std::nullopt};
        });
    plan += plannedRecord(steps);
    struct Case {
        const char* what;
        std::string text;
        std::uint64_t size;
        bool damaged;
    };
    const Case cases[] = {
        {"a plan of many MiB", plan + endedRecord(steps), 0, false},
        {"a record claiming 4 GiB", plan + "\xff\xff\xff\xff\x04", std::uint64_t{48} << 20, true},
    };
    for (const Case& c : cases) {
        ServedFile file(c.text, std::max<std::uint64_t>(c.size, c.text.size()));
        OwnFileBytes bytes(file);
        const ReadBatch read = readBatch(bytes);
        ASSERT_TRUE(read.log.has_value()) << c.what << ": " << read.fault;
        EXPECT_EQ(read.log->steps.size(), steps) << c.what;
        EXPECT_EQ(read.log->ended.has_value(), !c.damaged) << c.what;
        EXPECT_EQ(read.damaged, c.damaged) << c.what;
        EXPECT_EQ(read.validBytes, c.damaged ? plan.size() : c.text.size()) << c.what;
        EXPECT_LE(file.longestRead, OwnFileBytes::pieceSize) << c.what;
    }
    EXPECT_GT(plan.size(), 4 * OwnFileBytes::pieceSize);
}

} // namespace
} // namespace norvane::journal
