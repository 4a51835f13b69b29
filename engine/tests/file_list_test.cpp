// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/file_list.h"
#include "norvane/name_order.h"

#include "temp_folder.h"
#include "faulty_file_system.h"
#include "forwarding_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>

namespace norvane {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

std::vector<std::string> listed(const std::string& folder) {
    FileList list;
    list.setPath(folder);
    return list.names();
}

TEST(FileList, EmptyFolderListsNothing) {
    TempFolder folder;
    FileList list;
    list.setPath(folder.text());
    EXPECT_EQ(list.count(), 0u);
    EXPECT_FALSE(list.error().has_value());
}

TEST(FileList, ListsFilesWithAndWithoutDotsInCaseBlindOrder) {
    TempFolder folder;
    folder.addFiles({"C.txt", "b.txt", "A.txt", "Makefile", "notes."});
    EXPECT_EQ(listed(folder.text()), (std::vector<std::string>{"A.txt", "b.txt", "C.txt", "Makefile", "notes."}));
}

TEST(FileList, OrdersNamesEqualAfterFoldingByTheirBytes) {
#ifdef _WIN32
    GTEST_SKIP() << "a folder on Windows holds one file for all spellings of a name";
#endif
    TempFolder folder;
    folder.addFiles({"photo.jpg", "Photo.jpg", "PHOTO.JPG", "photo.JPG"});
    EXPECT_EQ(listed(folder.text()), (std::vector<std::string>{"PHOTO.JPG", "Photo.jpg", "photo.JPG", "photo.jpg"}));
}

TEST(FileList, LeavesOutHiddenFilesFoldersAndWhatIsNotAFile) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the hidden and system attributes hide a file, not a leading dot, and symbolic "
                    "links need a privilege; the Windows tests set the attributes instead";
#endif
    TempFolder folder;
    folder.addFiles({"plain.txt", ".hidden", ".config.ini", "target.txt"});
    folder.addFolder("sub");
    folder.addFolder("sub.d");
    fs::create_symlink(folder / "target.txt", folder / "link-to-file");
    fs::create_directory_symlink(folder / "sub", folder / "link-to-folder");
    fs::create_symlink(folder / "missing", folder / "dangling");
    EXPECT_EQ(listed(folder.text()), (std::vector<std::string>{"link-to-file", "plain.txt", "target.txt"}));
}

TEST(FileList, KeepsStrangeNamesAsTheirExactBytes) {
    TempFolder folder;
#ifdef _WIN32
    // Windows names are UTF-16 and refuse control characters: these are the strange ones it takes.
    const std::vector<std::string> names = {
        "with space.txt", "caf\xc3\xa9.txt", "\xe6\x97\xa5\xe6\x9c\xac.txt", "\xf0\x9f\x98\x80.txt", std::string(255, 'n'),
    };
#else
    const std::vector<std::string> names = {
        "with space.txt", "new\nline.txt", std::string("not-utf8-\xff\xfe.txt"), "caf\xc3\xa9.txt", std::string(255, 'n'),
    };
#endif
    folder.addFiles(names);
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) { return caseBlindLess(a, b); });
    EXPECT_EQ(listed(folder.text()), expected);
}

TEST(FileList, IsASnapshotUntilRefreshed) {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    FileList list;
    int changes = 0;
    list.onNamesChanged([&] { ++changes; });
    list.setPath(folder.text());
    fs::rename(folder / "a.txt", folder / "b.txt");
    folder.addFile("c.txt");
    EXPECT_EQ(list.names(), std::vector<std::string>{"a.txt"});
    list.refresh();
    EXPECT_EQ(list.names(), (std::vector<std::string>{"b.txt", "c.txt"}));
    EXPECT_EQ(changes, 2);
}

TEST(FileList, TellsBeforeTheNamesChangeAndAfterEvenWhenListingThrows) {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    testing::FaultyFileSystem system;
    FileList list(system);
    // The names each notice found: still the old ones before, the new ones after.
    std::vector<std::vector<std::string>> heard;
    list.onNamesChanging([&] { heard.push_back(list.names()); });
    list.onNamesChanged([&] { heard.push_back(list.names()); });
    list.setPath(folder.text());
    system.listingsThrow();
    EXPECT_THROW(list.refresh(), std::runtime_error);
    EXPECT_EQ(heard, (std::vector<std::vector<std::string>>{{}, {"a.txt"}, {"a.txt"}, {}}));
}

TEST(FileList, FolderThatCannotBeReadListsNothingAndSaysWhy) {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    FileList list;
    list.setPath(folder.text());
    ASSERT_EQ(list.count(), 1u);

    const std::string gone = folder.pathOf("no-such-folder");
    list.setPath(gone);
    EXPECT_EQ(list.count(), 0u);
    ASSERT_TRUE(list.error().has_value());
    EXPECT_EQ(list.error()->folder, gone);
    EXPECT_NE(list.error()->error.number, 0);
    EXPECT_FALSE(list.error()->error.description.empty());

    list.setPath(folder.text());
    EXPECT_FALSE(list.error().has_value());
    EXPECT_EQ(list.count(), 1u);
}

TEST(FileList, AFileIsNotAFolder) {
    TempFolder folder;
    folder.addFile("a.txt");
    FileList list;
    list.setPath(folder.pathOf("a.txt"));
    EXPECT_TRUE(list.error().has_value());
    EXPECT_EQ(list.count(), 0u);
}

TEST(FileList, KeepsThePathWithoutTrailingSeparators) {
    TempFolder folder;
    FileList list;
    list.setPath(folder.text() + testing::separator() + testing::separator());
    EXPECT_EQ(list.path(), folder.text());
    const std::string root = testing::rootOf(folder.text());
    list.setPath(root);
    EXPECT_EQ(list.path(), root);
}

TEST(MatchesPattern, StarDotStarTakesEveryNameAndOthersMatchAsWildcards) {
    struct Case { const char* name; const char* pattern; bool matches; };
    const Case cases[] = {
        {"Makefile", "*.*", true}, {"a.txt", "*.*", true}, {".", "*.*", true},
        {"a.txt", "*.txt", true}, {"a.txt.bak", "*.txt", false}, {"ab.txt", "a?.txt", true},
        {"a.txt", "a?.txt", false}, {"abcabd", "*ab?", true}, {"x", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(matchesPattern(c.name, c.pattern), c.matches) << c.name << " / " << c.pattern;
}

TEST(CaseBlindLess, IsAStrictTotalOrder) {
    const std::vector<std::string> names = {"a", "A", "b", "B", "ab", "aB", "Ab", "_", "[", "\xff", "a.txt", "A.TXT", ""};
    for (const auto& x : names) {
        EXPECT_FALSE(caseBlindLess(x, x)) << x;
        for (const auto& y : names) {
            if (x != y) {
                EXPECT_NE(caseBlindLess(x, y), caseBlindLess(y, x)) << x << " / " << y;
            }
            for (const auto& z : names) {
                if (caseBlindLess(x, y) && caseBlindLess(y, z)) {
                    EXPECT_TRUE(caseBlindLess(x, z)) << x << " / " << y << " / " << z;
                }
            }
        }
    }
}

TEST(CaseBlindKey, OrdersWithTheExactNameAsCaseBlindLessDoes) {
    // '_' and '[' sit between the upper and the lower case letters, so folding
    // decides their place; bytes past ASCII are never folded.
    const std::vector<std::string> names = {"a", "A", "b", "B", "ab", "aB", "Ab", "_", "[", "\xff", "\xc3\xa9", "a.txt",
                                            "A.TXT", "a_b", "A[b", "aZ", "az_", "IMG_0001.JPG", "img_0001.jpg", ""};
    for (const auto& x : names) {
        for (const auto& y : names) {
            const bool byKey = std::pair(caseBlindKey(x), x) < std::pair(caseBlindKey(y), y);
            EXPECT_EQ(byKey, caseBlindLess(x, y)) << x << " / " << y;
        }
    }
}

// Hands over the names it is given, in the order given, for any folder.
class NamesInOrder final : public testing::ForwardingFileSystem {
public:
    std::vector<std::string> names;
    std::optional<platform::SystemError> readFolder(const std::string&, const platform::EntryListed& each) override {
        for (const std::string& name : names) each(name, platform::EntryKind::File, false);
        return std::nullopt;
    }
};

TEST(FileList, OrdersNamesWhateverOrderTheFolderHandsThemOverIn) {
    const std::vector<std::string> sorted{"a.txt", "B.txt", "b.txt", "c.txt", "D.txt", "e.txt"};
    const std::vector<std::vector<std::string>> handedOver{
        sorted,
        {"e.txt", "D.txt", "c.txt", "b.txt", "B.txt", "a.txt"}, // newest first, as tmpfs does
        {"a.txt", "B.txt", "b.txt", "c.txt", "e.txt", "D.txt"}, // in order but for the last two
        {"D.txt", "e.txt", "c.txt", "b.txt", "B.txt", "a.txt"}, // reversed but for the first two
        {"b.txt", "B.txt", "a.txt", "c.txt", "D.txt", "e.txt"},
    };
    for (const std::vector<std::string>& names : handedOver) {
        NamesInOrder system;
        system.names = names;
        FileList list(system);
        list.setPath("anywhere");
        EXPECT_EQ(list.names(), sorted) << "handed over as " << ::testing::PrintToString(names);
    }
}

TEST(FileList, SortsALargeFolderAsCaseBlindLessOrdersIt) {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        const std::string id = std::to_string(i * 7919 % 1000);
        names.push_back((i % 3 == 0 ? "IMG_" : i % 3 == 1 ? "img-" : "Img[") + id + (i % 2 ? ".JPG" : ".jpg"));
        // Beyond the first 16 bytes, and names that differ only in case.
        names.push_back(std::string(i % 2 ? "Holiday Photos 2023 " : "holiday photos 2023_") + id + ".jpg");
        if (i % 10 == 0) names.push_back("HOLIDAY PHOTOS 2023 " + id + ".jpg");
    }
    folder.addFiles(names);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return caseBlindLess(a, b); });
    EXPECT_EQ(listed(folder.text()), names);
}

// What the list assumes after renames it is told of by name is what a fresh
// read of the folder lists: renames in the list's order and in reverse (an
// undo's), into and out of a subfolder, the pattern and hiding, and names
// that differ only in case, where only the exact spelling is the file's.
TEST(FileList, AssumesByNameWhatAFreshReadWouldList) {
    using Renames = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* what;
        std::vector<std::string> files;
        Renames renames;
        std::string pattern = "*.*";
    };
    std::vector<std::string> many;
    Renames forward, backward;
    for (int i = 0; i < 40; ++i) {
        many.push_back("f" + std::to_string(100 + i) + ".txt");
        forward.emplace_back(many.back(), "f" + std::to_string(100 + i) + ".bak");
    }
    for (auto rename = forward.rbegin(); rename != forward.rend(); ++rename) backward.emplace_back(*rename);
    const std::vector<Case> cases{
        {"in the list's order", many, forward},
        {"in reverse, as an undo", many, backward},
        {"every other, out of order", many, {forward[30], forward[2], forward[17], forward[3], forward[39], forward[0]}},
        {"into a subfolder and out of one", {"a.txt", "b.txt", "sub/c.txt"}, {{"a.txt", "sub/a.txt"}, {"sub/c.txt", "c.txt"}}},
        {"out of the pattern and into it", {"a.jpg", "b.png"}, {{"a.jpg", "a.png"}, {"b.png", "b.jpg"}}, "*.jpg"},
#ifndef _WIN32
        // On Windows an attribute hides a file, which a rename keeps (Wine also sets it on a leading dot).
        {"hidden, and out of hiding", {"a.txt", ".b.txt"}, {{"a.txt", ".a.txt"}, {".b.txt", "b.txt"}}},
        {"beside a name that differs in case", {"A.txt", "a.txt", "B.txt"}, {{"a.txt", "c.txt"}, {"B.txt", "b.txt"}}},
#endif
    };
    for (const Case& c : cases) {
        TempFolder folder;
        fs::create_directory(folder / "sub");
        folder.addFiles(c.files);
        FileList list;
        list.setPath(folder.text());
        list.setPattern(c.pattern);
        for (const auto& [from, to] : c.renames) fs::rename(folder / from, folder / to);
        list.assumeRenamed(
            c.renames.size(), [&](std::size_t i) { return std::string_view(c.renames[i].first); },
            [&](std::size_t i) { return std::string_view(c.renames[i].second); });
        const std::vector<std::string> assumed = list.names();
        ASSERT_TRUE(list.refresh());
        EXPECT_EQ(assumed, list.names()) << c.what;
    }
}

// The list's read answers a batch's probes only while the folder holds just
// what it read: each change to its names, or another folder at its path,
// sends the probes to the folder itself.
TEST(FileList, ItsKeptReadAnswersProbesOnlyWhileTheFolderIsUnchanged) {
    struct Change {
        const char* what;
        std::function<void(const TempFolder&)> make;
        platform::PathKind atB; // what "b.txt" is afterwards
    };
    const std::vector<Change> changes = {
        {"none", [](const TempFolder&) {}, platform::PathKind::Absent},
        {"a file made", [](const TempFolder& f) { f.addFile("b.txt"); }, platform::PathKind::File},
        {"a folder made", [](const TempFolder& f) { fs::create_directory(f / "b.txt"); }, platform::PathKind::Folder},
        {"a file renamed", [](const TempFolder& f) { fs::rename(f / "a.txt", f / "b.txt"); }, platform::PathKind::File},
        {"a file moved in", [](const TempFolder& f) { fs::rename(f / "sub" / "in.txt", f / "b.txt"); }, platform::PathKind::File},
        {"a file removed, then made again", [](const TempFolder& f) { fs::remove(f / "a.txt"); f.addFile("b.txt"); },
         platform::PathKind::File},
        {"the folder replaced", [](const TempFolder& f) {
             fs::rename(f / "sub", f / "old");
             fs::create_directory(f / "sub");
             f.addFile("sub/b.txt");
         }, platform::PathKind::File},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        TempFolder top;
        const bool replaced = std::string(change.what) == "the folder replaced";
        fs::create_directory(top / "sub");
        top.addFile("sub/in.txt");
        top.addFiles({"a.txt", "c.txt"});
        FileList list;
        list.setPath(replaced ? top.pathOf("sub") : top.text());
        if (!list.keptReading()) GTEST_SKIP() << "this platform or file system keeps no read of a folder";
        change.make(top);
        const auto folder = platform::nativeFileSystem().openFolder(list.path());
        folder->answerFrom(list.keptReading());
        std::vector<platform::PathKind> kinds;
        const std::vector<std::string> names = {"b.txt", "c.txt"};
        folder->probeNames(names.size(), [&](std::size_t i) { return std::string_view(names[i]); },
                           [&](std::size_t, const platform::PathProbe& probe) { kinds.push_back(probe.kind); });
        EXPECT_EQ(kinds, (std::vector<platform::PathKind>{change.atB, replaced ? platform::PathKind::Absent : platform::PathKind::File}));
        list.endKeptReading();
        EXPECT_FALSE(list.keptReading());
    }
}

} // namespace
} // namespace norvane
