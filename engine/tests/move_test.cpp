// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/platform.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

namespace norvane {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

platform::FileSystem& disk() { return platform::nativeFileSystem(); }

TEST(Move, MovesAFileAndKeepsItsContent) {
    TempFolder folder;
    folder.addFile("a.txt", "content");
    EXPECT_FALSE(testing::moveFile(folder.pathOf("a.txt"), folder.pathOf("b.txt")).has_value());
    EXPECT_EQ(folder.names(), std::set<std::string>{"b.txt"});
    EXPECT_EQ(folder.contentOf("b.txt"), "content");
}

TEST(Move, NeverReplacesAnything) {
    TempFolder folder;
    folder.addFile("a.txt", "a");
    folder.addFile("b.txt", "b");
    folder.addFolder("sub");
    for (const char* destination : {"b.txt", "sub", "a.txt"}) {
        const auto error = testing::moveFile(folder.pathOf("a.txt"), folder.pathOf(destination));
        ASSERT_TRUE(error.has_value()) << destination;
        EXPECT_NE(error->number, 0);
        EXPECT_FALSE(error->description.empty());
    }
    EXPECT_EQ(folder.contentOf("a.txt"), "a");
    EXPECT_EQ(folder.contentOf("b.txt"), "b");
}

TEST(Move, RefusesAHardLinkOfTheSameFile) {
    // A plain rename() would report success and do nothing.
    TempFolder folder;
    folder.addFile("a.txt");
    fs::create_hard_link(folder / "a.txt", folder / "b.txt");
    EXPECT_TRUE(testing::moveFile(folder.pathOf("a.txt"), folder.pathOf("b.txt")).has_value());
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt"}));
}

TEST(Move, MissingSourceOrFolderIsAFailureThatMovesNothing) {
    TempFolder folder;
    folder.addFile("a.txt");
    EXPECT_TRUE(testing::moveFile(folder.pathOf("none.txt"), folder.pathOf("b.txt")).has_value());
    EXPECT_TRUE(testing::moveFile(folder.pathOf("a.txt"), folder.pathOf("nowhere/b.txt")).has_value());
    EXPECT_EQ(folder.names(), std::set<std::string>{"a.txt"});
}

TEST(Move, RefusesAPathWithANulByte) {
    TempFolder folder;
    folder.addFile("a.txt");
    const auto error = testing::moveFile(folder.pathOf("a.txt"), folder.text() + testing::separator() + std::string("b\0.txt", 6));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(folder.names(), std::set<std::string>{"a.txt"});
}

TEST(Move, MovesASymbolicLinkItselfNotItsTarget) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    TempFolder folder;
    folder.addFile("target.txt");
    fs::create_symlink("target.txt", folder / "link");
    EXPECT_FALSE(testing::moveFile(folder.pathOf("link"), folder.pathOf("renamed")).has_value());
    EXPECT_TRUE(fs::is_symlink(folder / "renamed"));
    EXPECT_EQ(fs::read_symlink(folder / "renamed"), "target.txt");
}

// A second file system for moves that must copy; /dev/shm is one on Linux.
std::optional<fs::path> otherFileSystem(const TempFolder& folder) {
#ifdef _WIN32
    // Under Wine, Z: is the host's root and its /dev/shm a volume of its own;
    // the system copies across volumes on its own, so there is nothing to probe.
    const fs::path shm = "Z:\\dev\\shm";
    if (fs::is_directory(shm) && folder.text().rfind("Z:", 0) != 0) return shm;
    return std::nullopt;
#else
    const fs::path shm = "/dev/shm";
    if (!fs::is_directory(shm)) return std::nullopt;
    folder.addFile("probe");
    std::error_code error;
    fs::rename(folder / "probe", shm / "norvane-probe", error);
    if (!error) {
        fs::remove(shm / "norvane-probe");
        return std::nullopt; // same file system: nothing to learn
    }
    fs::remove(folder / "probe");
    return error == std::errc::cross_device_link ? std::optional<fs::path>(shm) : std::nullopt;
#endif
}

TEST(Move, AcrossFileSystemsCopiesThenRemovesTheSource) {
    TempFolder folder;
    const auto other = otherFileSystem(folder);
    if (!other) GTEST_SKIP() << "no second file system to move to";
    TempFolder away(*other);
    folder.addFile("a.txt", std::string(300000, 'x'));
    fs::permissions(folder / "a.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto written = fs::last_write_time(folder / "a.txt") - std::chrono::hours(24);
    fs::last_write_time(folder / "a.txt", written);

    ASSERT_FALSE(testing::moveFile(folder.pathOf("a.txt"), away.pathOf("b.txt")).has_value());
    EXPECT_TRUE(folder.names().empty());
    EXPECT_EQ(away.contentOf("b.txt"), std::string(300000, 'x'));
#ifndef _WIN32 // Windows keeps no such permission bits
    EXPECT_EQ(fs::status(away / "b.txt").permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    EXPECT_EQ(fs::last_write_time(away / "b.txt"), written);
}

TEST(Move, AcrossFileSystemsNeverReplacesEither) {
    TempFolder folder;
    const auto other = otherFileSystem(folder);
    if (!other) GTEST_SKIP() << "no second file system to move to";
    TempFolder away(*other);
    folder.addFile("a.txt", "mine");
    away.addFile("b.txt", "theirs");
    ASSERT_TRUE(testing::moveFile(folder.pathOf("a.txt"), away.pathOf("b.txt")).has_value());
    EXPECT_EQ(folder.contentOf("a.txt"), "mine");
    EXPECT_EQ(away.contentOf("b.txt"), "theirs");
}

// Sets what happens while a file is copied across file systems, for one test.
struct WhileCopying {
    explicit WhileCopying(std::function<void(const std::string& source)> hook) { platform::testing::onCopying(std::move(hook)); }
    ~WhileCopying() { platform::testing::onCopying(nullptr); }
};

bool saysChanged(const std::optional<platform::SystemError>& error) {
    return error && error->reason == platform::SystemError::Reason::ChangedWhileCopied;
}

using Contents = std::map<std::string, std::string>;
Contents contentsOf(const TempFolder& folder) {
    Contents result;
    for (const std::string& name : folder.names()) result[name] = folder.contentOf(name);
    return result;
}

// Another program works on the file while it is being copied: what it made
// stays at the source, and the copy is taken back, never anyone else's file.
TEST(Move, AcrossFileSystemsASourceChangedDuringTheCopyStaysAndOnlyOurCopyGoes) {
    TempFolder probe;
    const auto other = otherFileSystem(probe);
    if (!other) GTEST_SKIP() << "no second file system to move to";
    using Change = std::function<void(const TempFolder& here, const TempFolder& away)>;
    const Change saveOver = [](const TempFolder& here, const TempFolder&) {
        here.addFile("a.txt.new", "saved");
        fs::rename(here / "a.txt.new", here / "a.txt");
    };
    struct Case {
        const char* what;
        Change change;
        Contents here, away;
        bool changed; // reported as changed, not as gone
    };
    const Case cases[] = {
        {"saved over, as editors do", saveOver, {{"a.txt", "saved"}}, {}, true},
        {"written to at its end", [](auto& here, auto&) { std::ofstream(here / "a.txt", std::ios::app) << "+"; },
         {{"a.txt", "original+"}}, {}, true},
        {"rewritten, same size", [](auto& here, auto&) { std::ofstream(here / "a.txt") << "ORIGINAL"; },
         {{"a.txt", "ORIGINAL"}}, {}, true},
        {"removed", [](auto& here, auto&) { fs::remove(here / "a.txt"); }, {}, {}, false},
        {"saved over, and another file renamed over the copy",
         [&](auto& here, auto& away) {
             saveOver(here, away);
             away.addFile("theirs");
             fs::rename(away / "theirs", away / "b.txt");
         },
         {{"a.txt", "saved"}}, {{"b.txt", "theirs"}}, true},
    };
    for (const Case& c : cases) {
        TempFolder here, away(*other);
        here.addFile("a.txt", "original");
        fs::last_write_time(here / "a.txt", fs::last_write_time(here / "a.txt") - std::chrono::hours(24));
        const WhileCopying hook([&](const std::string&) { c.change(here, away); });
        const auto error = testing::moveFile(here.pathOf("a.txt"), away.pathOf("b.txt"));
        ASSERT_TRUE(error.has_value()) << c.what;
        EXPECT_EQ(saysChanged(error), c.changed) << c.what << ": " << error->description;
        EXPECT_EQ(contentsOf(here), c.here) << c.what;
        EXPECT_EQ(contentsOf(away), c.away) << c.what;
    }
}

TEST(Move, AcrossFileSystemsASymbolicLinkReplacedDuringTheCopyStays) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    TempFolder here;
    const auto other = otherFileSystem(here);
    if (!other) GTEST_SKIP() << "no second file system to move to";
    TempFolder away(*other);
    fs::create_symlink("first", here / "link");
    const WhileCopying hook([&](const std::string&) {
        fs::create_symlink("second", here / "link.new");
        fs::rename(here / "link.new", here / "link");
    });
    EXPECT_TRUE(saysChanged(testing::moveFile(here.pathOf("link"), away.pathOf("link"))));
    EXPECT_EQ(fs::read_symlink(here / "link"), "second");
    EXPECT_TRUE(away.names().empty());
}

TEST(Probe, TellsWhatIsAtAPath) {
    TempFolder folder;
    folder.addFile("a.txt");
    folder.addFolder("sub");
    EXPECT_EQ(testing::probePath(folder.pathOf("a.txt")).kind, platform::PathKind::File);
    EXPECT_EQ(testing::probePath(folder.pathOf("sub")).kind, platform::PathKind::Folder);
    const platform::PathProbe absent = testing::probePath(folder.pathOf("none"));
    EXPECT_EQ(absent.kind, platform::PathKind::Absent);
    EXPECT_FALSE(absent.error.has_value());
    EXPECT_TRUE(testing::probePath(folder.pathOf(std::string(300, 'n'))).error.has_value()); // too long
    EXPECT_TRUE(testing::probePath(folder.pathOf("a.txt/x")).error.has_value());            // not a folder
}

std::vector<platform::PathProbe> probeAll(const std::string& folder, const std::vector<std::string_view>& names) {
    std::vector<platform::PathProbe> probes(names.size());
    disk().openFolder(folder)->probeNames(
        names.size(), [&](std::size_t i) { return names[i]; },
        [&](std::size_t i, const platform::PathProbe& probe) { probes.at(i) = probe; });
    return probes;
}

// Many names at once must answer exactly as one probe per name does, whether
// the folder read answers or the name is probed on its own.
TEST(Probe, ManyNamesOfAFolderAnswerAsOneProbeEach) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX names: raw bytes, a dangling symbolic link, \"/\" between folder and name";
#endif
    TempFolder folder;
    folder.addFiles({"Photo.JPG", "notes.txt", ".hidden", "caf\xc3\xa9.txt"});
    folder.addFolder("sub");
    fs::create_symlink(folder / "missing", folder / "dangling");
    const std::vector<std::string> names = {
        "free.txt", "Photo.JPG", "photo.jpg", "notes.txt", ".hidden", "sub", "dangling", "caf\xc3\xa9.txt",
        "caf\xc3\xa9.TXT", std::string(300, 'n'), std::string(255, 'n'), ".", "..", "", "with space.txt",
        std::string("bad-\xff.txt"),
    };
    const std::vector<std::string_view> views(names.begin(), names.end());
    const std::vector<platform::PathProbe> together = probeAll(folder.text(), views);
    ASSERT_EQ(together.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const platform::PathProbe alone = disk().openFolder(folder.text())->probe(names[i]);
        EXPECT_EQ(together[i].kind, alone.kind) << names[i];
        EXPECT_EQ(together[i].error.has_value(), alone.error.has_value()) << names[i];
    }
    EXPECT_EQ(together[0].kind, platform::PathKind::Absent);
    EXPECT_EQ(together[1].kind, platform::PathKind::File);
    EXPECT_EQ(together[5].kind, platform::PathKind::Folder);
    EXPECT_EQ(together[6].kind, platform::PathKind::Other);
    EXPECT_TRUE(together[9].error.has_value()); // too long for any name
}

TEST(Probe, ManyNamesOfAFolderThatCannotBeReadAreProbedOneByOne) {
    const std::vector<std::string_view> names = {"a.txt"};
    const std::vector<platform::PathProbe> probes = probeAll("/nonexistent-norvane-folder", names);
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_EQ(probes[0].kind, platform::PathKind::Absent);
}

// Probed ahead on another thread, names must still come back in order, each
// answered in full as one probe does, and stop where the caller says.
TEST(Probe, NamesProbedInOrderAnswerInFullAndStopWhenAsked) {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i) names.push_back("f" + std::to_string(i) + (i % 3 == 0 ? ".none" : ".txt"));
    for (const std::string& name : names)
        if (name.ends_with(".txt")) folder.addFile(name);
    const std::unique_ptr<platform::Folder> opened = disk().openFolder(folder.text());
    for (const std::size_t stopAfter : {names.size(), std::size_t{2500}}) {
        std::size_t next = 0;
        opened->probeInOrder(
            names.size(), [&](std::size_t i) { return std::string_view(names.at(i)); },
            [&](std::size_t i, const platform::PathProbe& probe) {
                EXPECT_EQ(i, next++);
                const platform::PathProbe alone = opened->probe(names[i]);
                EXPECT_EQ(probe.kind, alone.kind) << names[i];
                EXPECT_EQ(probe.identity, alone.identity) << names[i];
                return next < stopAfter;
            });
        EXPECT_EQ(next, stopAfter);
    }
}

TEST(ApplicationFolder, IsTheFolderOfThisProgram) {
    const fs::path folder = testing::toPath(platform::applicationFolder());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(folder.is_absolute());
}

} // namespace
} // namespace norvane
