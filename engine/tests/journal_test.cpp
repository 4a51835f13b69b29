// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The journal as a user meets it: a batch taken back after a restart, a
// batch or an undo cut short and settled at the next start, journal files
// that cannot be read set aside, two Norvanes at once. The kill -9 rounds
// are in crash_test.cpp.

#include "norvane/journal.h"
#include "norvane/rename_run.h"

#include "journal/batch_file.h"
#include "journal/records.h"

#include "faulty_file_system.h"
#include "recording_sink.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

namespace norvane {
namespace {

using testing::FaultyFileSystem;
using testing::RecordingSink;
using testing::TempFolder;
using Kind = RenameFailure::Kind;
namespace fs = std::filesystem;

// Every file, in the folder and its subfolders, with its content.
std::map<std::string, std::string> contentsOf(const TempFolder& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path()))
        if (entry.is_regular_file()) {
            const std::string name = testing::toText(entry.path().lexically_relative(folder.path()));
            contents[name] = folder.contentOf(name);
        }
    return contents;
}

std::optional<RenameFailure> runWith(Journal& journal, const TempFolder& folder, Rule rule, const RuleTexts& texts,
                                     platform::FileSystem& fileSystem = platform::nativeFileSystem()) {
    FileList list(fileSystem);
    list.setPath(folder.text());
    RecordingSink sink;
    RenameRun run(rule, list, texts, sink);
    run.setJournal(&journal);
    return run.Run();
}

std::string refusalOf(const Journal::UndoResult& result) {
    if (!result.refusal) return "no refusal";
    return "refused, kind " + std::to_string(static_cast<int>(result.refusal->kind)) +
           (result.refusal->error ? ": " + result.refusal->error->description : std::string());
}

std::size_t batchFiles(const TempFolder& state) {
    return fs::exists(state / "batches") ? TempFolder::namesIn(state / "batches").size() : 0;
}

// The program closed after a batch and started again: Ctrl+Z puts it back.
TEST(Journal, ABatchOfEachRuleComesBackAfterARestart) {
    struct Case {
        Rule rule;
        RuleTexts texts;
    };
    for (const Case& c : {Case{Rule::ReplaceName, {"01.", "b/01."}}, Case{Rule::NumberName, {}}, Case{Rule::ExtensionName, {"", "bak"}},
                          Case{Rule::HeaderName, {}}}) {
        TempFolder folder, state;
        folder.addFolder("b");
        folder.addFiles({"01.a.jpg", "02.Beach.a.jpg", "03.Lyon.jpg"});
        const auto before = contentsOf(folder);
        {
            Journal journal(state.text());
            // A first start: no batches yet is nothing to name, on every system.
            ASSERT_TRUE(journal.open(platform::nativeFileSystem()).setAside.empty()) << captionOf(c.rule);
            ASSERT_FALSE(runWith(journal, folder, c.rule, c.texts).has_value()) << captionOf(c.rule);
        }
        ASSERT_NE(contentsOf(folder), before) << captionOf(c.rule);

        Journal restarted(state.text());
        const Journal::Opening opening = restarted.open(platform::nativeFileSystem());
        EXPECT_TRUE(opening.interrupted.empty() && opening.setAside.empty()) << captionOf(c.rule);
        ASSERT_TRUE(restarted.latest(platform::nativeFileSystem()).has_value());
        EXPECT_EQ(restarted.latest(platform::nativeFileSystem())->what, captionOf(c.rule));
        const Journal::UndoResult undone = restarted.undoLatest(platform::nativeFileSystem());
        ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
        EXPECT_TRUE(undone.outcome->leftAlone.empty()) << describe(*undone.outcome);
        EXPECT_EQ(contentsOf(folder), before) << captionOf(c.rule);
        EXPECT_EQ(batchFiles(state), 0u) << "a batch wholly taken back leaves the journal";
        EXPECT_FALSE(restarted.latest(platform::nativeFileSystem()).has_value());
    }
}

struct Crash : std::runtime_error {
    Crash() : std::runtime_error("the process died here") {}
};

// A batch cut short (a crash stands as an exception from the fourth move,
// so its journal gets no end) is settled at the next start, told, and taken
// back by Ctrl+Z; an undo cut short the same way is settled and finished too.
TEST(Journal, ABatchOrAnUndoCutShortIsSettledAtTheNextStartAndTakenBack) {
    TempFolder folder, state;
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i) names.push_back("photo" + std::to_string(i) + ".jpg");
    folder.addFiles(names);
    const auto before = contentsOf(folder);
    {
        Journal journal(state.text());
        FaultyFileSystem dying;
        dying.beforeMove(4, [] { throw Crash(); });
        EXPECT_THROW(runWith(journal, folder, Rule::ExtensionName, {"", "png"}, dying), Crash);
    }
    Journal restarted(state.text());
    const Journal::Opening opening = restarted.open(platform::nativeFileSystem());
    ASSERT_EQ(opening.interrupted.size(), 1u);
    EXPECT_EQ(opening.interrupted[0].renamed, 3u);
    EXPECT_EQ(opening.interrupted[0].planned, 8u);
    EXPECT_EQ(opening.interrupted[0].folder, folder.text());
    EXPECT_EQ(folder.names().count("photo2.png") + folder.names().count("photo3.jpg"), 2u) << "settling moved nothing";
    EXPECT_EQ(restarted.latest(platform::nativeFileSystem())->files, 3u);

    {
        FaultyFileSystem dying; // the undo goes photo2, photo1, photo0; it dies before the second
        dying.beforeMove(2, [] { throw Crash(); });
        EXPECT_THROW(restarted.undoLatest(dying), Crash);
    }
    Journal again(state.text());
    const Journal::Opening afterUndo = again.open(platform::nativeFileSystem());
    ASSERT_EQ(afterUndo.interrupted.size(), 1u) << "the undo cut short is told";
    EXPECT_TRUE(afterUndo.interrupted[0].undoing);
    EXPECT_EQ(afterUndo.interrupted[0].renamed, 2u) << "still to go";
    EXPECT_EQ(afterUndo.interrupted[0].restored, 1u);
    EXPECT_EQ(afterUndo.interrupted[0].planned, 3u);
    EXPECT_TRUE(Journal(state.text()).open(platform::nativeFileSystem()).interrupted.empty()) << "told once";
    const Journal::UndoResult undone = again.undoLatest(platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
    EXPECT_EQ(undone.outcome->restored, 2u) << describe(*undone.outcome);
    EXPECT_TRUE(undone.outcome->leftAlone.empty()) << describe(*undone.outcome);
    EXPECT_EQ(contentsOf(folder), before);
    EXPECT_EQ(batchFiles(state), 0u);
}

// A journal file that cannot be read never stops the program nor moves a
// file: the readable batches stay undoable, the others are set aside and
// named once. A torn last write, or damage after the plan, leaves the plan
// undoable; a newer format is left where it is for the program that wrote it.
TEST(Journal, FilesThatCannotBeReadAreSetAsideAndNamedOnce) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& file)> spoil;
        bool setAside, left, laterUndoable;
        std::size_t interrupted = 0; // a torn end is a batch stopped in its last write
    };
    const auto cut = [](const fs::path& file, std::uintmax_t bytes) { fs::resize_file(file, fs::file_size(file) - bytes); };
    const auto overwrite = [](const fs::path& file, std::streamoff at, const std::string& bytes) {
        std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(at >= 0 ? at : static_cast<std::streamoff>(fs::file_size(file)) + at);
        out << bytes;
    };
    const Case cases[] = {
        {"its last write torn", [&](const fs::path& f) { cut(f, 3); }, false, false, true, 1},
        {"a byte changed in its plan", [&](const fs::path& f) { overwrite(f, 60, "\x7f"); }, true, false, false},
        {"a byte changed after its plan", [&](const fs::path& f) { overwrite(f, -1, "\x7f"); }, false, false, true},
        {"written by a newer version", [&](const fs::path& f) { overwrite(f, 16, std::string("\x09\0\0\0", 4)); }, true, true, false},
        {"not a journal at all", [&](const fs::path& f) { overwrite(f, 0, "PK\x03\x04"); }, true, false, false},
    };
    for (const Case& c : cases) {
        TempFolder folder, state;
        folder.addFiles({"a.txt", "b.txt"});
        {
            Journal journal(state.text());
            ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"a", "x"}, platform::nativeFileSystem()).has_value());
            ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"b", "y"}, platform::nativeFileSystem()).has_value());
        }
        const std::set<std::string> files = TempFolder::namesIn(state / "batches");
        const fs::path later = state / "batches" / *files.rbegin(); // b -> y
        c.spoil(later);
        const std::string spoiled = state.contentOf("batches/" + *files.rbegin());
        Journal restarted(state.text());
        const Journal::Opening opening = restarted.open(platform::nativeFileSystem());
        ASSERT_EQ(opening.setAside.size(), c.setAside ? 1u : 0u) << c.what;
        EXPECT_EQ(opening.interrupted.size(), c.interrupted) << c.what;
        if (c.setAside) {
            EXPECT_EQ(opening.setAside[0].left, c.left) << c.what;
        }
        EXPECT_EQ(folder.names(), (std::set<std::string>{"x.txt", "y.txt"})) << c.what << ": nothing moved";
        EXPECT_EQ(Journal(state.text()).open(platform::nativeFileSystem()).setAside.size(), c.left ? 1u : 0u) << c.what << ": named once";
        if (c.left) {
            EXPECT_EQ(state.contentOf("batches/" + *files.rbegin()), spoiled) << c.what << ": untouched";
        } else if (c.setAside) {
            EXPECT_EQ(TempFolder::namesIn(state / "set-aside").size(), 1u) << c.what << ": kept, not deleted";
        }
        ASSERT_TRUE(restarted.undoLatest(platform::nativeFileSystem()).outcome.has_value()) << c.what;
        EXPECT_EQ(folder.names(), (std::set<std::string>{c.laterUndoable ? "x.txt" : "a.txt", c.laterUndoable ? "b.txt" : "y.txt"})) << c.what;
    }
}

TEST(Journal, ABatchWhoseJournalCannotBeWrittenDoesNotStart) {
    TempFolder folder, state;
    folder.addFiles({"a.txt", "b.txt"});
    state.addFile("batches", "a file where the journal's folder would be");
    Journal journal(state.text());
    const auto failure = runWith(journal, folder, Rule::ExtensionName, {"", "md"});
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, Kind::JournalUnwritable);
    EXPECT_NE(describe(*failure).find("could not be written"), std::string::npos) << describe(*failure);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt"}));
    Journal nowhere(std::nullopt);
    EXPECT_EQ(runWith(nowhere, folder, Rule::ExtensionName, {"", "md"})->kind, Kind::JournalUnwritable);
}

// Two Norvanes at once: a batch one of them is working on is neither settled
// nor taken back by the other, and a batch is never taken back twice.
TEST(Journal, TwoNorvanesNeverTakeTheSameBatchBackTwice) {
    TempFolder folder, state;
    folder.addFiles({"a.txt", "b.txt", "c.txt"});
    Journal first(state.text()), second(state.text());
    FileList list;
    list.setPath(folder.text());
    RecordingSink sink;
    RenameRun run(Rule::ExtensionName, list, {"", "md"}, sink);
    run.setJournal(&first);
    std::optional<Journal::UndoResult> meanwhile;
    std::optional<Journal::Opening> openedMeanwhile;
    FaultyFileSystem watched;
    run.setProgress([&](const BatchProgress& progress) {
        if (progress.stage == BatchProgress::Stage::Moving && !meanwhile) {
            openedMeanwhile = second.open(platform::nativeFileSystem());
            meanwhile = second.undoLatest(platform::nativeFileSystem());
        }
        return true;
    });
    ASSERT_FALSE(run.Run().has_value());
    ASSERT_TRUE(meanwhile.has_value());
    EXPECT_TRUE(openedMeanwhile->interrupted.empty()) << "a batch under way is not a crashed one";
    EXPECT_FALSE(meanwhile->outcome.has_value()) << "nothing taken back while the batch works";
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.md", "b.md", "c.md"}));

    ASSERT_TRUE(second.undoLatest(platform::nativeFileSystem()).outcome.has_value());
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_FALSE(first.undoLatest(platform::nativeFileSystem()).outcome.has_value()) << "already taken back by the other";
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
}

// A file that cannot come back (another took its new name) is left alone,
// written down as given up, and never offered again, across a restart too.
TEST(Journal, AFileLeftAloneByAnUndoIsNotOfferedAgain) {
    TempFolder folder, state;
    folder.addFiles({"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"});
    {
        Journal journal(state.text());
        ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"IMG", "Trip"}).has_value());
    }
    fs::remove(folder / "Trip_2.jpg");
    folder.addFile("Trip_2.jpg", "a photo saved here since");

    Journal journal(state.text());
    journal.open(platform::nativeFileSystem());
    const Journal::UndoResult undone = journal.undoLatest(platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
    EXPECT_EQ(undone.outcome->restored, 2u) << describe(*undone.outcome);
    ASSERT_EQ(undone.outcome->leftAlone.size(), 1u);
    EXPECT_EQ(undone.outcome->leftAlone[0].oldName, "IMG_2.jpg");
    EXPECT_FALSE(journal.latest(platform::nativeFileSystem()).has_value()) << "nothing left to offer";

    Journal restarted(state.text());
    restarted.open(platform::nativeFileSystem());
    const Journal::UndoResult again = restarted.undoLatest(platform::nativeFileSystem());
    EXPECT_FALSE(again.outcome.has_value()) << describe(*again.outcome);
    EXPECT_FALSE(again.refusal.has_value()) << refusalOf(again);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"IMG_1.jpg", "Trip_2.jpg", "IMG_3.jpg"}));
    EXPECT_EQ(folder.contentOf("Trip_2.jpg"), "a photo saved here since");
    EXPECT_EQ(batchFiles(state), 0u);
}

// A journal of format 1 as the program once wrote it: one step, from -> to, named by its time.
void writeFormat1Batch(const TempFolder& state, const TempFolder& folder, const std::string& from, const std::string& to) {
    const auto file = platform::nativeFileSystem().openFolder(folder.text())->probe(to).identity;
    const platform::FolderProbe about = platform::nativeFileSystem().probeFolder(folder.text());
    journal::PayloadWriter begin, steps, planned, ended;
    begin.signedVarint(1'700'000'000'000'000'000);
    begin.varint(42);
    begin.bytes("Replace");
    begin.bytes(folder.text());
    begin.identity(about.identity);
    begin.u8(about.trust == platform::IdentityTrust::Stable ? 1 : 0);
    begin.varint(1);
    steps.varint(0);
    steps.varint(1);
    steps.bytes(from);
    steps.bytes(to);
    steps.u8(about.trust == platform::IdentityTrust::Stable ? 1 : 0);
    steps.u8(1);
    steps.identity(*file);
    planned.varint(1);
    ended.varint(1);
    std::string text = journal::fileStart();
    text[16] = 1;
    for (const auto& [type, writer] : {std::pair{journal::Begin, &begin}, {journal::Steps, &steps}, {journal::Planned, &planned},
                                       {journal::Ended, &ended}})
        ASSERT_TRUE(journal::appendRecord(text, type, writer->payload()));
    fs::create_directories(state / "batches");
    std::ofstream(state / "batches" / "01700000000000000000-42.norvane-batch", std::ios::binary) << text;
}

// Batches go by a sequence kept in the journal: a clock stepped back, a
// batch of format 1 and a latest batch taken back change nothing of it.
TEST(Journal, BatchesGoBySequenceNeverByTheClock) {
    TempFolder folder, state;
    folder.addFiles({"a.txt", "b.txt", "c.txt", "old.txt"});
    fs::rename(folder / "old.txt", folder / "older.txt");
    writeFormat1Batch(state, folder, "old.txt", "older.txt");
    Journal journal(state.text());
    std::int64_t clock = 2'000'000'000'000'000'000;
    journal.setClock([&] { return clock; });
    ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"a", "x"}).has_value());
    clock -= 3'600'000'000'000; // an hour back
    ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"b", "y"}).has_value());
    std::vector<Journal::Batch> batches = journal.batches(platform::nativeFileSystem());
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].sequence, 2u);
    EXPECT_EQ(batches[0].startedAt, clock);
    EXPECT_EQ(batches[1].sequence, 1u);
    EXPECT_EQ(batches[2].sequence, 0u) << "format 1 below every other";

    ASSERT_TRUE(journal.undoLatest(platform::nativeFileSystem()).outcome.has_value());
    EXPECT_EQ(folder.names(), (std::set<std::string>{"x.txt", "b.txt", "c.txt", "older.txt"})) << "the latest first, whatever its time";
    ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"c", "z"}).has_value());
    EXPECT_EQ(journal.latest(platform::nativeFileSystem())->sequence, 3u) << "a number is never given twice";
    EXPECT_EQ(journal.undo(2, platform::nativeFileSystem()).refusal->kind, Journal::Refusal::Kind::NotKept);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(journal.undoLatest(platform::nativeFileSystem()).outcome.has_value()) << i;
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt", "old.txt"}));
    EXPECT_EQ(batchFiles(state), 0u);
}

TEST(Journal, KeepsTheLatestBatchesWithinItsBound) {
    TempFolder folder, state;
    folder.addFile("0.txt");
    Journal journal(state.text());
    for (std::size_t i = 0; i < Journal::batchesKept + 2; ++i)
        ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {std::to_string(i) + ".", std::to_string(i + 1) + "."}).has_value());
    EXPECT_EQ(batchFiles(state), Journal::batchesKept);
    EXPECT_EQ(journal.undoLatest(platform::nativeFileSystem()).outcome->restored, 1u);
    EXPECT_EQ(folder.names(), std::set<std::string>{std::to_string(Journal::batchesKept + 1) + ".txt"});
}

} // namespace
} // namespace norvane
