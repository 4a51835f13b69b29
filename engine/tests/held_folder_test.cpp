// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A batch holds its folder from the check's read to its last move, and undo
// knows that folder again: a link repointed to another folder meanwhile
// changes nothing of where the files go, or come back from.

#include "norvane/rename_run.h"
#include "norvane/undo.h"

#include "faulty_file_system.h"
#include "recording_sink.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

using testing::FaultyFileSystem;
using testing::RecordingSink;
using testing::TempFolder;
namespace fs = std::filesystem;

TEST(HeldFolder, ALinkRepointedMidwayChangesNothingOfWhereFilesGoOrComeBack) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    TempFolder card;
    const std::vector<std::string> names = {"f1.txt", "f2.txt", "f3.txt", "f4.txt"};
    for (const char* side : {"A", "B"}) {
        card.addFolder(std::string(side) + "/sub");
        for (const std::string& name : names) card.addFile(std::string(side) + "/" + name, std::string(side) + name);
    }
    fs::create_directory_symlink("A", card / "shown");
    const auto pointTo = [&](const char* side) {
        fs::remove(card / "shown");
        fs::create_directory_symlink(side, card / "shown");
    };
    FaultyFileSystem faulty;
    FileList list(faulty);
    list.setPath(card.pathOf("shown"));
    faulty.beforeMove(3, [&] { pointTo("B"); });
    RecordingSink sink;
    RenameRun run(Rule::ReplaceName, list, {"f", "sub/g"}, sink);

    ASSERT_FALSE(run.Run().has_value());

    const std::set<std::string> untouched = {"f1.txt", "f2.txt", "f3.txt", "f4.txt", "sub"};
    EXPECT_EQ(TempFolder::namesIn(card / "A"), std::set<std::string>{"sub"});
    EXPECT_EQ(TempFolder::namesIn(card / "A" / "sub"), (std::set<std::string>{"g1.txt", "g2.txt", "g3.txt", "g4.txt"}));
    EXPECT_EQ(TempFolder::namesIn(card / "B"), untouched) << "nothing renamed in the folder the link points to now";
    EXPECT_TRUE(TempFolder::namesIn(card / "B" / "sub").empty());

    // Recorded where its files are, with the link followed: the link pointing elsewhere now changes nothing.
    EXPECT_EQ(run.record().folder, testing::toText(fs::canonical(card / "A")));
    EXPECT_EQ(Undo(run.record()).restored, 4u);
    EXPECT_EQ(TempFolder::namesIn(card / "A"), untouched);
    EXPECT_EQ(TempFolder::namesIn(card / "B"), untouched);
    EXPECT_EQ(card.contentOf("A/f2.txt"), "Af2.txt");
}

} // namespace
} // namespace norvane
