// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windows/utf16.h"

#include <gtest/gtest.h>

namespace norvane::text {
namespace {

struct Both {
    std::string utf8;
    std::u16string utf16;
};

TEST(Utf16, ConvertsBothWaysWithoutLoss) {
    const Both cases[] = {
        {"", u""},
        {"a.txt", u"a.txt"},
        {"caf\xc3\xa9", u"caf\u00e9"},
        {"\xe6\x97\xa5", u"\u65e5"},
        {"\xf0\x9f\x98\x80", u"\U0001F600"},                              // a surrogate pair
        {"\xed\xa0\x80" "x", std::u16string{char16_t(0xD800), u'x'}},     // an unpaired high surrogate
        {"x\xed\xbf\xbf", std::u16string{u'x', char16_t(0xDFFF)}},        // an unpaired low surrogate
        {"\xed\xb0\x80\xed\xa0\x80", std::u16string{char16_t(0xDC00), char16_t(0xD800)}}, // low then high: not a pair
    };
    for (const Both& c : cases) {
        EXPECT_EQ(fromUtf16(c.utf16), c.utf8);
        const auto back = toUtf16(c.utf8);
        ASSERT_TRUE(back.has_value()) << c.utf8;
        EXPECT_EQ(*back, c.utf16) << c.utf8;
    }
}

TEST(Utf16, RefusesWhatIsNotUtf8) {
    const std::string cases[] = {
        "\xff",                   // never a UTF-8 byte
        "\x80",                   // a continuation without a lead
        "\xc3",                   // cut short
        "\xe6\x97",               // cut short
        "\xc0\xaf",               // overlong "/": would smuggle a separator
        "\xe0\x80\xaf",           // overlong "/"
        "\xf4\x90\x80\x80",       // beyond U+10FFFF
        "\xed\xa0\x80\xed\xb0\x80", // a pair spelt as two halves: the four-byte form is the one spelling
    };
    for (const std::string& bytes : cases) EXPECT_FALSE(toUtf16(bytes).has_value()) << ::testing::PrintToString(bytes);
}

TEST(Utf16, EveryUnitSurvivesTheRoundTrip) {
    // Each single unit, and each unit after a high surrogate, where pairing could go wrong.
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        for (const std::u16string& units : {std::u16string(1, char16_t(unit)), std::u16string{char16_t(0xDBFF), char16_t(unit)}}) {
            const auto back = toUtf16(fromUtf16(units));
            ASSERT_TRUE(back.has_value()) << static_cast<unsigned>(unit);
            ASSERT_EQ(*back, units) << static_cast<unsigned>(unit);
        }
    }
}

} // namespace
} // namespace norvane::text
