// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windows/utf16.h"

namespace norvane::text {

namespace {

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string fromUtf16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t code = units[i];
        if (isHighSurrogate(code) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (char32_t{units[i + 1]} - 0xDC00);
            ++i;
        }
        appendUtf8(out, code); // an unpaired surrogate takes the three-byte form
    }
    return out;
}

std::optional<std::u16string> toUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    bool afterHighSurrogate = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        char32_t code = 0;
        char32_t least = 0; // below this the sequence is overlong
        if (lead < 0x80) {
            length = 1, code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (bytes.size() - i < length) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF) return std::nullopt;
        // A high then a low surrogate, each alone, would read back as one pair.
        if (afterHighSurrogate && isLowSurrogate(code)) return std::nullopt;
        afterHighSurrogate = isHighSurrogate(code);
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

} // namespace norvane::text
