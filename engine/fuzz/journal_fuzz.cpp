// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target: any bytes as a journal file, as a record's payload, and as
// records framed afresh. The reader must stay within the bytes, keep only
// whole records and frame them back to exactly the part it calls good; a
// payload's fields, written again, must give back exactly the bytes read; a
// file cut anywhere keeps every whole record before the cut.

#include "journal/records.h"
#include "require.h"

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
    for (unsigned field = 0; !reader.atEnd(); ++field) {
        const unsigned kind = (seed & 0x80u) ? seed % 5u : (seed + field) % 5u;
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
        } else {
            norvane::platform::FileIdentity value;
            if ((good = reader.identity(value))) again.identity(value);
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
    std::string framed = fileStart();
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    readAsAFile(input);
    if (!input.empty()) readFields(input.substr(1), static_cast<std::uint8_t>(input[0]));
    readFramedAndCut(input);
    return 0;
}
