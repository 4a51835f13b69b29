// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Taking a batch back after the folder changed behind it: a file that cannot
// go back stays where it is, named with the reason, and the others go back.
// (That an untouched folder comes back byte for byte is shown by the property
// rounds, for every rule.)

#include "norvane/preview.h"
#include "norvane/progress.h"
#include "norvane/undo.h"

#include "faulty_file_system.h"
#include "forwarding_file_system.h"
#include "recording_sink.h"
#include "temp_folder.h"
#include "shown.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <functional>

namespace norvane {
namespace {

using testing::FaultyFileSystem;
using testing::RecordingSink;
using testing::TempFolder;
using Kind = RenameFailure::Kind;
namespace fs = std::filesystem;

// Runs a rule over a folder and hands back what it moved.
BatchRecord runOver(const TempFolder& folder, Rule rule, const RuleTexts& texts, platform::FileSystem& fileSystem) {
    FileList list(fileSystem);
    list.setPath(folder.text());
    RecordingSink sink;
    RenameRun run(rule, list, texts, sink);
    run.Run();
    return run.takeRecord();
}

struct ChangeCase {
    const char* what;
    std::function<void(const TempFolder&)> change; // made between the run and the undo
    std::size_t restored;
    std::vector<std::pair<std::string, Kind>> leftAlone; // where each stays, and why
    std::map<std::string, std::string> after;            // every file afterwards: name -> content
};

void PrintTo(const ChangeCase& c, std::ostream* out) { *out << c.what; }

class UndoAfterChange : public ::testing::TestWithParam<ChangeCase> {};

// NumberName over a.txt b.txt c.txt gives 001.txt 002.txt 003.txt.
TEST_P(UndoAfterChange, PutsBackWhatItCanAndNamesTheRest) {
    const ChangeCase& c = GetParam();
    TempFolder folder;
    folder.addFiles({"a.txt", "b.txt", "c.txt"});
    const BatchRecord record = runOver(folder, Rule::NumberName, {}, platform::nativeFileSystem());
    ASSERT_EQ(record.size(), 3u);
    c.change(folder);

    const UndoOutcome outcome = Undo(record);

    SCOPED_TRACE(shown(outcome));
    EXPECT_EQ(outcome.restored, c.restored);
    ASSERT_EQ(outcome.leftAlone.size(), c.leftAlone.size());
    for (std::size_t i = 0; i < c.leftAlone.size(); ++i) {
        EXPECT_EQ(outcome.leftAlone[i].name, c.leftAlone[i].first);
        EXPECT_EQ(outcome.leftAlone[i].kind, c.leftAlone[i].second);
    }
    EXPECT_FALSE(outcome.stoppedAt.has_value());
    EXPECT_TRUE(outcome.remaining.empty());
    std::map<std::string, std::string> after;
    for (const std::string& name : folder.names()) after[name] = folder.contentOf(name);
    EXPECT_EQ(after, c.after);
}

INSTANTIATE_TEST_SUITE_P(Undo, UndoAfterChange, ::testing::Values(
    ChangeCase{"nothing changed", [](const TempFolder&) {}, 3, {},
               {{"a.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}}},
    ChangeCase{"a renamed file deleted", [](const TempFolder& f) { fs::remove(f / "002.txt"); }, 2,
               {{"002.txt", Kind::SourceGone}}, {{"a.txt", "a.txt"}, {"c.txt", "c.txt"}}},
    ChangeCase{"an old name taken", [](const TempFolder& f) { f.addFile("a.txt", "new"); }, 2,
               {{"001.txt", Kind::NameTaken}}, {{"001.txt", "a.txt"}, {"a.txt", "new"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}}},
    ChangeCase{"a file replaced under the same name",
               [](const TempFolder& f) {
                   fs::remove(f / "003.txt");
                   f.addFile("003.txt", "other");
               },
               2, {{"003.txt", Kind::SourceReplaced}}, {{"003.txt", "other"}, {"a.txt", "a.txt"}, {"b.txt", "b.txt"}}},
    ChangeCase{"two renamed files swapped by another program",
               [](const TempFolder& f) {
                   fs::rename(f / "001.txt", f / "swap");
                   fs::rename(f / "002.txt", f / "001.txt");
                   fs::rename(f / "swap", f / "002.txt");
               },
               1, {{"002.txt", Kind::SourceReplaced}, {"001.txt", Kind::SourceReplaced}},
               {{"001.txt", "b.txt"}, {"002.txt", "a.txt"}, {"c.txt", "c.txt"}}}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

// '002.txt' 'b.txt' numbered: '002.txt' -> '001.txt', then 'b.txt' -> '002.txt'.
// With 'b.txt' taken by a newcomer, 'b' cannot go back, so '002.txt' is still
// held and '001.txt' cannot have its name back either.
TEST(Undo, AFileThatNeedsTheNameOfOneThatCannotGoBackStaysToo) {
    TempFolder folder;
    folder.addFiles({"002.txt", "b.txt"});
    const BatchRecord record = runOver(folder, Rule::NumberName, {}, platform::nativeFileSystem());
    ASSERT_EQ(folder.names(), (std::set<std::string>{"001.txt", "002.txt"}));
    folder.addFile("b.txt", "newcomer");

    const UndoOutcome outcome = Undo(record);

    EXPECT_EQ(outcome.restored, 0u);
    ASSERT_EQ(outcome.leftAlone.size(), 2u);
    EXPECT_EQ(outcome.leftAlone[0].kind, Kind::NameTaken);
    EXPECT_EQ(outcome.leftAlone[1].kind, Kind::BlockedByAnother);
    EXPECT_EQ(outcome.leftAlone[1].heldBy, "002.txt");
    EXPECT_EQ(outcome.leftAlone[0].name, "002.txt");
    EXPECT_EQ(outcome.leftAlone[0].oldName, "b.txt");
    EXPECT_EQ(outcome.leftAlone[1].name, "001.txt");
    EXPECT_EQ(outcome.leftAlone[1].oldName, "002.txt");
    EXPECT_EQ(folder.names(), (std::set<std::string>{"001.txt", "002.txt", "b.txt"}));
}

// Enough files for the sources to be probed ahead on a second thread: the
// replaced and the deleted file are still told apart, each by its own name.
TEST(Undo, AmongThousandsAReplacedAndADeletedFileAreToldByName) {
    TempFolder folder;
    for (int i = 0; i < 3000; ++i) folder.addFile("f" + std::to_string(i) + ".txt");
    const BatchRecord record = runOver(folder, Rule::ExtensionName, {"", "bak"}, platform::nativeFileSystem());
    ASSERT_EQ(record.size(), 3000u);
    const std::string replaced(record.to(1700)), deleted(record.to(2900));
    fs::remove(folder / replaced);
    folder.addFile(replaced, "other");
    fs::remove(folder / deleted);

    const UndoOutcome outcome = Undo(record);

    EXPECT_EQ(outcome.restored, 2998u);
    ASSERT_EQ(outcome.leftAlone.size(), 2u);
    // Latest first.
    EXPECT_EQ(outcome.leftAlone[0].name, deleted);
    EXPECT_EQ(outcome.leftAlone[0].kind, Kind::SourceGone);
    EXPECT_EQ(outcome.leftAlone[1].name, replaced);
    EXPECT_EQ(outcome.leftAlone[1].kind, Kind::SourceReplaced);
    EXPECT_EQ(folder.names().size(), 2999u);
}

// A folder's folders that look at no file from a second thread: the undo
// then looks at every file before its first move, as a small one does.
class OneThreadFileSystem : public testing::ForwardingFileSystem {
public:
    std::unique_ptr<platform::Folder> openFolder(const std::string& path) override {
        return std::make_unique<testing::ForwardingFolder>(real_.openFolder(path));
    }
};

struct LargeChange {
    const char* what;
    std::function<void(const TempFolder&)> change;
    std::vector<std::pair<std::string, Kind>> leftAlone; // latest first
};

void PrintTo(const LargeChange& c, std::ostream* out) { *out << c.what; }

class LargeUndoAfterChange : public ::testing::TestWithParam<LargeChange> {};

// 520 chains of two: "0007_1.txt" -> "0007_.txt", then "0007_11.txt" ->
// "0007_1.txt". A large undo moves while it looks at its files; whatever it
// finds midway, it must end as the undo that looked first ends.
TEST_P(LargeUndoAfterChange, EndsAsAnUndoThatLookedAtEveryFileFirst) {
    const LargeChange& c = GetParam();
    const auto undoOnce = [&](platform::FileSystem& fileSystem, TempFolder& folder) {
        for (int k = 0; k < 520; ++k) {
            char stem[8];
            std::snprintf(stem, sizeof stem, "%04d", k);
            folder.addFile(std::string(stem) + "_1.txt", std::string(stem) + "_1");
            folder.addFile(std::string(stem) + "_11.txt", std::string(stem) + "_11");
        }
        const BatchRecord record = runOver(folder, Rule::ReplaceName, {"_1", "_"}, platform::nativeFileSystem());
        EXPECT_EQ(record.size(), 1040u);
        c.change(folder);
        // Told in order: once moving, never checking again, and never fewer moved than before.
        std::optional<BatchProgress> last;
        return Undo(record, fileSystem, [&](const BatchProgress& now) {
            if (last && last->stage == BatchProgress::Stage::Moving) {
                EXPECT_EQ(now.stage, BatchProgress::Stage::Moving);
                EXPECT_GE(now.done, last->done);
            }
            last = now;
            return true;
        });
    };
    TempFolder lookingWhileMoving, lookingFirst;
    const UndoOutcome got = undoOnce(platform::nativeFileSystem(), lookingWhileMoving);
    OneThreadFileSystem oneThread;
    const UndoOutcome want = undoOnce(oneThread, lookingFirst);

    SCOPED_TRACE(shown(got));
    EXPECT_EQ(got.restored, 1040u - c.leftAlone.size());
    EXPECT_EQ(got.restored, want.restored);
    ASSERT_EQ(got.leftAlone.size(), c.leftAlone.size());
    ASSERT_EQ(want.leftAlone.size(), c.leftAlone.size());
    for (std::size_t i = 0; i < c.leftAlone.size(); ++i) {
        EXPECT_EQ(got.leftAlone[i].name, c.leftAlone[i].first);
        EXPECT_EQ(got.leftAlone[i].kind, c.leftAlone[i].second);
        EXPECT_EQ(got.leftAlone[i].kind, want.leftAlone[i].kind);
        EXPECT_EQ(got.leftAlone[i].oldName, want.leftAlone[i].oldName);
        EXPECT_EQ(got.leftAlone[i].heldBy, want.leftAlone[i].heldBy);
    }
    EXPECT_TRUE(got.remaining.empty());
    std::map<std::string, std::string> after, wanted;
    for (const std::string& name : lookingWhileMoving.names()) after[name] = lookingWhileMoving.contentOf(name);
    for (const std::string& name : lookingFirst.names()) wanted[name] = lookingFirst.contentOf(name);
    EXPECT_EQ(after, wanted);
}

INSTANTIATE_TEST_SUITE_P(Undo, LargeUndoAfterChange, ::testing::Values(
    LargeChange{"nothing changed", [](const TempFolder&) {}, {}},
    LargeChange{"a renamed file replaced midway",
                [](const TempFolder& f) {
                    fs::remove(f / "0400_1.txt");
                    f.addFile("0400_1.txt", "other");
                },
                {{"0400_1.txt", Kind::SourceReplaced}, {"0400_.txt", Kind::BlockedByAnother}}},
    LargeChange{"a renamed file deleted", [](const TempFolder& f) { fs::remove(f / "0450_.txt"); },
                {{"0450_.txt", Kind::SourceGone}}},
    LargeChange{"an old name taken", [](const TempFolder& f) { f.addFile("0300_11.txt", "new"); },
                {{"0300_1.txt", Kind::NameTaken}, {"0300_.txt", Kind::BlockedByAnother}}},
    LargeChange{"an old name taken, and the file that wants it replaced",
                [](const TempFolder& f) {
                    f.addFile("0300_11.txt", "new");
                    fs::remove(f / "0300_1.txt");
                    f.addFile("0300_1.txt", "other");
                },
                {{"0300_1.txt", Kind::SourceReplaced}, {"0300_.txt", Kind::BlockedByAnother}}},
    LargeChange{"the latest file replaced, and the earliest",
                [](const TempFolder& f) {
                    fs::remove(f / "0519_1.txt");
                    f.addFile("0519_1.txt", "other");
                    fs::remove(f / "0000_.txt");
                    f.addFile("0000_.txt", "other");
                },
                {{"0519_1.txt", Kind::SourceReplaced}, {"0519_.txt", Kind::BlockedByAnother}, {"0000_.txt", Kind::SourceReplaced}}}),
    [](const ::testing::TestParamInfo<LargeChange>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

// A refused move stops the undo; what it did not reach waits for the next one.
TEST(Undo, StoppedMidwayKeepsTheRestForTheNextUndo) {
    TempFolder folder;
    folder.addFiles({"a1", "b1", "c1"});
    const BatchRecord moved = runOver(folder, Rule::ReplaceName, {"1", "2"}, platform::nativeFileSystem());
    ASSERT_EQ(moved.size(), 3u);

    FaultyFileSystem faulty; // the undo goes c, b, a; b is refused
    faulty.refuseMove(2, {static_cast<int>(std::errc::permission_denied), "refused by the test"});
    const UndoOutcome first = Undo(moved, faulty);
    EXPECT_EQ(first.restored, 1u);
    ASSERT_TRUE(first.stoppedAt.has_value());
    EXPECT_EQ(first.stoppedAt->name, "b2");
    ASSERT_EQ(first.remaining.size(), 2u);
    EXPECT_EQ(first.remaining.from(0), "a1") << "kept in the order the batch made them";
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a2", "b2", "c1"}));

    EXPECT_EQ(Undo(first.remaining).restored, 2u);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a1", "b1", "c1"}));
}

TEST(Undo, BringsFilesBackOutOfAnotherFolder) {
    TempFolder folder;
    folder.addFolder("sub");
    folder.addFiles({"a.jpg", "b.jpg"});
    const BatchRecord moved =
        runOver(folder, Rule::ReplaceName, {"a", "sub" + testing::separator() + "a"}, platform::nativeFileSystem());
    ASSERT_EQ(moved.size(), 1u);
    ASSERT_EQ(folder.contentOf("sub" + testing::separator() + "a.jpg"), "a.jpg");

    EXPECT_EQ(Undo(moved).restored, 1u);
    EXPECT_EQ(folder.contentOf("a.jpg"), "a.jpg");
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.jpg", "b.jpg", "sub"}));
}

// A run reports both stages now and then, never per file, and a cancel stops
// it between two moves; what it moved comes back with an undo.
TEST(Progress, CancelStopsBetweenMovesAndUndoTakesThePartBack) {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i) names.push_back("f" + std::to_string(10000 + i) + ".txt");
    folder.addFiles(names);
    FileList list;
    list.setPath(folder.text());
    RecordingSink sink;
    RenameRun run(Rule::ExtensionName, list, {"", "bak"}, sink);
    std::vector<BatchProgress> reports;
    std::size_t stoppedAt = 0;
    run.setProgress([&](const BatchProgress& progress) {
        reports.push_back(progress);
        if (progress.stage != BatchProgress::Stage::Moving || progress.done < 1000) return true;
        stoppedAt = progress.done;
        return false;
    });

    const auto failure = run.Run();

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, Kind::Cancelled);
    EXPECT_EQ(failure->renamed, stoppedAt);
    EXPECT_EQ(run.record().size(), stoppedAt);
    EXPECT_LE(reports.size(), (3000 + stoppedAt) / 16 + 2) << "reported now and then, never per file";
    EXPECT_EQ(reports.front().stage, BatchProgress::Stage::Checking);
    EXPECT_EQ(reports.front().total, 3000u);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(Undo(run.record()).restored, stoppedAt);
    EXPECT_EQ(folder.names(), std::set<std::string>(names.begin(), names.end()));
}

TEST(Preview, SaysWhatARunWouldDoAndMovesNothing) {
    TempFolder folder;
    std::vector<std::string> names;
    for (char c = 'a'; c <= 'k'; ++c) names.push_back(std::string(1, c) + ".jpg");
    names.push_back("notes.txt");
    folder.addFiles(names);
    FileList list;
    list.setPath(folder.text());

    const Preview would = preview(Rule::ExtensionName, list, {"", "png"});
    EXPECT_EQ(would.renamed, 12u);
    EXPECT_EQ(would.leftAlone, 0u);
    ASSERT_EQ(would.first.size(), 8u) << "the first eight are shown";
    EXPECT_EQ(would.first.front(), (std::pair<std::string, std::string>{"a.jpg", "a.png"}));
    EXPECT_EQ(would.first.back(), (std::pair<std::string, std::string>{"h.jpg", "h.png"}));

    const Preview refused = preview(Rule::HeaderName, list, {});
    ASSERT_TRUE(refused.refusal.has_value());
    EXPECT_EQ(refused.refusal->kind, Kind::MissingPart);
    EXPECT_EQ(refused.refusal->name, "a.jpg");
    EXPECT_EQ(refused.refusal->missingPart, 2u);
    const Preview none = preview(Rule::ReplaceName, list, {"zz", "y"});
    EXPECT_EQ(none.renamed, 0u);
    EXPECT_FALSE(none.refusal.has_value());
    EXPECT_EQ(folder.names(), std::set<std::string>(names.begin(), names.end()));
}

} // namespace
} // namespace norvane
