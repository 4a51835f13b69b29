// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A record's fields: LEB128 varints, zigzag for signed numbers, byte strings
// after their length. Every value has one encoding only; the reader refuses
// any other, so what it accepts is exactly what the writer would have written.

#include "journal/records.h"

namespace norvane::journal {

namespace {

// Which optional parts of an identity follow.
constexpr std::uint8_t hasBorn = 0x01;
constexpr std::uint8_t hasStamp = 0x02;

std::uint64_t zigzag(std::int64_t value) {
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t unzigzag(std::uint64_t value) {
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1u);
}

} // namespace

void PayloadWriter::u8(std::uint8_t value) { payload_ += static_cast<char>(value); }

void PayloadWriter::varint(std::uint64_t value) {
    // Made whole first and appended at once: a batch's marks write millions of them.
    char bytes[10];
    std::size_t count = 0;
    while (value >= 0x80u) {
        bytes[count++] = static_cast<char>((value & 0x7Fu) | 0x80u);
        value >>= 7;
    }
    bytes[count++] = static_cast<char>(value);
    payload_.append(bytes, count);
}

void PayloadWriter::signedVarint(std::int64_t value) { varint(zigzag(value)); }

void PayloadWriter::bytes(std::string_view value) {
    varint(value.size());
    payload_ += value;
}

void PayloadWriter::identity(const platform::FileIdentity& value) {
    u8(static_cast<std::uint8_t>((value.born ? hasBorn : 0u) | (value.stamp ? hasStamp : 0u)));
    varint(value.id.device);
    varint(value.id.index);
    if (value.born) signedVarint(*value.born);
    if (value.stamp) {
        varint(value.stamp->size);
        signedVarint(value.stamp->modified);
    }
}

bool PayloadReader::fail() {
    failed_ = true;
    rest_ = {};
    return false;
}

bool PayloadReader::u8(std::uint8_t& value) {
    if (failed_ || rest_.empty()) return fail();
    value = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return true;
}

bool PayloadReader::varint(std::uint64_t& value) {
    std::uint64_t result = 0;
    for (unsigned index = 0; index < 10; ++index) {
        std::uint8_t byte = 0;
        if (!u8(byte)) return false;
        if (index == 9 && byte > 1) return fail(); // past 64 bits
        result |= std::uint64_t{byte & 0x7Fu} << (7 * index);
        if ((byte & 0x80u) == 0) {
            if (byte == 0 && index > 0) return fail(); // a longer form than the value needs
            value = result;
            return true;
        }
    }
    return fail(); // not reached: the tenth byte never continues
}

bool PayloadReader::signedVarint(std::int64_t& value) {
    std::uint64_t encoded = 0;
    if (!varint(encoded)) return false;
    value = unzigzag(encoded);
    return true;
}

bool PayloadReader::bytes(std::string_view& value) {
    std::uint64_t length = 0;
    if (!varint(length)) return false;
    if (length > rest_.size()) return fail();
    value = rest_.substr(0, static_cast<std::size_t>(length));
    rest_.remove_prefix(static_cast<std::size_t>(length));
    return true;
}

bool PayloadReader::identity(platform::FileIdentity& value) {
    std::uint8_t flags = 0;
    if (!u8(flags)) return false;
    if ((flags & ~(hasBorn | hasStamp)) != 0) return fail();
    platform::FileIdentity read;
    if (!varint(read.id.device) || !varint(read.id.index)) return false;
    if (flags & hasBorn) {
        std::int64_t born = 0;
        if (!signedVarint(born)) return false;
        read.born = born;
    }
    if (flags & hasStamp) {
        platform::FileStamp stamp;
        if (!varint(stamp.size) || !signedVarint(stamp.modified)) return false;
        read.stamp = stamp;
    }
    value = read;
    return true;
}

namespace {

// The difference of two numbers modulo 2^64, as the signed number it is
// nearest to: exact both ways, whatever the numbers.
std::int64_t difference(std::uint64_t value, std::uint64_t previous) { return static_cast<std::int64_t>(value - previous); }

} // namespace

void IdentityRun::write(PayloadWriter& writer, const platform::FileIdentity& value) {
    writer.u8(static_cast<std::uint8_t>((value.born ? hasBorn : 0u) | (value.stamp ? hasStamp : 0u)));
    writer.signedVarint(difference(value.id.device, device_));
    writer.signedVarint(difference(value.id.index, index_));
    device_ = value.id.device;
    index_ = value.id.index;
    if (value.born) {
        const auto born = static_cast<std::uint64_t>(*value.born);
        writer.signedVarint(difference(born, born_));
        born_ = born;
    }
    if (value.stamp) {
        const auto modified = static_cast<std::uint64_t>(value.stamp->modified);
        writer.varint(value.stamp->size);
        writer.signedVarint(difference(modified, modified_));
        modified_ = modified;
    }
}

bool IdentityRun::read(PayloadReader& reader, platform::FileIdentity& value) {
    std::uint8_t flags = 0;
    if (!reader.u8(flags)) return false;
    if ((flags & ~(hasBorn | hasStamp)) != 0) return reader.fail();
    platform::FileIdentity read;
    std::int64_t device = 0, index = 0;
    if (!reader.signedVarint(device) || !reader.signedVarint(index)) return false;
    read.id.device = device_ + static_cast<std::uint64_t>(device);
    read.id.index = index_ + static_cast<std::uint64_t>(index);
    std::uint64_t born = born_, modified = modified_;
    if (flags & hasBorn) {
        std::int64_t step = 0;
        if (!reader.signedVarint(step)) return false;
        born += static_cast<std::uint64_t>(step);
        read.born = static_cast<std::int64_t>(born);
    }
    if (flags & hasStamp) {
        platform::FileStamp stamp;
        std::int64_t step = 0;
        if (!reader.varint(stamp.size) || !reader.signedVarint(step)) return false;
        modified += static_cast<std::uint64_t>(step);
        stamp.modified = static_cast<std::int64_t>(modified);
        read.stamp = stamp;
    }
    device_ = read.id.device;
    index_ = read.id.index;
    born_ = born;
    modified_ = modified;
    value = read;
    return true;
}

} // namespace norvane::journal
