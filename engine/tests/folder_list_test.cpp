// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/folder_list.h"

#include "temp_folder.h"
#include "faulty_file_system.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

using testing::TempFolder;

std::vector<std::string> subfolderNames(const FolderList& folders) {
    std::vector<std::string> names;
    for (std::size_t i = folders.chainLength(); i < folders.entries().size(); ++i) names.push_back(folders.entries()[i].name);
    return names;
}

TEST(FolderList, ShowsTheChainFromTheRootThenTheSubfolders) {
    TempFolder folder;
    folder.addFolder("beta");
    folder.addFolder("Alpha");
#ifndef _WIN32 // on Windows the attribute hides, tested with the other Windows cases
    folder.addFolder(".hidden");
#endif
    folder.addFile("file.txt");
    FolderList folders;
    folders.setPath(folder.text());

    const auto& entries = folders.entries();
    ASSERT_GE(folders.chainLength(), 2u);
    EXPECT_EQ(entries.front().path, testing::rootOf(folder.text()));
    EXPECT_EQ(entries.front().depth, 0u);
    const FolderEntryView& current = entries[folders.chainLength() - 1];
    EXPECT_EQ(current.path, folder.text());
    EXPECT_EQ(current.name, testing::toText(folder.path().filename()));
    for (std::size_t i = 0; i < folders.chainLength(); ++i) {
        EXPECT_EQ(entries[i].depth, i);
        EXPECT_TRUE(entries[i].open);
    }
    EXPECT_EQ(subfolderNames(folders), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(entries[folders.chainLength()].path, folder.pathOf("Alpha"));
    EXPECT_EQ(entries[folders.chainLength()].depth, folders.chainLength());
}

TEST(FolderList, NotifiesOnlyWhenTheFolderReallyChanges) {
    TempFolder folder;
    folder.addFolder("sub");
    FolderList folders;
    std::vector<std::string> notified;
    folders.onChange([&](const std::string& path) { notified.push_back(path); });
    folders.setPath(folder.text());
    folders.setPath(folder.text() + testing::separator());
    folders.setPath(folder.pathOf("sub"));
    EXPECT_EQ(notified, (std::vector<std::string>{folder.text(), folder.pathOf("sub")}));
}

TEST(FolderList, TellsBeforeTheEntriesChangeAndAfterEvenWhenListingThrows) {
    TempFolder folder;
    folder.addFolder("sub");
    testing::FaultyFileSystem system;
    FolderList folders(system);
    // How many entries each notice found: the old folder's before, the new one's after.
    std::vector<std::size_t> heard;
    folders.onChanging([&] { heard.push_back(folders.entries().size()); });
    folders.onChange([&](const std::string&) { heard.push_back(folders.entries().size()); });
    folders.setPath(folder.text());
    const std::size_t listed = folders.entries().size();
    system.listingsThrow();
    EXPECT_THROW(folders.setPath(folder.pathOf("sub")), std::runtime_error);
    EXPECT_EQ(heard, (std::vector<std::size_t>{0, listed, listed, 0}));
}

TEST(FolderList, RootHasNoDoubledSeparatorInItsSubfolders) {
    FolderList folders;
    const std::string root = testing::rootOf(testing::toText(std::filesystem::temp_directory_path()));
    folders.setPath(root);
    ASSERT_EQ(folders.chainLength(), 1u);
    ASSERT_GT(folders.entries().size(), 1u);
    EXPECT_EQ(folders.entries()[1].path, root + folders.entries()[1].name);
}

TEST(FolderList, UnreadableFolderKeepsItsChainAndSaysWhy) {
    TempFolder folder;
    FolderList folders;
    const std::string gone = folder.pathOf("gone");
    folders.setPath(gone);
    EXPECT_EQ(folders.entries().size(), folders.chainLength());
    EXPECT_EQ(folders.entries().back().path, gone);
    ASSERT_TRUE(folders.error().has_value());
    EXPECT_EQ(folders.error()->folder, gone);
}

TEST(FolderList, DrivesTheFileListThroughItsNotification) {
    TempFolder folder;
    folder.addFolder("sub");
    folder.addFile("sub/inside.txt");
    FolderList folders;
    FileList files;
    folders.onChange([&](const std::string& path) { files.setPath(path); });
    folders.setPath(folder.pathOf("sub"));
    EXPECT_EQ(files.names(), std::vector<std::string>{"inside.txt"});
}

} // namespace
} // namespace norvane
