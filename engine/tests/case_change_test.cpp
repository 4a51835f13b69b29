// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A change of letter case alone, over a folder of names in memory that
// ignores case as FAT, exFAT and NTFS do, with moves that fail on demand; and
// the names such file systems cannot hold.

#include "platform/case_change.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace norvane::platform {
namespace {

#ifdef _WIN32
constexpr int exists = 183, refused = 5; // ERROR_ALREADY_EXISTS, ERROR_ACCESS_DENIED
#else
constexpr int exists = 17, refused = 13; // EEXIST, EACCES
#endif

// Names compare by their folded form; a move never replaces.
class CaseBlindFolder {
public:
    std::map<std::string, std::string> names; // folded -> as spelled
    std::set<std::pair<std::string, std::string>> refusedMoves; // fail, and not as taken
    bool keepsOldSpelling = false;              // reports a case change done and keeps the spelling (as Wine does)

    CaseChangeMoves moves() {
        return {[this](std::string_view from, std::string_view to) { return move(std::string(from), std::string(to)); },
                [this](std::string_view name) { return spelled(std::string(name)); },
                [](unsigned attempt) { return ".park-" + std::to_string(attempt); }};
    }
    std::set<std::string> spellings() const {
        std::set<std::string> result;
        for (const auto& [folded, spelled] : names) result.insert(spelled);
        return result;
    }

private:
    std::optional<SystemError> move(const std::string& from, const std::string& to) {
        if (!names.count(foldCase(from))) return SystemError{refused, "not there"};
        if (refusedMoves.count({from, to})) return SystemError{refused, "refused"};
        if (foldCase(from) == foldCase(to)) {
            if (!keepsOldSpelling) names[foldCase(to)] = to;
            return std::nullopt;
        }
        if (names.count(foldCase(to))) return SystemError{exists, "exists"};
        names.erase(foldCase(from));
        names[foldCase(to)] = to;
        return std::nullopt;
    }
    bool spelled(const std::string& name) const {
        const auto found = names.find(foldCase(name));
        return found != names.end() && found->second == name;
    }
};

// The quick answer over plain ASCII agrees with the folded names, and a name
// past ASCII is folded whole.
TEST(CaseChange, TellsAChangeOfCaseAloneFromAnyOtherChange) {
    const struct {
        const char* from;
        const char* to;
        bool caseOnly;
    } cases[] = {
        {"photo.jpg", "PHOTO.JPG", true},     {"photo.jpg", "photo.jpg", false}, {"photo.jpg", "photo.jpeg", false},
        {"photo.jpeg", "photo.jpg", false},   {"ab", "a", false},                {"a", "AB", false},
        {"a_1", "A_2", false},                {"[a]", "{A}", false},             {"sub/a.txt", "sub/A.TXT", true},
        {"sub/a.txt", "SUB/a.txt", false},    {"x/a", "y/A", false},             {"\xc3\xa9t\xc3\xa9", "\xc3\x89T\xc3\x89", true},
        {"a\xc3\xa9", "A\xc3\xa9x", false}, {"", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(changesCaseOnly(c.from, c.to), c.caseOnly) << c.from << " -> " << c.to;
        EXPECT_EQ(changesCaseOnly(c.to, c.from), c.caseOnly) << c.to << " -> " << c.from;
    }
}

TEST(CaseChange, GoesThroughATemporaryNameAndBackWhereTheSecondStepFails) {
    struct Case {
        const char* what;
        bool keepsOldSpelling;
        std::set<std::pair<std::string, std::string>> refused;
        std::set<std::string> taken;
        std::set<std::string> after;
        const char* errorSays; // nullptr: no error
        const char* leftAs = "";
    };
    const Case cases[] = {
        {"the system makes it", false, {}, {}, {"Photo.jpg"}, nullptr},
        {"the system keeps the old spelling", true, {}, {}, {"Photo.jpg"}, nullptr},
        {"the first temporary names are taken", true, {}, {".park-0", ".park-1"}, {"Photo.jpg", ".park-0", ".park-1"}, nullptr},
        {"the second step fails: the file comes back", true, {{".park-0", "Photo.jpg"}}, {}, {"Photo.JPG"}, "refused"},
        {"the second step and the way back fail", true, {{".park-0", "Photo.jpg"}, {".park-0", "Photo.JPG"}}, {}, {".park-0"},
         "refused", ".park-0"},
    };
    for (const Case& c : cases) {
        CaseBlindFolder folder;
        folder.keepsOldSpelling = c.keepsOldSpelling;
        folder.refusedMoves = c.refused;
        folder.names[foldCase("Photo.JPG")] = "Photo.JPG";
        for (const std::string& name : c.taken) folder.names[foldCase(name)] = name;
        const auto error = changeCase("Photo.JPG", "Photo.jpg", folder.moves());
        EXPECT_EQ(folder.spellings(), c.after) << c.what;
        if (!c.errorSays) {
            EXPECT_FALSE(error.has_value()) << c.what << ": " << error->description;
        } else {
            ASSERT_TRUE(error.has_value()) << c.what;
            EXPECT_NE(error->description.find(c.errorSays), std::string::npos) << c.what << ": " << error->description;
            EXPECT_EQ(error->leftAs, c.leftAs) << c.what;
        }
    }
}

TEST(CaseChange, SaysSoWhenEveryTemporaryNameIsTaken) {
    CaseBlindFolder folder;
    folder.keepsOldSpelling = true;
    folder.names[foldCase("a.TXT")] = "a.TXT";
    for (int i = 0; i < 100; ++i) folder.names[foldCase(".park-" + std::to_string(i))] = ".park-" + std::to_string(i);
    const auto error = changeCase("a.TXT", "a.txt", folder.moves());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number, exists);
    EXPECT_EQ(error->reason, SystemError::Reason::NoTemporaryName);
    EXPECT_EQ(error->first, ".park-0");
    EXPECT_EQ(error->last, ".park-99");
    EXPECT_EQ(folder.names[foldCase("a.txt")], "a.TXT");
}

TEST(NamesHeld, WindowsFileSystemsRefuseWhatWindowsCannotOpen) {
    using Why = NotHeld::Why;
    const std::pair<std::string, NotHeld> cases[] = {
        {"12:30 lunch.jpg", {Why::ReservedCharacter, ':'}}, {"report.", {Why::EndsWithDot}}, {"notes ", {Why::EndsWithSpace}},
        {"nul.txt", {Why::DeviceName}}, {"a\x01.txt", {Why::ControlCharacter}},
        {std::string(256, 'n'), {Why::TooLong}}, {"\xff.txt", {Why::NotText}},
    };
    for (const auto& [name, why] : cases) {
        EXPECT_EQ(whyNotHeld(NameRules::Windows, name), why) << name;
        EXPECT_FALSE(whyNotHeld(NameRules::Posix, name).has_value()) << name;
    }
    EXPECT_FALSE(whyNotHeld(NameRules::Windows, "sub/caf\xc3\xa9 12.30.jpg").has_value());
    EXPECT_EQ(whyNotHeld(NameRules::Windows, "sub/a."), NotHeld{Why::EndsWithDot}) << "its last component is judged";
}

} // namespace
} // namespace norvane::platform
