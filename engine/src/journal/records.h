// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The journal's file format: a file start (magic and format version), then
// framed records, each with its length and a CRC-32C. The reader tells a
// write cut short by a crash (a torn tail, to be cut off) from damage (to be
// set aside), and never trusts a length further than the bytes it has.
// docs/journal-format.md describes the layout for readers without this code.

#include "norvane/platform.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::journal {

// 2 keeps the batch's sequence, its volume and what a rename keeps in its
// first record; 3 writes each identity of a run of steps as its difference
// from the one before; 4 says in an undo's start which order it moves in.
// Files of versions 1 to 3 are still read.
constexpr std::uint32_t formatVersion = 4;
// The first version whose UndoBegan says the undo's order.
constexpr std::uint32_t undoOrderSince = 4;
// No writer makes a record longer: a length above it is damage, never a torn write.
constexpr std::uint32_t maxPayload = 64u << 20;

// The first bytes of every journal file: magic and format version.
std::string fileStart();

// Appends one framed record to `out`; false, appending nothing, for a
// payload longer than maxPayload.
[[nodiscard]] bool appendRecord(std::string& out, std::uint8_t type, std::string_view payload);

// Writes a payload's fields in order.
class PayloadWriter {
public:
    void u8(std::uint8_t value);
    void varint(std::uint64_t value);
    void signedVarint(std::int64_t value); // zigzag, so small negative numbers stay short
    void bytes(std::string_view value);    // its length, then its bytes
    void identity(const platform::FileIdentity& value);
    const std::string& payload() const { return payload_; }
    void clear() { payload_.clear(); } // keeps the memory for the next payload

private:
    std::string payload_;
};

// Reads a payload's fields in the order they were written. Each read returns
// false, and the reader stays failed, where the payload ends early or holds
// a value out of range or not in the one form the writer gives it.
class PayloadReader {
public:
    explicit PayloadReader(std::string_view payload) : rest_(payload) {}
    // A temporary string would die before the views the reader hands out.
    template <typename Text>
        requires std::same_as<Text, std::string>
    explicit PayloadReader(Text&&) = delete;
    bool u8(std::uint8_t& value);
    bool varint(std::uint64_t& value);
    bool signedVarint(std::int64_t& value);
    bool bytes(std::string_view& value); // a view into the payload
    bool identity(platform::FileIdentity& value);
    // Whether every byte was read, and read well.
    bool atEnd() const { return !failed_ && rest_.empty(); }

private:
    friend class IdentityRun;
    bool fail();
    std::string_view rest_;
    bool failed_ = false;
};

// Identities one after another in one payload, each written as its
// difference from the one before (from zero for the first): the files of one
// folder are mostly numbered and stamped within moments of one another, so a
// difference takes a byte or three where the whole number takes up to ten.
// Size is written as it is. Read back in the same order, from a fresh run.
class IdentityRun {
public:
    void write(PayloadWriter& writer, const platform::FileIdentity& value);
    bool read(PayloadReader& reader, platform::FileIdentity& value);

private:
    std::uint64_t device_ = 0, index_ = 0, born_ = 0, modified_ = 0; // as written, modulo 2^64
};

struct Record {
    std::uint8_t type = 0;
    std::string_view payload;
};

struct ReadFile {
    enum class State {
        Whole,        // every byte read as records
        TornTail,     // ends in a write cut short; `records` are everything before it
        NotAJournal,  // does not begin with the magic
        NewerVersion, // a format this program does not know; `version` says which
        Damaged,      // `records` are the whole ones before the damage
    };
    State state = State::Whole;
    std::uint32_t version = 0;
    std::vector<Record> records; // views into the text read: it must outlive them
    std::size_t validBytes = 0;  // where the good part ends: a torn tail can be cut there before appending
    std::string fault;           // what is wrong and where, for a message; empty when Whole
};

// Bytes read in bounded pieces: a file is never held whole in memory.
class Bytes {
public:
    virtual ~Bytes() = default;
    virtual std::uint64_t size() const = 0;
    // Up to `length` bytes at `offset`, fewer only at the end; valid until
    // the next call. Empty, with failed() set, where the system refused.
    virtual std::string_view at(std::uint64_t offset, std::size_t length) = 0;
    virtual bool failed() const { return false; }
};

// Goes through the records in order, handing each to `each` (its payload
// valid during the call only); stops early where `each` returns false, as
// at a record whose meaning is damaged (then Damaged, `validBytes` before it).
// `records` of the result stays empty.
// `version` is the file's format.
ReadFile scanRecords(Bytes& bytes, const std::function<bool(const Record&, std::uint32_t version)>& each);

// A text already in memory, as Bytes.
class TextBytes final : public Bytes {
public:
    explicit TextBytes(std::string_view text) : text_(text) {}
    std::uint64_t size() const override { return text_.size(); }
    std::string_view at(std::uint64_t offset, std::size_t length) override {
        return offset >= text_.size() ? std::string_view() : text_.substr(static_cast<std::size_t>(offset), length);
    }

private:
    std::string_view text_;
};

// Never throws, never reads out of bounds, whatever the bytes.
ReadFile readRecords(std::string_view text);
// A temporary string would die before the records' views.
template <typename Text>
    requires std::same_as<Text, std::string>
ReadFile readRecords(Text&&) = delete;

} // namespace norvane::journal
