// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Framing and reading a journal file. A crash can leave the last write cut
// short, and nothing else: a fault anywhere else is damage. The reader tells
// the two apart by these rules (docs/journal-format.md gives them in full):
// a length above maxPayload is damage; a record that runs past the end is a
// torn write unless its bytes already hold a checksum of what precedes it
// (then the record is whole and its length wrong); a bad checksum is a torn
// write only where the file is zero from that checksum to its end, as a file
// whose new size reached the disk before its data reads after a power cut.

#include "journal/records.h"

#include "journal/crc32c.h"

#include <algorithm>

namespace norvane::journal {

namespace {

constexpr std::string_view magic = "NORVANE-JOURNAL\n";
constexpr std::size_t startSize = magic.size() + 4;
constexpr std::size_t headerSize = 5;  // length and type
constexpr std::size_t checksumSize = 4;

void appendU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFFu);
}

std::uint32_t u32At(std::string_view text, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<unsigned char>(text[at + i])} << (8 * i);
    return value;
}

bool allZero(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

// Whether a record that runs past the end holds, after its type and some of
// its payload, the checksum of exactly those: then it is whole, and its length
// was damaged rather than its write cut short. One pass over what is there.
bool holdsAnEarlierEnd(std::string_view record) {
    Crc32c crc;
    crc.update(record.substr(4, 1)); // the type
    for (std::size_t at = headerSize; at + checksumSize <= record.size(); ++at) {
        if (u32At(record, at) == crc.value()) return true;
        crc.update(record.substr(at, 1));
    }
    return false;
}

ReadFile ended(ReadFile file, ReadFile::State state, std::string fault) {
    file.state = state;
    file.fault = std::move(fault);
    return file;
}

std::string at(std::uint64_t offset) { return " at byte " + std::to_string(offset); }

} // namespace

std::string fileStart() {
    std::string start(magic);
    appendU32(start, formatVersion);
    return start;
}

bool appendRecord(std::string& out, std::uint8_t type, std::string_view payload) {
    if (payload.size() > maxPayload) return false;
    appendU32(out, static_cast<std::uint32_t>(payload.size()));
    out += static_cast<char>(type);
    const std::size_t typeAt = out.size() - 1;
    out += payload;
    appendU32(out, crc32c(std::string_view(out).substr(typeAt)));
    return true;
}

namespace {

// Whether every byte from `offset` to the end is zero, read a piece at a time.
bool zeroFrom(Bytes& bytes, std::uint64_t offset) {
    constexpr std::size_t piece = 1 << 20;
    for (std::uint64_t at = offset; at < bytes.size(); at += piece) {
        const std::string_view part = bytes.at(at, piece);
        if (part.empty() || !allZero(part)) return false;
    }
    return true;
}

} // namespace

ReadFile scanRecords(Bytes& bytes, const std::function<bool(const Record&, std::uint32_t version)>& each) {
    ReadFile file;
    const std::uint64_t size = bytes.size();
    const std::string_view start = bytes.at(0, startSize);
    const std::size_t magicPart = std::min(start.size(), magic.size());
    if (start.substr(0, magicPart) != magic.substr(0, magicPart))
        return ended(std::move(file), ReadFile::State::NotAJournal, "not a journal: it does not begin with NORVANE-JOURNAL");
    if (start.size() < startSize)
        return ended(std::move(file), ReadFile::State::TornTail, "the file ends inside its start (a write cut short)");
    file.version = u32At(start, magic.size());
    if (file.version > formatVersion)
        return ended(std::move(file), ReadFile::State::NewerVersion,
                     "written in format " + std::to_string(file.version) + " by a newer version of the program, which this one (format " +
                         std::to_string(formatVersion) + ") cannot read");
    if (file.version == 0) return ended(std::move(file), ReadFile::State::Damaged, "unknown format version 0");

    std::uint64_t offset = startSize;
    file.validBytes = offset;
    while (offset < size) {
        const std::string_view header = bytes.at(offset, headerSize);
        if (header.size() < headerSize)
            return ended(std::move(file), ReadFile::State::TornTail, "the file ends inside the record" + at(offset) + " (a write cut short)");
        const std::uint32_t length = u32At(header, 0);
        if (length > maxPayload)
            return ended(std::move(file), ReadFile::State::Damaged, "impossible length " + std::to_string(length) + " in the record" + at(offset));
        const std::size_t checksumAt = headerSize + length;
        const std::string_view rest = bytes.at(offset, checksumAt + checksumSize);
        if (checksumAt + checksumSize > rest.size()) {
            if (holdsAnEarlierEnd(rest)) return ended(std::move(file), ReadFile::State::Damaged, "wrong length in the record" + at(offset));
            return ended(std::move(file), ReadFile::State::TornTail, "the file ends inside the record" + at(offset) + " (a write cut short)");
        }
        if (u32At(rest, checksumAt) != crc32c(rest.substr(4, 1 + length))) {
            if (zeroFrom(bytes, offset + checksumAt))
                return ended(std::move(file), ReadFile::State::TornTail, "the record" + at(offset) + " was never written in full (a write cut short)");
            return ended(std::move(file), ReadFile::State::Damaged, "bad checksum in the record" + at(offset));
        }
        const std::uint8_t type = static_cast<std::uint8_t>(rest[4]);
        if (!each(Record{type, rest.substr(headerSize, length)}, file.version))
            return ended(std::move(file), ReadFile::State::Damaged,
                         "a record of type " + std::to_string(type) + " does not hold together" + at(offset));
        offset += checksumAt + checksumSize;
        file.validBytes = offset;
    }
    return file;
}

ReadFile readRecords(std::string_view text) {
    TextBytes bytes(text);
    std::vector<Record> records;
    ReadFile file = scanRecords(bytes, [&](const Record& record, std::uint32_t) {
        records.push_back(record); // views into `text`, which outlives them
        return true;
    });
    file.records = std::move(records);
    return file;
}

} // namespace norvane::journal
