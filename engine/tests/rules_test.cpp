// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/name_parts.h"
#include "norvane/rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvane {
namespace {

// What a rule gave, in one comparable text: the name, "<skip>" or "<missing N>".
std::string outcome(const RuleResult& result) {
    if (const auto* name = std::get_if<NewName>(&result)) return name->name;
    if (std::holds_alternative<Skip>(result)) return "<skip>";
    return "<missing " + std::to_string(std::get<MissingPart>(result).index) + ">";
}

struct RuleCase {
    Rule rule;
    std::string name;
    std::size_t position;
    std::string search;
    std::string replacement;
    std::string expected;
};

void PrintTo(const RuleCase& c, std::ostream* out) {
    *out << "'" << c.name << "' at " << c.position << " search '" << c.search << "' replacement '" << c.replacement << "'";
}

class RuleTable : public ::testing::TestWithParam<RuleCase> {};

TEST_P(RuleTable, GivesTheExpectedOutcome) {
    const RuleCase& c = GetParam();
    EXPECT_EQ(outcome(apply(c.rule, c.name, c.position, RuleTexts{c.search, c.replacement})), c.expected)
        << "name '" << c.name << "' search '" << c.search << "' replacement '" << c.replacement << "'";
}

constexpr Rule R = Rule::ReplaceName;
constexpr Rule N = Rule::NumberName;
constexpr Rule E = Rule::ExtensionName;
constexpr Rule H = Rule::HeaderName;

INSTANTIATE_TEST_SUITE_P(ReplaceName, RuleTable, ::testing::Values(
    RuleCase{R, "holiday.jpg", 0, "holiday", "trip", "trip.jpg"},
    RuleCase{R, "a-b-c.txt", 0, "-", "_", "a_b_c.txt"},          // every occurrence
    RuleCase{R, "Photo.JPG", 0, "jpg", "png", "<skip>"},          // case-sensitive
    RuleCase{R, "notes.txt", 0, "", "x", "notes.txt"},            // empty search: unchanged
    RuleCase{R, "notes.txt", 0, "tes", "tes", "notes.txt"},       // equal texts: unchanged
    RuleCase{R, "aaa", 0, "aa", "b", "ba"},                       // leftmost, non-overlapping
    RuleCase{R, "fox.png", 0, "x", "xy", "foxy.png"},             // inserted text not rescanned
    RuleCase{R, "aabb", 0, "ab", "", "ab"},                       // one pass only
    RuleCase{R, "a.b.c", 0, ".", "", "abc"},
    RuleCase{R, "report.txt", 7, "report", "", ".txt"},
    RuleCase{R, "x", 0, "x", "", ""},                             // empty name: the run refuses it
    RuleCase{R, std::string("caf\xc3\xa9.txt"), 0, "\xc3\xa9", "e", "cafe.txt"},
    RuleCase{R, std::string("bad\xff.txt"), 0, "\xff", "-", "bad-.txt"}));

INSTANTIATE_TEST_SUITE_P(NumberName, RuleTable, ::testing::Values(
    RuleCase{N, "a.txt", 0, "", "", "001.txt"},
    RuleCase{N, "a.txt", 9, "", "", "010.txt"},
    RuleCase{N, "a.txt", 98, "", "", "099.txt"},
    RuleCase{N, "a.txt", 999, "", "", "1000.txt"},
    RuleCase{N, "a.txt", 123455, "", "", "123456.txt"},           // no 16-bit limit
    RuleCase{N, "notes.", 0, "", "", "001."},
    RuleCase{N, "x.txt.bak", 0, "", "", "001.txt"},
    RuleCase{N, "a.b.c", 0, "", "", "001.b"},
    RuleCase{N, ".profile", 0, "", "", "001.profile"},
    RuleCase{N, "Makefile", 0, "", "", "<missing 1>"}));

INSTANTIATE_TEST_SUITE_P(ExtensionName, RuleTable, ::testing::Values(
    RuleCase{E, "archive.tar.gz", 0, "", "zip", "archive.zip"},
    RuleCase{E, "Makefile", 0, "", "bak", "Makefile.bak"},        // never fails
    RuleCase{E, ".profile", 0, "", "bak", ".bak"},
    RuleCase{E, "report.txt", 0, "", "", "report."},
    RuleCase{E, "report.txt", 0, "ignored", "md", "report.md"}));

INSTANTIATE_TEST_SUITE_P(HeaderName, RuleTable, ::testing::Values(
    RuleCase{H, "01.Intro.mp3", 0, "", "", "Intro.mp3"},
    RuleCase{H, "01.Mr. Smith.mp3", 0, "", "", "Mr. Smith"},
    RuleCase{H, "a..b", 0, "", "", ".b"},
    RuleCase{H, "..", 0, "", "", "."},
    RuleCase{H, "song.mp3", 0, "", "", "<missing 2>"},            // part 1 exists, part 2 does not
    RuleCase{H, "song", 0, "", "", "<missing 1>"}));

TEST(NameParts, CutsAtEveryDotKeepingEmptyComponents) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"a", {"a"}},
        {"a.b", {"a", "b"}},
        {".profile", {"", "profile"}},
        {"notes.", {"notes", ""}},
        {"a..b", {"a", "", "b"}},
        {".", {"", ""}},
    };
    for (const auto& [name, expected] : cases) {
        const NameParts parts(name);
        ASSERT_EQ(parts.count(), expected.size()) << name;
        for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(*parts.component(i), expected[i]) << name << " part " << i;
        EXPECT_FALSE(parts.component(expected.size()).has_value()) << name;
    }
}

TEST(SequenceText, PadsToThreeDigitsAndThenGrows) {
    EXPECT_EQ(sequenceText(1), "001");
    EXPECT_EQ(sequenceText(12), "012");
    EXPECT_EQ(sequenceText(123), "123");
    EXPECT_EQ(sequenceText(1234), "1234");
    EXPECT_EQ(sequenceText(40000), "40000");
}

TEST(Rules, OnlyReplaceNameEndsSilently) {
    EXPECT_FALSE(announcesDone(Rule::ReplaceName));
    EXPECT_TRUE(announcesDone(Rule::NumberName));
    EXPECT_TRUE(announcesDone(Rule::ExtensionName));
    EXPECT_TRUE(announcesDone(Rule::HeaderName));
}

} // namespace
} // namespace norvane
