// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The session's wiring over a real folder: the tree's choice lists the
// files, a run renames and the list follows, and a batch goes back.

#include "norvane/session.h"

#include "recording_sink.h"
#include "temp_folder.h"
#include "shown.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace norvane {
namespace {

using testing::RecordingSink;
using testing::TempFolder;

struct SessionFixture : ::testing::Test {
    TempFolder folder;
    TempFolder state;
    Session session{platform::nativeFileSystem(), state.text()};
    int listings = 0;

    void SetUp() override {
        session.onNamesChanged([this] { ++listings; });
        session.open();
    }
};

TEST_F(SessionFixture, ChoosingAFolderListsItsFilesOnce) {
    folder.addFile("b.txt");
    folder.addFile("a.txt");
    std::filesystem::create_directory(folder / "inner");
    folder.addFile("inner/c.txt");

    session.openFolder(folder.text());
    EXPECT_EQ(session.folders().path(), folder.text());
    EXPECT_EQ(session.files().path(), folder.text());
    EXPECT_EQ(session.files().names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(listings, 1);
    EXPECT_FALSE(session.listingError());

    // The tree's subfolder, chosen as the window does: the file list follows.
    const auto& entries = session.folders().entries();
    const auto inner = std::find_if(entries.begin(), entries.end(), [](const auto& entry) { return entry.name == "inner"; });
    ASSERT_NE(inner, entries.end());
    const std::string innerPath = inner->path; // the entries are the tree's, replaced as it changes
    session.openFolder(innerPath);
    EXPECT_EQ(session.files().path(), folder.pathOf("inner"));
    EXPECT_EQ(session.files().names(), (std::vector<std::string>{"c.txt"}));
    EXPECT_EQ(listings, 2);

    // The folder already current is not listed again.
    session.openFolder(innerPath);
    EXPECT_EQ(listings, 2);
}

TEST_F(SessionFixture, ARunRenamesTheListFollowsAndTakingBackRestores) {
    folder.addFile("trip 1.jpg");
    folder.addFile("trip 2.jpg");
    session.openFolder(folder.text());
    RecordingSink sink;

    const Session::RunResult run = session.run(Rule::ReplaceName, {"trip", "beach"}, sink);
    ASSERT_FALSE(run.failure) << shown(*run.failure);
    EXPECT_EQ(run.renamed, 2u);
    EXPECT_EQ(session.files().names(), (std::vector<std::string>{"beach 1.jpg", "beach 2.jpg"}));
    EXPECT_TRUE(std::filesystem::exists(folder / "beach 1.jpg"));

    const std::optional<Session::Batch> latest = session.latest();
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->files, 2u);
    EXPECT_EQ(session.batches().size(), 1u);

    const Session::TakeBackResult back = session.takeBack(latest->sequence);
    EXPECT_FALSE(back.refusal);
    ASSERT_TRUE(back.outcome);
    EXPECT_EQ(back.outcome->restored, 2u);
    ASSERT_TRUE(session.refresh());
    EXPECT_EQ(session.files().names(), (std::vector<std::string>{"trip 1.jpg", "trip 2.jpg"}));
    EXPECT_FALSE(session.latest());
}

// After a large undo the list shows the names put back at once, while the
// folder is read again apart; the read taken in confirms them. A list of
// another folder is left as it was.
TEST_F(SessionFixture, ALargeUndoShowsTheNamesPutBackWhileTheFolderIsReadAgain) {
    std::vector<std::string> names;
    for (int i = 0; i < 1500; ++i) names.push_back("f" + std::to_string(10000 + i) + ".txt");
    folder.addFiles(names);
    std::filesystem::create_directory(folder / "other");
    folder.addFile("other/x.txt");
    for (const bool listShowsItsFolder : {true, false}) {
        session.openFolder(folder.text());
        RecordingSink sink;
        ASSERT_FALSE(session.run(Rule::ExtensionName, {"", "bak"}, sink).failure);
        if (!listShowsItsFolder) session.openFolder(folder.pathOf("other"));
        const std::vector<std::string> before = session.files().names();
        const int listingsBefore = listings;

        const Session::TakeBackResult back = session.takeBack(session.latest()->sequence);
        ASSERT_TRUE(back.outcome);
        ASSERT_EQ(back.outcome->restored, names.size());
        if (!listShowsItsFolder) {
            EXPECT_FALSE(session.rereading());
            EXPECT_EQ(session.files().names(), before);
            continue;
        }
        if (!session.rereading()) GTEST_SKIP() << "this platform reads no folder on a second thread";
        EXPECT_EQ(session.files().names(), names) << "shown before the read is in";
        EXPECT_EQ(listings, listingsBefore + 1);
        ASSERT_TRUE(session.refresh());
        EXPECT_FALSE(session.rereading());
        EXPECT_EQ(session.files().names(), names);
        EXPECT_EQ(listings, listingsBefore + 1) << "the read found what the list showed";
    }
}

TEST_F(SessionFixture, APreviewOverACopyDoesNotFollowTheList) {
    folder.addFile("trip.jpg");
    session.openFolder(folder.text());
    const auto later = session.previewLater(Rule::ReplaceName, {"trip", "beach"});
    folder.addFile("trip 2.jpg");
    ASSERT_TRUE(session.refresh());
    EXPECT_EQ(later().renamed, 1u);
    EXPECT_EQ(session.preview(Rule::ReplaceName, {"trip", "beach"}).renamed, 2u);
}

TEST_F(SessionFixture, AFolderGoneIsReported) {
    folder.addFile("a.txt");
    std::filesystem::create_directory(folder / "gone");
    folder.addFile("gone/b.txt");
    session.openFolder(folder.pathOf("gone"));
    ASSERT_EQ(session.files().count(), 1u);
    std::filesystem::remove_all(folder / "gone");

    EXPECT_FALSE(session.refresh());
    ASSERT_TRUE(session.listingError());
    EXPECT_EQ(session.listingError()->folder, folder.pathOf("gone"));
    EXPECT_EQ(session.files().count(), 0u);

    // Choosing it anew reports it the same way, and a run there moves nothing.
    session.openFolder(folder.pathOf("never"));
    EXPECT_TRUE(session.listingError());
    RecordingSink sink;
    EXPECT_EQ(session.run(Rule::NumberName, {}, sink).renamed, 0u);
    session.openFolder(folder.text());
    EXPECT_FALSE(session.listingError());
    EXPECT_EQ(session.files().names(), (std::vector<std::string>{"a.txt"}));
}

} // namespace
} // namespace norvane
