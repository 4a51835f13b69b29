// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Failures that arrive after the plan was checked: each must stop the run at
// the right file, say so exactly, and leave every file whole under exactly one
// name, the files before it renamed and the rest not.

#include "norvane/rename_run.h"

#include "faulty_file_system.h"
#include "recording_sink.h"
#include "temp_folder.h"
#include "shown.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <system_error>

namespace norvane {
namespace {

using testing::FaultyFileSystem;
using testing::TempFolder;
using Kind = RenameFailure::Kind;
namespace fs = std::filesystem;

using testing::RecordingSink;

const platform::SystemError accessDenied{static_cast<int>(std::errc::permission_denied), "injected: no permission"};
const platform::SystemError diskFull{static_cast<int>(std::errc::no_space_on_device), "injected: disk full"};
const platform::SystemError ioError{static_cast<int>(std::errc::io_error), "injected: input/output error"};

// Path and content of every regular file under `root`, relative to it.
std::map<std::string, std::string> filesUnder(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().lexically_relative(root).generic_string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// Whether `number` is how the platform reports `condition`.
bool means(int number, std::errc condition) { return std::error_code(number, std::system_category()) == condition; }

struct FaultCase {
    const char* what;
    Rule rule;
    RuleTexts texts;
    std::vector<std::string> files;
    std::function<void(FaultyFileSystem&, const TempFolder& stash)> inject;
    // The failure expected.
    Kind kind;
    std::size_t position;
    std::optional<std::string> newName;
    std::function<bool(const platform::SystemError&)> errorIs;
    std::size_t renamed;
    // Every file afterwards, path -> content, in the folder and in the stash.
    std::map<std::string, std::string> folderAfter;
    std::map<std::string, std::string> stashAfter = {};
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.what; }

std::function<bool(const platform::SystemError&)> exactly(const platform::SystemError& expected) {
    return [expected](const platform::SystemError& error) {
        return error.number == expected.number && error.description == expected.description;
    };
}

std::function<bool(const platform::SystemError&)> meaning(std::errc condition) {
    return [condition](const platform::SystemError& error) { return means(error.number, condition) && !error.description.empty(); };
}

const std::vector<std::string> albums{"1.a.mp3", "2.b.mp3", "3.c.mp3", "4.d.mp3", ".hidden.x.y"};

class FaultTable : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTable, StopsAtTheRightFileAndLosesNothing) {
    const FaultCase& c = GetParam();
    TempFolder folder;
    TempFolder stash;
    folder.addFiles(c.files);
    folder.addFolder("sub");
    folder.addFile("sub/inner.a.b", "inner");

    FaultyFileSystem faulty;
    FileList list(faulty);
    list.setPath(folder.text());
    const std::vector<std::string> listedBefore = list.names();
    c.inject(faulty, stash);
    RecordingSink sink;

    const auto failure = norvane::Run(c.rule, list, c.texts, sink);

    ASSERT_TRUE(failure.has_value());
    SCOPED_TRACE(shown(*failure));
    EXPECT_EQ(failure->kind, c.kind);
    EXPECT_FALSE(failure->beforeAnyMove());
    EXPECT_EQ(failure->position, c.position);
    EXPECT_EQ(failure->count, listedBefore.size());
    EXPECT_EQ(failure->newName, c.newName);
    EXPECT_EQ(failure->renamed, c.renamed);
    EXPECT_EQ(failure->renamed, faulty.movesDone());
    ASSERT_TRUE(failure->error.has_value());
    EXPECT_TRUE(c.errorIs(*failure->error)) << failure->error->number << ": " << failure->error->description;
    if (c.kind == Kind::MoveRefused) {
        EXPECT_EQ(failure->name, listedBefore.at(c.position));
        EXPECT_EQ(list.names(), listedBefore) << "a failed run does not refresh the list";
    }
    EXPECT_TRUE(sink.shown.empty()) << "no \"Done!\" after a failure";

    std::map<std::string, std::string> expected = c.folderAfter;
    expected["sub/inner.a.b"] = "inner";
    EXPECT_EQ(filesUnder(folder.path()), expected);
    EXPECT_EQ(filesUnder(stash.path()), c.stashAfter);
}

const Rule R = Rule::ReplaceName, N = Rule::NumberName, H = Rule::HeaderName;

INSTANTIATE_TEST_SUITE_P(Faults, FaultTable, ::testing::Values(
    FaultCase{"first move refused", H, {}, albums,
              [](FaultyFileSystem& f, const TempFolder&) { f.refuseMove(1, accessDenied); },
              Kind::MoveRefused, 0, "a.mp3", exactly(accessDenied), 0,
              {{"1.a.mp3", "1.a.mp3"}, {"2.b.mp3", "2.b.mp3"}, {"3.c.mp3", "3.c.mp3"}, {"4.d.mp3", "4.d.mp3"}, {".hidden.x.y", ".hidden.x.y"}}},
    FaultCase{"third move refused", H, {}, albums,
              [](FaultyFileSystem& f, const TempFolder&) { f.refuseMove(3, ioError); },
              Kind::MoveRefused, 2, "c.mp3", exactly(ioError), 2,
              {{"a.mp3", "1.a.mp3"}, {"b.mp3", "2.b.mp3"}, {"3.c.mp3", "3.c.mp3"}, {"4.d.mp3", "4.d.mp3"}, {".hidden.x.y", ".hidden.x.y"}}},
    FaultCase{"last move refused", H, {}, albums,
              [](FaultyFileSystem& f, const TempFolder&) { f.refuseMove(4, diskFull); },
              Kind::MoveRefused, 3, "d.mp3", exactly(diskFull), 3,
              {{"a.mp3", "1.a.mp3"}, {"b.mp3", "2.b.mp3"}, {"c.mp3", "3.c.mp3"}, {"4.d.mp3", "4.d.mp3"}, {".hidden.x.y", ".hidden.x.y"}}},
    // Skipped and unchanged files are not moves: the second move is the file at position 3.
    FaultCase{"a refused move after skipped files", R, {"a", "z"}, {"a1.txt", "b.txt", "ca.txt", "da.txt"},
              [](FaultyFileSystem& f, const TempFolder&) { f.refuseMove(2, accessDenied); },
              Kind::MoveRefused, 2, "cz.txt", exactly(accessDenied), 1,
              {{"z1.txt", "a1.txt"}, {"b.txt", "b.txt"}, {"ca.txt", "ca.txt"}, {"da.txt", "da.txt"}}},
    FaultCase{"a destination appears after the check", H, {}, albums,
              [](FaultyFileSystem& f, const TempFolder&) { f.occupyDestinationBeforeMove(2, "someone else's"); },
              Kind::MoveRefused, 1, "b.mp3", meaning(std::errc::file_exists), 1,
              {{"a.mp3", "1.a.mp3"}, {"b.mp3", "someone else's"}, {"2.b.mp3", "2.b.mp3"}, {"3.c.mp3", "3.c.mp3"},
               {"4.d.mp3", "4.d.mp3"}, {".hidden.x.y", ".hidden.x.y"}}},
    FaultCase{"a name an earlier move freed is taken again", N, {}, {"002.txt", "b.txt"},
              [](FaultyFileSystem& f, const TempFolder&) { f.occupyDestinationBeforeMove(2, "intruder"); },
              Kind::MoveRefused, 1, "002.txt", meaning(std::errc::file_exists), 1,
              {{"001.txt", "002.txt"}, {"002.txt", "intruder"}, {"b.txt", "b.txt"}}},
    FaultCase{"the source vanishes before its move", H, {}, albums,
              [](FaultyFileSystem& f, const TempFolder& stash) { f.takeSourceBeforeMove(3, stash / "taken"); },
              Kind::MoveRefused, 2, "c.mp3", meaning(std::errc::no_such_file_or_directory), 2,
              {{"a.mp3", "1.a.mp3"}, {"b.mp3", "2.b.mp3"}, {"4.d.mp3", "4.d.mp3"}, {".hidden.x.y", ".hidden.x.y"}},
              {{"taken", "3.c.mp3"}}},
    FaultCase{"the folder becomes unreadable before the refresh", H, {}, albums,
              [](FaultyFileSystem& f, const TempFolder&) { f.unreadableAfterMoves(4, accessDenied); },
              Kind::RefreshFailed, 4, std::nullopt, exactly(accessDenied), 4,
              {{"a.mp3", "1.a.mp3"}, {"b.mp3", "2.b.mp3"}, {"c.mp3", "3.c.mp3"}, {"d.mp3", "4.d.mp3"}, {".hidden.x.y", ".hidden.x.y"}}},
    FaultCase{"unreadable before the refresh of a run that moved nothing", R, {"nowhere", "x"}, {"a.txt"},
              [](FaultyFileSystem& f, const TempFolder&) { f.unreadableAfterMoves(0, ioError); },
              Kind::RefreshFailed, 1, std::nullopt, exactly(ioError), 0, {{"a.txt", "a.txt"}}}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(Faults, ARefusedMoveIsReportedWithTheFileAndHowManyWereRenamed) {
    TempFolder folder;
    folder.addFiles({"1.a.mp3", "2.b.mp3", "3.c.mp3"});
    FaultyFileSystem faulty;
    FileList list(faulty);
    list.setPath(folder.text());
    faulty.refuseMove(2, accessDenied);
    RecordingSink sink;

    const auto failure = norvane::Run(Rule::HeaderName, list, {}, sink);

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, Kind::MoveRefused) << shown(*failure);
    EXPECT_EQ(failure->name, "2.b.mp3");
    EXPECT_EQ(failure->position, 1u);
    EXPECT_EQ(failure->count, 3u);
    ASSERT_TRUE(failure->error.has_value());
    EXPECT_EQ(failure->error->description, accessDenied.description);
    EXPECT_EQ(failure->renamed, 1u);
    ASSERT_EQ(faulty.movesAsked().size(), 2u) << "the run stops at the refused move";
    EXPECT_EQ(faulty.movesAsked()[1].first, JoinPath(folder.text(), "2.b.mp3"));
    EXPECT_EQ(faulty.movesAsked()[1].second, JoinPath(folder.text(), "b.mp3"));
}

// "c.md" already has its new name: the batch renames two files of three, and says so.
TEST(Faults, AnUnreadableFolderAfterARunSaysHowManyFilesWereRenamed) {
    TempFolder folder;
    folder.addFiles({"a.txt", "b.txt", "c.md"});
    FaultyFileSystem faulty;
    FileList list(faulty);
    list.setPath(folder.text());
    faulty.unreadableAfterMoves(2, ioError);
    RecordingSink sink;

    const auto failure = norvane::Run(Rule::ExtensionName, list, {"", "md"}, sink);

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, Kind::RefreshFailed);
    EXPECT_EQ(failure->name, list.path());
    ASSERT_TRUE(list.error().has_value()) << "the list shows why it is empty";
    EXPECT_EQ(list.error()->error.number, ioError.number);
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(failure->renamed, 2u) << shown(*failure);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.md", "b.md", "c.md"}));
}

} // namespace
} // namespace norvane
