// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One destination can be spelled many ways once a text holds separators:
// 'b', '/b', '//b', './b', 'sub/../b', 'here/b' through a link to the folder.
// The plan check must see two files headed for one place however each is
// spelled, before anything moves, and judge folders as the system reaches them.

#include "norvane/rename_run.h"

#include "temp_folder.h"
#include "shown.h"

#include <gtest/gtest.h>

#include <cctype>

namespace norvane {
namespace {

using testing::TempFolder;
using Kind = RenameFailure::Kind;

struct SilentSink : MessageSink {
    void show(const std::string&) override {}
};

struct SpellingCase {
    const char* what;
    std::vector<std::string> files;
    RuleTexts texts;
    std::optional<std::size_t> duplicateAt; // nullopt: the run completes
    std::set<std::string> namesAfter;
    bool throughLinks = false; // 'here' links to the folder itself, 'linked' to 'sub'
};

void PrintTo(const SpellingCase& c, std::ostream* out) { *out << c.what; }

class SpellingTable : public ::testing::TestWithParam<SpellingCase> {};

TEST_P(SpellingTable, FindsTwoSpellingsOfOneDestination) {
    const SpellingCase& c = GetParam();
#ifdef _WIN32
    if (c.throughLinks) GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    TempFolder folder;
    folder.addFolder("sub");
    folder.addFiles(c.files);
    std::set<std::string> expected = c.namesAfter;
    expected.insert("sub");
    if (c.throughLinks) {
        std::filesystem::create_directory_symlink(".", folder / "here");
        std::filesystem::create_directory_symlink("sub", folder / "linked");
        expected.insert({"here", "linked"});
    }
    FileList list;
    list.setPath(folder.text());
    SilentSink sink;

    const auto failure = norvane::Run(Rule::ReplaceName, list, c.texts, sink);

    if (c.duplicateAt) {
        ASSERT_TRUE(failure.has_value()) << "a second spelling of one name got through";
        EXPECT_EQ(failure->kind, Kind::DuplicateName) << shown(*failure);
        EXPECT_EQ(failure->position, *c.duplicateAt);
        EXPECT_EQ(failure->otherPosition, 0u);
        EXPECT_EQ(failure->renamed, 0u);
    } else {
        EXPECT_FALSE(failure.has_value()) << shown(*failure);
    }
    EXPECT_EQ(folder.names(), expected);
    if (c.duplicateAt) {
        for (const std::string& name : c.files) EXPECT_EQ(folder.contentOf(name), name);
    }
}

INSTANTIATE_TEST_SUITE_P(Spellings, SpellingTable, ::testing::Values(
    SpellingCase{"doubled separators", {"ab", "aab"}, {"a", "/"}, 1, {"ab", "aab"}},
    SpellingCase{"dot steps", {"ab", "aab"}, {"a", "./"}, 1, {"ab", "aab"}},
    SpellingCase{"a step into a folder and back", {"xb", "xxb"}, {"x", "sub/../"}, 1, {"xb", "xxb"}},
    SpellingCase{"one spelling alone still moves", {"ab", "c"}, {"a", "//"}, std::nullopt, {"b", "c"}},
    SpellingCase{"the same name in a subfolder is another place", {"ab", "b"}, {"a", "sub/"}, std::nullopt, {"b"}},
    SpellingCase{"a link to the folder itself", {"ab", "aab"}, {"a", "here/"}, 1, {"ab", "aab"}, true},
    SpellingCase{"through a linked folder", {"a1", "b1"}, {"a", "linked/a"}, std::nullopt, {"b1"}, true}),
    [](const ::testing::TestParamInfo<SpellingCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

} // namespace
} // namespace norvane
