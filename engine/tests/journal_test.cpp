// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The journal as a user meets it: a batch taken back after a restart, a
// batch or an undo cut short and settled at the next start, journal files
// that cannot be read set aside, two Norvanes at once. The kill -9 rounds
// are in crash_test.cpp.

#include "norvane/journal.h"
#include "norvane/rename_run.h"
#include "norvane/take_back.h"

#include "identity/same_file.h"
#include "journal/batch_file.h"
#include "journal/records.h"

#include "faulty_file_system.h"
#include "recording_sink.h"
#include "temp_folder.h"
#include "shown.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#ifndef _WIN32
#include <unistd.h> // chown, geteuid
#endif

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

std::string refusalOf(const TakeBackResult& result) {
    if (!result.refusal) return "no refusal";
    return "refused, kind " + std::to_string(static_cast<int>(result.refusal->kind)) +
           (result.refusal->error ? ": " + result.refusal->error->description : std::string());
}

// A folder as a card shows it: its volume's name, and what a sync of its names promises, as a test sets them.
struct Card {
    std::optional<std::string> volume;
    platform::Durability::Answer durability = platform::Durability::Answer::Durable;
};

class CardFolder final : public testing::ForwardingFolder {
public:
    CardFolder(std::unique_ptr<platform::Folder> real, const Card& card) : ForwardingFolder(std::move(real)), card_(card) {}
    std::optional<std::string> volumeId() override { return card_.volume; }
    platform::Durability makeNamesDurable() override { return {card_.durability, std::nullopt}; }

private:
    const Card& card_;
};

// The card is the folder `path` and what lies in it; other folders are the disk's.
class CardFileSystem final : public testing::ForwardingFileSystem {
public:
    Card card;
    std::string path;
    std::unique_ptr<platform::Folder> openFolder(const std::string& folder) override {
        if (!path.empty() && folder.rfind(path, 0) != 0) return real_.openFolder(folder);
        return std::make_unique<CardFolder>(real_.openFolder(folder), card);
    }
};

// An empty file stamped as the program's own placeholders are.
void addPlaceholder(const TempFolder& folder, const std::string& name) {
    std::ofstream(folder / name, std::ios::binary).close();
    const std::chrono::sys_time<std::chrono::nanoseconds> stamp{std::chrono::nanoseconds(platform::placeholderTime)};
    fs::last_write_time(folder / name, fs::file_time_type::clock::from_sys(stamp));
}

std::vector<std::string> photos(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back("p" + std::to_string(i) + ".jpg");
    return names;
}

std::size_t batchFiles(const TempFolder& state) {
    return fs::exists(state / "batches") ? TempFolder::namesIn(state / "batches").size() : 0;
}

// The program closed after a batch and started again: Ctrl+Z puts it back,
// latest first where a file took the name another left.
TEST(Journal, ABatchOfEachRuleComesBackAfterARestart) {
    struct Case {
        Rule rule;
        RuleTexts texts;
        std::vector<std::string> files = {"01.a.jpg", "02.Beach.a.jpg", "03.Lyon.jpg"};
    };
    for (const Case& c : {Case{Rule::ReplaceName, {"01.", "b/01."}}, Case{Rule::NumberName, {}}, Case{Rule::ExtensionName, {"", "bak"}},
                          Case{Rule::HeaderName, {}}, Case{Rule::ReplaceName, {"_1", "_"}, {"x_1.jpg", "x_11.jpg", "y_1.jpg"}}}) {
        TempFolder folder, state;
        folder.addFolder("b");
        folder.addFiles(c.files);
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
        const TakeBackResult undone = takeBackLatest(restarted, platform::nativeFileSystem());
        ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
        EXPECT_TRUE(undone.outcome->leftAlone.empty()) << shown(*undone.outcome);
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
// A large batch's moves are marked as it goes, not only at its end: a crash
// in the middle leaves the files it moved known by what was found of them.
TEST(Journal, ALargeBatchIsMarkedWhileItMoves) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows: the journal holds its batch's file unshared, so it is not read while the batch moves";
#endif
    TempFolder folder, state;
    for (int i = 0; i < 3000; ++i) folder.addFile("f" + std::to_string(10000 + i) + ".txt");
    Journal journal(state.text());
    const auto batchFile = [&] {
        const std::set<std::string> files = TempFolder::namesIn(state / "batches");
        std::ifstream in(state / "batches" / *files.rbegin(), std::ios::binary);
        return journal::readBatch(std::string(std::istreambuf_iterator<char>(in), {}));
    };
    FileList list;
    list.setPath(folder.text());
    RecordingSink sink;
    RenameRun run(Rule::ExtensionName, list, {"", "bak"}, sink);
    run.setJournal(&journal);
    std::uint64_t markedWhileMoving = 0;
    bool looked = false;
    run.setProgress([&](const BatchProgress& progress) {
        if (progress.stage != BatchProgress::Stage::Moving || progress.done < 2500 || looked) return true;
        looked = true;
        // The marks trail the moves: given time, they pass the first thousand.
        for (int wait = 0; wait < 1000 && markedWhileMoving < 1024; ++wait) {
            const journal::ReadBatch read = batchFile();
            if (read.log) markedWhileMoving = read.log->marked;
            if (markedWhileMoving < 1024) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    });
    ASSERT_FALSE(run.Run().has_value());
    EXPECT_GE(markedWhileMoving, 1024u);
    EXPECT_LT(markedWhileMoving, 3000u);
    const journal::ReadBatch read = batchFile();
    ASSERT_TRUE(read.log.has_value());
    EXPECT_EQ(read.log->marked, 3000u);
    EXPECT_EQ(read.log->ended, std::optional<std::uint64_t>(3000));
    for (std::size_t i = 0; i < run.record().size(); ++i)
        ASSERT_EQ(read.log->steps.file(i), run.record().file(i)) << run.record().to(i);
}

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
        EXPECT_THROW(takeBackLatest(restarted, dying), Crash);
    }
    Journal again(state.text());
    const Journal::Opening afterUndo = again.open(platform::nativeFileSystem());
    ASSERT_EQ(afterUndo.interrupted.size(), 1u) << "the undo cut short is told";
    EXPECT_TRUE(afterUndo.interrupted[0].undoing);
    EXPECT_EQ(afterUndo.interrupted[0].renamed, 2u) << "still to go";
    EXPECT_EQ(afterUndo.interrupted[0].restored, 1u);
    EXPECT_EQ(afterUndo.interrupted[0].planned, 3u);
    EXPECT_TRUE(Journal(state.text()).open(platform::nativeFileSystem()).interrupted.empty()) << "told once";
    const TakeBackResult undone = takeBackLatest(again, platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
    EXPECT_EQ(undone.outcome->restored, 2u) << shown(*undone.outcome);
    EXPECT_TRUE(undone.outcome->leftAlone.empty()) << shown(*undone.outcome);
    EXPECT_EQ(contentsOf(folder), before);
    EXPECT_EQ(batchFiles(state), 0u);
}

// A card cut while its driver wrote a rename can hold that file under
// neither name. The next start tells which file the batch was renaming, also
// where it had renamed none before it, and takes back the ones it had.
TEST(Journal, TheFileABatchWasRenamingUnderNeitherNameIsTold) {
    struct Case {
        std::size_t stoppedBefore; // the move, counted from 1
        const char* lost;
    };
    for (const Case& c : {Case{4, "p3"}, Case{1, "p0"}}) {
        TempFolder folder, state;
        folder.addFiles(photos(6));
        {
            Journal journal(state.text());
            FaultyFileSystem dying;
            dying.beforeMove(c.stoppedBefore, [&] {
                fs::remove(folder / (std::string(c.lost) + ".jpg"));
                throw Crash();
            });
            EXPECT_THROW(runWith(journal, folder, Rule::ExtensionName, {"", "png"}, dying), Crash) << c.lost;
        }
        Journal restarted(state.text());
        const Journal::Opening opening = restarted.open(platform::nativeFileSystem());
        ASSERT_EQ(opening.interrupted.size(), 1u) << c.lost;
        EXPECT_EQ(opening.interrupted[0].renamed, c.stoppedBefore - 1) << c.lost;
        EXPECT_EQ(opening.interrupted[0].neitherFrom, std::string(c.lost) + ".jpg");
        EXPECT_EQ(opening.interrupted[0].neitherTo, std::string(c.lost) + ".png");
        const TakeBackResult undone = takeBackLatest(restarted, platform::nativeFileSystem());
        EXPECT_EQ(undone.outcome.has_value() ? undone.outcome->restored : 0u, c.stoppedBefore - 1) << c.lost;
        EXPECT_EQ(folder.names().size(), 5u) << c.lost;
    }
}

// An undo cut short between the placeholder of its move under way and the
// rename leaves an empty file at that file's old name. The next start finds
// the move under way by the order the undo's start recorded (the batch's
// own where every old name was free, else latest first) and removes that
// file, and every file comes back.
TEST(Journal, AnUndoCutShortIsSettledInTheOrderItMoved) {
#ifdef _WIN32
    GTEST_SKIP() << "a move on Windows refuses an existing name itself and never makes a placeholder";
#endif
    struct Case {
        const char* what;
        bool oldNameTaken;     // p0.jpg made again after the batch, by someone else
        const char* underWay;  // the third file the undo moves
        std::size_t restored;  // by the undo after the start
    };
    for (const Case& c : {Case{"every old name free", false, "p2.jpg", 6}, Case{"an old name taken", true, "p5.jpg", 5}}) {
        TempFolder folder, state;
        const std::vector<std::string> names = photos(8);
        folder.addFiles(names);
        {
            Journal journal(state.text());
            ASSERT_FALSE(runWith(journal, folder, Rule::ExtensionName, {"", "png"}).has_value()) << c.what;
            if (c.oldNameTaken) std::ofstream(folder / "p0.jpg", std::ios::binary) << "another";
            FaultyFileSystem dying;
            dying.beforeMove(3, [&] {
                std::ofstream(folder / c.underWay, std::ios::binary).close(); // its placeholder, never stamped
                throw Crash();
            });
            EXPECT_THROW(takeBackLatest(journal, dying), Crash) << c.what;
        }
        Journal again(state.text());
        ASSERT_EQ(again.open(platform::nativeFileSystem()).interrupted.size(), 1u) << c.what;
        const TakeBackResult undone = takeBackLatest(again, platform::nativeFileSystem());
        ASSERT_TRUE(undone.outcome.has_value()) << c.what << ": " << refusalOf(undone);
        EXPECT_EQ(undone.outcome->restored, c.restored) << c.what << ": " << shown(*undone.outcome);
        EXPECT_EQ(undone.outcome->leftAlone.size(), c.oldNameTaken ? 1u : 0u) << c.what << ": " << shown(*undone.outcome);
        for (const std::string& name : names) // the photo back, never the placeholder
            EXPECT_EQ(folder.contentOf(name), c.oldNameTaken && name == "p0.jpg" ? "another" : name) << c.what;
        EXPECT_EQ(folder.names().size(), c.oldNameTaken ? 9u : 8u) << c.what;
    }
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
        Journal::SetAside::Why why = Journal::SetAside::Why::Damaged;
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
        {"written by a newer version", [&](const fs::path& f) { overwrite(f, 16, std::string("\x09\0\0\0", 4)); }, true, true, false, 0,
         Journal::SetAside::Why::NewerFormat},
        {"not a journal at all", [&](const fs::path& f) { overwrite(f, 0, "PK\x03\x04"); }, true, false, false, 0, Journal::SetAside::Why::NotAJournal},
        {"grown past any batch's size", [&](const fs::path& f) { fs::resize_file(f, std::uintmax_t{5} << 30); }, true, false, false, 0,
         Journal::SetAside::Why::TooLarge},
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
        const std::string spoiled = c.left ? state.contentOf("batches/" + *files.rbegin()) : std::string();
        Journal restarted(state.text());
        const Journal::Opening opening = restarted.open(platform::nativeFileSystem());
        ASSERT_EQ(opening.setAside.size(), c.setAside ? 1u : 0u) << c.what;
        EXPECT_EQ(opening.interrupted.size(), c.interrupted) << c.what;
        if (c.setAside) {
            EXPECT_EQ(opening.setAside[0].left, c.left) << c.what;
            EXPECT_EQ(opening.setAside[0].why, c.why) << c.what;
        }
        EXPECT_EQ(folder.names(), (std::set<std::string>{"x.txt", "y.txt"})) << c.what << ": nothing moved";
        EXPECT_EQ(Journal(state.text()).open(platform::nativeFileSystem()).setAside.size(), c.left ? 1u : 0u) << c.what << ": named once";
        if (c.left) {
            EXPECT_EQ(state.contentOf("batches/" + *files.rbegin()), spoiled) << c.what << ": untouched";
        } else if (c.setAside) {
            EXPECT_EQ(TempFolder::namesIn(state / "set-aside").size(), 1u) << c.what << ": kept, not deleted";
        }
        ASSERT_TRUE(takeBackLatest(restarted, platform::nativeFileSystem()).outcome.has_value()) << c.what;
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
    EXPECT_EQ(failure->destination, state.text()) << "the journal that could not be written is named";
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
    std::optional<TakeBackResult> meanwhile;
    std::optional<Journal::Opening> openedMeanwhile;
    FaultyFileSystem watched;
    run.setProgress([&](const BatchProgress& progress) {
        if (progress.stage == BatchProgress::Stage::Moving && !meanwhile) {
            openedMeanwhile = second.open(platform::nativeFileSystem());
            meanwhile = takeBackLatest(second, platform::nativeFileSystem());
        }
        return true;
    });
    ASSERT_FALSE(run.Run().has_value());
    ASSERT_TRUE(meanwhile.has_value());
    EXPECT_TRUE(openedMeanwhile->interrupted.empty()) << "a batch under way is not a crashed one";
    EXPECT_FALSE(meanwhile->outcome.has_value()) << "nothing taken back while the batch works";
    ASSERT_TRUE(meanwhile->refusal.has_value()) << "the batch under way is offered as held by the other, never passed over";
    EXPECT_EQ(meanwhile->refusal->kind, Journal::Refusal::Kind::HeldElsewhere);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.md", "b.md", "c.md"}));

    ASSERT_TRUE(takeBackLatest(second, platform::nativeFileSystem()).outcome.has_value());
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_FALSE(takeBackLatest(first, platform::nativeFileSystem()).outcome.has_value()) << "already taken back by the other";
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
}

// An old name taken since the batch, every file still at its new name: the
// undo goes by the journal's look at the folder and leaves that one alone,
// the newcomer untouched, instead of stopping at its move.
TEST(Journal, AnOldNameTakenSinceLeavesItsFileAloneAndTheRestComeBack) {
    TempFolder folder, state;
    folder.addFiles({"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"});
    Journal journal(state.text());
    ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"IMG", "Trip"}).has_value());
    folder.addFile("IMG_2.jpg", "newcomer");

    const TakeBackResult undone = takeBackLatest(journal, platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
    EXPECT_EQ(undone.outcome->restored, 2u) << shown(*undone.outcome);
    EXPECT_FALSE(undone.outcome->stoppedAt.has_value()) << shown(*undone.outcome);
    ASSERT_EQ(undone.outcome->leftAlone.size(), 1u);
    EXPECT_EQ(undone.outcome->leftAlone[0].kind, RenameFailure::Kind::NameTaken);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg", "Trip_2.jpg"}));
    EXPECT_EQ(folder.contentOf("IMG_2.jpg"), "newcomer");
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
    const TakeBackResult undone = takeBackLatest(journal, platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
    EXPECT_EQ(undone.outcome->restored, 2u) << shown(*undone.outcome);
    ASSERT_EQ(undone.outcome->leftAlone.size(), 1u);
    EXPECT_EQ(undone.outcome->leftAlone[0].oldName, "IMG_2.jpg");
    EXPECT_FALSE(journal.latest(platform::nativeFileSystem()).has_value()) << "nothing left to offer";

    Journal restarted(state.text());
    restarted.open(platform::nativeFileSystem());
    const TakeBackResult again = takeBackLatest(restarted, platform::nativeFileSystem());
    EXPECT_FALSE(again.outcome.has_value()) << shown(*again.outcome);
    EXPECT_FALSE(again.refusal.has_value()) << refusalOf(again);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"IMG_1.jpg", "Trip_2.jpg", "IMG_3.jpg"}));
    EXPECT_EQ(folder.contentOf("Trip_2.jpg"), "a photo saved here since");
    EXPECT_EQ(batchFiles(state), 0u);
}

// The journal's side of an undo alone: while one is begun its batch is held
// from every other Norvane, and one let go before its first move leaves the
// batch offered as it was.
TEST(Journal, AnUndoBegunAndLetGoLeavesTheBatchAsItWas) {
    TempFolder folder, state;
    folder.addFiles({"a.txt", "b.txt"});
    Journal journal(state.text());
    ASSERT_FALSE(runWith(journal, folder, Rule::ExtensionName, {"", "md"}).has_value());
    const std::uint64_t sequence = journal.latest(platform::nativeFileSystem())->sequence;
    {
        const Journal::UndoStart start = journal.beginUndo(sequence, platform::nativeFileSystem());
        ASSERT_FALSE(start.refusal.has_value()) << static_cast<int>(start.refusal->kind);
        ASSERT_TRUE(start.undoing.has_value());
        EXPECT_EQ(start.undoing->record().size(), 2u);
        Journal other(state.text());
        const Journal::UndoStart meanwhile = other.beginUndo(sequence, platform::nativeFileSystem());
        ASSERT_TRUE(meanwhile.refusal.has_value());
        EXPECT_EQ(meanwhile.refusal->kind, Journal::Refusal::Kind::HeldElsewhere);
    }
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.md", "b.md"}));
    const std::optional<Journal::Batch> still = journal.latest(platform::nativeFileSystem());
    ASSERT_TRUE(still.has_value());
    EXPECT_EQ(still->files, 2u);
    ASSERT_TRUE(takeBack(journal, sequence, platform::nativeFileSystem()).outcome.has_value());
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt"}));
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

    ASSERT_TRUE(takeBackLatest(journal, platform::nativeFileSystem()).outcome.has_value());
    EXPECT_EQ(folder.names(), (std::set<std::string>{"x.txt", "b.txt", "c.txt", "older.txt"})) << "the latest first, whatever its time";
    ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"c", "z"}).has_value());
    EXPECT_EQ(journal.latest(platform::nativeFileSystem())->sequence, 3u) << "a number is never given twice";
    EXPECT_EQ(takeBack(journal, 2, platform::nativeFileSystem()).refusal->kind, Journal::Refusal::Kind::NotKept);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(takeBackLatest(journal, platform::nativeFileSystem()).outcome.has_value()) << i;
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt", "old.txt"}));
    EXPECT_EQ(batchFiles(state), 0u);
}

// Whether this folder's system still knows a file as itself once it is
// written to: where numbers hold and a birth time stays (not under Wine,
// which gives the last change as the birth).
bool editKeepsIdentity(const TempFolder& folder) {
    folder.addFile("probe.tmp", "a");
    const auto opened = platform::nativeFileSystem().openFolder(folder.text());
    const platform::PathProbe before = opened->probe("probe.tmp");
    std::ofstream(folder / "probe.tmp", std::ios::app) << "edited";
    const platform::PathProbe after = opened->probe("probe.tmp");
    fs::remove(folder / "probe.tmp");
    const platform::IdentityTrust trust = opened->about().trust;
    return before.identity && after.identity &&
           batch::sameFile(*before.identity, trust, *after.identity, trust) == batch::Sameness::Same;
}

// A large journaled undo goes by the journal's look in full at the new
// names, made beside its read of the folder: a file replaced since is told
// by name and left; one written to since is the same file, and comes back,
// where the folder's system still knows an edited file as itself.
TEST(Journal, ALargeUndoTellsAReplacedFileFromAChangedOneByTheJournalsLook) {
    TempFolder folder, state;
    const auto nameOf = [](const char* start, int i) {
        const std::string digits = std::to_string(i);
        return start + std::string(4 - digits.size(), '0') + digits + ".jpg";
    };
    const bool editedKnown = editKeepsIdentity(folder);
    for (int i = 0; i < 2000; ++i) folder.addFile(nameOf("IMG_", i));
    Journal journal(state.text());
    ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {"IMG", "Trip"}).has_value());
    // Made beside the file it replaces, so it cannot be given that file's number.
    folder.addFile("replacement", "another photo");
    fs::remove(folder / nameOf("Trip_", 700));
    fs::rename(folder / "replacement", folder / nameOf("Trip_", 700));
    std::ofstream(folder / nameOf("Trip_", 1500), std::ios::app) << "edited";

    const TakeBackResult undone = takeBackLatest(journal, platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
    EXPECT_EQ(undone.outcome->restored, editedKnown ? 1999u : 1998u) << shown(*undone.outcome);
    ASSERT_EQ(undone.outcome->leftAlone.size(), editedKnown ? 1u : 2u) << shown(*undone.outcome);
    const auto replaced = std::find_if(undone.outcome->leftAlone.begin(), undone.outcome->leftAlone.end(),
                                       [&](const UndoProblem& left) { return left.oldName == nameOf("IMG_", 700); });
    ASSERT_NE(replaced, undone.outcome->leftAlone.end()) << shown(*undone.outcome);
    EXPECT_EQ(replaced->kind, RenameFailure::Kind::SourceReplaced);
    EXPECT_EQ(folder.contentOf(nameOf("Trip_", 700)), "another photo");
    const std::string edited = editedKnown ? nameOf("IMG_", 1500) : nameOf("Trip_", 1500);
    EXPECT_EQ(folder.contentOf(edited), nameOf("IMG_", 1500) + "edited");
    EXPECT_EQ(folder.names().size(), 2000u);
}

// A batch killed after 6 of 10 moves: every step found at its new name
// counts and goes back, whatever became of one renamed file since; a
// placeholder of the program's own left at the next new name goes.
TEST(Settle, EveryStepFoundAtItsNewNameCountsAndGoesBack) {
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> meanwhile;
        std::uint64_t missing, restored, leftAlone;
        // Only where file numbers hold is an edited file still known as the one renamed.
        bool needsStableNumbers = false;
    };
    const Case cases[] = {
        {"nothing changed", [](const TempFolder&) {}, 0, 6, 0},
        {"a renamed photo deleted", [](const TempFolder& f) { fs::remove(f / "p2.png"); }, 1, 5, 1},
        {"a renamed photo edited", [](const TempFolder& f) { std::ofstream(f / "p2.png", std::ios::app) << "edited"; }, 0, 6, 0, true},
        {"a placeholder at the next new name", [](const TempFolder& f) { addPlaceholder(f, "p6.png"); }, 0, 6, 0},
    };
    for (const Case& c : cases) {
        TempFolder folder, state;
        folder.addFiles(photos(10));
        {
            Journal journal(state.text());
            FaultyFileSystem dying;
            dying.beforeMove(7, [] { throw Crash(); });
            EXPECT_THROW(runWith(journal, folder, Rule::ExtensionName, {"", "png"}, dying), Crash) << c.what;
        }
        c.meanwhile(folder);
        Journal restarted(state.text());
        const Journal::Opening opening = restarted.open(platform::nativeFileSystem());
        ASSERT_EQ(opening.interrupted.size(), 1u) << c.what;
        EXPECT_EQ(opening.interrupted[0].renamed, 6u) << c.what;
        EXPECT_EQ(opening.interrupted[0].missing, c.missing) << c.what;
        EXPECT_FALSE(folder.names().count("p6.png")) << c.what << ": no placeholder left";
        const TakeBackResult undone = takeBackLatest(restarted, platform::nativeFileSystem());
        ASSERT_TRUE(undone.outcome.has_value()) << c.what << ": " << refusalOf(undone);
        const bool editedIsAnother = c.needsStableNumbers && !editKeepsIdentity(folder);
        EXPECT_EQ(undone.outcome->restored, c.restored - editedIsAnother) << c.what << ": " << shown(*undone.outcome);
        EXPECT_EQ(undone.outcome->leftAlone.size(), c.leftAlone + editedIsAnother) << c.what;
        EXPECT_EQ(folder.names().count("p5.jpg") + folder.names().count("p9.jpg"), 2u) << c.what;
    }
}

// A card pulled after the batch's end was durable on the journal's disk, the
// card itself having written one move's placeholder but not its rename: the
// photo is still at its old name, an empty file made since the batch began at
// its new one. That placeholder goes, and the other photos come back.
TEST(Settle, APlaceholderACardKeptAfterTheBatchsEndGoesAndTheRestComeBack) {
    TempFolder folder, state;
#ifdef _WIN32
    GTEST_SKIP() << "a move on Windows refuses an existing name itself and never makes a placeholder";
#endif
    folder.addFiles(photos(10));
    const auto before = contentsOf(folder);
    Journal journal(state.text());
    ASSERT_FALSE(runWith(journal, folder, Rule::ExtensionName, {"", "png"}).has_value());
    fs::rename(folder / "p2.png", folder / "p2.jpg");
    std::ofstream(folder / "p2.png", std::ios::binary).close(); // made now, never stamped

    const TakeBackResult undone = takeBackLatest(journal, platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
    EXPECT_EQ(undone.outcome->restored, 9u) << shown(*undone.outcome);
    EXPECT_TRUE(undone.outcome->leftAlone.empty()) << shown(*undone.outcome);
    EXPECT_EQ(contentsOf(folder), before);
}

// The batch's folder away (a card out), another card at its path, or a
// folder made again there: the batch is kept at its place, said to wait, an
// older batch can still be taken back, and it is offered once its folder is back.
TEST(Settle, ABatchWaitsForItsOwnFolderAndIsOfferedWhenItIsBack) {
    struct Case {
        const char* what;
        std::function<void(const TempFolder&, Card&)> away, back;
        Journal::Batch::State state;
        Journal::Refusal::Kind refusal;
    };
    const auto aside = [](const TempFolder& f) { return fs::path(f.path().string() + ".out"); };
    const Case cases[] = {
        {"its card out", [&](const TempFolder& f, Card&) { fs::rename(f.path(), aside(f)); },
         [&](const TempFolder& f, Card&) { fs::rename(aside(f), f.path()); }, Journal::Batch::State::FolderAway, Journal::Refusal::Kind::FolderAway},
        {"another card in the slot", [](const TempFolder&, Card& card) { card.volume = "BBBB-0002"; },
         [](const TempFolder&, Card& card) { card.volume = "AAAA-0001"; }, Journal::Batch::State::OtherFolder, Journal::Refusal::Kind::OtherFolder},
        {"a folder made again at its path",
         [&](const TempFolder& f, Card&) {
             fs::rename(f.path(), aside(f));
             fs::create_directory(f.path());
         },
         [&](const TempFolder& f, Card&) {
             fs::remove(f.path());
             fs::rename(aside(f), f.path());
         },
         Journal::Batch::State::OtherFolder, Journal::Refusal::Kind::OtherFolder},
    };
    for (const Case& c : cases) {
        TempFolder older, folder, state;
        older.addFile("a.txt");
        folder.addFiles({"a.txt", "b.txt", "c.txt"});
        CardFileSystem card;
        card.card.volume = "AAAA-0001";
        card.path = folder.text();
        {
            Journal journal(state.text());
            ASSERT_FALSE(runWith(journal, older, Rule::ExtensionName, {"", "md"}, card).has_value());
            FaultyFileSystem dying(card);
            dying.beforeMove(3, [] { throw Crash(); });
            EXPECT_THROW(runWith(journal, folder, Rule::ExtensionName, {"", "md"}, dying), Crash);
        }
        c.away(folder, card.card);
        Journal journal(state.text());
        const Journal::Opening opening = journal.open(card);
        ASSERT_EQ(opening.interrupted.size(), 1u) << c.what;
        EXPECT_TRUE(opening.interrupted[0].waiting) << c.what;
        EXPECT_EQ(opening.interrupted[0].state, c.state) << c.what;
        const std::vector<Journal::Batch> waiting = journal.batches(card);
        ASSERT_EQ(waiting.size(), 2u) << c.what << ": kept";
        EXPECT_EQ(waiting[0].state, c.state) << c.what;
        EXPECT_EQ(journal.latest(card)->sequence, waiting[0].sequence) << c.what << ": never skipped";
        EXPECT_EQ(takeBackLatest(journal, card).refusal->kind, c.refusal) << c.what;
        ASSERT_TRUE(takeBack(journal, waiting[1].sequence, card).outcome.has_value()) << c.what << ": the older one is within reach";
        EXPECT_EQ(older.names(), std::set<std::string>{"a.txt"}) << c.what;

        c.back(folder, card.card);
        const std::vector<Journal::Batch> back = journal.batches(card);
        ASSERT_EQ(back.size(), 1u) << c.what;
        EXPECT_EQ(back[0].state, Journal::Batch::State::Ready) << c.what;
        EXPECT_EQ(back[0].files, 2u) << c.what << ": settled now";
        ASSERT_TRUE(takeBackLatest(journal, card).outcome.has_value()) << c.what;
        EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt"})) << c.what;
        EXPECT_EQ(batchFiles(state), 0u) << c.what;
    }
}

// No file of a batch under either name (a card that is not the batch's, say):
// kept and said, whether the batch ended or not, until the user gives it up.
TEST(Settle, ABatchWithNothingFoundIsKeptUntilGivenUp) {
    for (const bool ended : {true, false}) {
        TempFolder folder, state;
        folder.addFiles({"a.txt", "b.txt", "c.txt"});
        {
            Journal journal(state.text());
            FaultyFileSystem dying;
            if (!ended) dying.beforeMove(3, [] { throw Crash(); });
            if (ended) ASSERT_FALSE(runWith(journal, folder, Rule::ExtensionName, {"", "md"}, dying).has_value());
            else EXPECT_THROW(runWith(journal, folder, Rule::ExtensionName, {"", "md"}, dying), Crash);
        }
        for (const std::string& name : folder.names()) fs::remove(folder / name);
        Journal journal(state.text());
        const Journal::Opening opening = journal.open(platform::nativeFileSystem());
        EXPECT_EQ(opening.interrupted.size(), ended ? 0u : 1u) << ended;
        if (!ended) {
            EXPECT_EQ(opening.interrupted[0].state, Journal::Batch::State::NothingFound);
        }
        EXPECT_EQ(takeBackLatest(journal, platform::nativeFileSystem()).refusal->kind, Journal::Refusal::Kind::NothingFound) << ended;
        const std::vector<Journal::Batch> kept = journal.batches(platform::nativeFileSystem());
        ASSERT_EQ(kept.size(), 1u) << ended;
        EXPECT_EQ(kept[0].state, Journal::Batch::State::NothingFound) << ended;
        EXPECT_FALSE(journal.giveUp(kept[0].sequence).has_value());
        EXPECT_EQ(batchFiles(state), 0u) << ended;
    }
}

// Where the folder's driver promises nothing of its names, an undo keeps its
// record, marked taken back: a card that shows the new names again is
// offered again; a later look that finds the old names durable lets it go.
TEST(Journal, AnUndoKeepsItsRecordUntilTheOldNamesAreDurable) {
    TempFolder folder, state;
    folder.addFiles({"a.txt", "b.txt", "c.txt"});
    CardFileSystem card;
    card.card.durability = platform::Durability::Answer::NotPromised;
    {
        Journal journal(state.text());
        ASSERT_FALSE(runWith(journal, folder, Rule::ExtensionName, {"", "md"}, card).has_value());
        EXPECT_EQ(takeBackLatest(journal, card).outcome->restored, 3u);
        EXPECT_EQ(batchFiles(state), 1u) << "kept";
        ASSERT_EQ(journal.batches(card).size(), 1u);
        EXPECT_EQ(journal.batches(card)[0].state, Journal::Batch::State::TakenBack);
        EXPECT_FALSE(journal.latest(card).has_value()) << "never offered as one to take back";
    }
    for (const char* name : {"a", "b", "c"}) fs::rename(folder / (std::string(name) + ".txt"), folder / (std::string(name) + ".md"));
    {
        Journal journal(state.text()); // the card came back with the new names
        const std::optional<Journal::Batch> offered = journal.latest(card);
        ASSERT_TRUE(offered.has_value());
        EXPECT_EQ(offered->state, Journal::Batch::State::Ready);
        EXPECT_EQ(offered->files, 3u);
        EXPECT_EQ(takeBackLatest(journal, card).outcome->restored, 3u);
    }
    EXPECT_EQ(batchFiles(state), 1u);
    card.card.durability = platform::Durability::Answer::Durable;
    Journal later(state.text());
    EXPECT_TRUE(later.batches(card).empty()) << "the old names are durable now";
    EXPECT_EQ(batchFiles(state), 0u);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
}

// A placeholder of the program's own is never a file's way back: one left at
// the old name by an undo cut short goes, and the file takes its name.
TEST(Journal, AnUndoRemovesItsOwnPlaceholderAtTheOldName) {
    TempFolder folder, state;
    folder.addFiles({"a.txt", "b.txt"});
    Journal journal(state.text());
    ASSERT_FALSE(runWith(journal, folder, Rule::ExtensionName, {"", "md"}).has_value());
    addPlaceholder(folder, "a.txt");
    const TakeBackResult undone = takeBackLatest(journal, platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << refusalOf(undone);
    EXPECT_EQ(undone.outcome->restored, 2u) << shown(*undone.outcome);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.txt", "b.txt"}));
    EXPECT_NE(fs::file_size(folder / "a.txt"), 0u);
}

// A batch started through a link is recorded where its files are: a link
// repointed since leads its undo nowhere else.
TEST(Journal, ABatchThroughALinkIsRecordedWhereItsFilesAre) {
    TempFolder real, other, links, state;
    real.addFiles({"a.txt", "b.txt"});
    other.addFiles({"a.md"});
    std::error_code failed;
    fs::create_directory_symlink(real.path(), links / "photos", failed);
    if (failed) GTEST_SKIP() << "no symbolic links here: " << failed.message();
    Journal journal(state.text());
    FileList list;
    list.setPath(testing::toText(links / "photos"));
    RecordingSink sink;
    RenameRun run(Rule::ExtensionName, list, {"", "md"}, sink);
    run.setJournal(&journal);
    ASSERT_FALSE(run.Run().has_value());
    fs::remove(links / "photos");
    fs::create_directory_symlink(other.path(), links / "photos");
    EXPECT_EQ(journal.latest(platform::nativeFileSystem())->folder, testing::toText(fs::canonical(real.path())));
    ASSERT_TRUE(takeBackLatest(journal, platform::nativeFileSystem()).outcome.has_value());
    EXPECT_EQ(real.names(), (std::set<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(other.names(), std::set<std::string>{"a.md"});
}

// What the system refuses of the journal's own files: a folder of batches
// that cannot be written keeps an undo from moving anything; a batch file
// that cannot be opened is named and left as it is.
TEST(Journal, WhatTheSystemRefusesOfTheJournalMovesNothingAndSetsNothingAside) {
#ifdef _WIN32
    GTEST_SKIP() << "made unwritable with POSIX permissions or chattr";
#else
    struct Case {
        const char* what;
        bool folderOfBatches; // else the batch's own file
        Journal::Refusal::Kind refusal;
    };
    const bool root = std::system("test \"$(id -u)\" = 0") == 0;
    for (const Case& c : {Case{"the folder of batches", true, Journal::Refusal::Kind::CannotRecordEnd},
                          Case{"the batch's file", false, Journal::Refusal::Kind::Unreadable}}) {
        TempFolder folder, state;
        folder.addFiles({"a.txt", "b.txt"});
        {
            Journal journal(state.text());
            ASSERT_FALSE(runWith(journal, folder, Rule::ExtensionName, {"", "md"}).has_value());
        }
        const fs::path locked = c.folderOfBatches ? state / "batches" : state / "batches" / *TempFolder::namesIn(state / "batches").begin();
        const std::string command = root ? "chattr +i '" + locked.string() + "'" : "chmod a-w" + std::string(c.folderOfBatches ? "" : ",a-r") + " '" + locked.string() + "'";
        if (std::system(command.c_str()) != 0) GTEST_SKIP() << "cannot lock " << locked << " here";
        Journal journal(state.text());
        const Journal::Opening opening = journal.open(platform::nativeFileSystem());
        const TakeBackResult undone = takeBack(journal, 1, platform::nativeFileSystem());
        std::system(((root ? "chattr -i '" : "chmod u+rw '") + locked.string() + "'").c_str());
        EXPECT_EQ(opening.setAside.size(), c.folderOfBatches ? 0u : 1u) << c.what;
        if (!c.folderOfBatches) {
            EXPECT_EQ(opening.setAside[0].why, Journal::SetAside::Why::CannotOpen);
            EXPECT_TRUE(opening.setAside[0].left) << c.what;
        }
        ASSERT_TRUE(undone.refusal.has_value()) << c.what;
        EXPECT_EQ(undone.refusal->kind, c.refusal) << c.what;
        EXPECT_EQ(folder.names(), (std::set<std::string>{"a.md", "b.md"})) << c.what << ": nothing moved";
        EXPECT_EQ(batchFiles(state), 1u) << c.what << ": left where it is";
        EXPECT_FALSE(fs::exists(state / "set-aside")) << c.what;
    }
#endif
}

// A journal file whose plan never became whole is looked at against the
// folder before it goes: where a step of it is found made it is kept, aside.
TEST(Journal, AFileWithoutItsPlanGoesOnlyWhereTheFolderShowsNothingMade) {
    for (const bool moved : {false, true}) {
        TempFolder folder, state;
        folder.addFiles({"a.txt", "b.txt"});
        {
            Journal journal(state.text());
            ASSERT_FALSE(runWith(journal, folder, Rule::ExtensionName, {"", "md"}).has_value());
        }
        const std::string name = *TempFolder::namesIn(state / "batches").begin();
        const std::string text = state.contentOf("batches/" + name);
        const journal::ReadFile read = journal::readRecords(text);
        ASSERT_GE(read.records.size(), 3u);
        const journal::Record& steps = read.records[1]; // Begin, Steps, then Planned
        fs::resize_file(state / "batches" / name, static_cast<std::uintmax_t>(steps.payload.data() - text.data()) + steps.payload.size() + 4);
        if (!moved) {
            fs::rename(folder / "a.md", folder / "a.txt");
            fs::rename(folder / "b.md", folder / "b.txt");
        }
        const Journal::Opening opening = Journal(state.text()).open(platform::nativeFileSystem());
        EXPECT_EQ(opening.setAside.size(), moved ? 1u : 0u) << moved;
        EXPECT_EQ(batchFiles(state), 0u) << moved;
        EXPECT_EQ(fs::exists(state / "set-aside" / name), moved) << moved << ": kept, not deleted";
    }
}

TEST(Journal, WithoutAFolderItSaysThereIsNone) {
    TempFolder folder;
    folder.addFile("a.txt");
    Journal nowhere(std::nullopt);
    EXPECT_EQ(nowhere.open(platform::nativeFileSystem()).folderProblem->why, Journal::FolderProblem::Why::NoFolder);
    const auto failure = runWith(nowhere, folder, Rule::ExtensionName, {"", "md"});
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, Kind::JournalUnwritable) << shown(*failure);
    EXPECT_TRUE(failure->destination.empty()) << "no folder is named";
    ASSERT_TRUE(failure->error.has_value());
    EXPECT_EQ(failure->error->reason, platform::SystemError::Reason::NoStateFolder);
}

// The journal's folder must be the user's alone, as ssh asks of its keys:
// one another user owns, or others can write to, is refused and named, and
// no batch starts without a journal.
TEST(Journal, RefusesAFolderThatIsNotTheUsersOwn) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows folders carry access lists, which the journal does not judge";
#else
    using Why = Journal::FolderProblem::Why;
    struct Case {
        const char* what;
        std::string folder; // "" the journal's own, else one in it
        fs::perms mode;
        bool otherOwner;
        std::optional<Why> why;
    };
    const Case cases[] = {
        {"private to the user", "", fs::perms(0700), false, std::nullopt},
        {"shared with a sticky bit", "", fs::perms(01770), false, std::nullopt},
        {"writable by anyone", "", fs::perms(0777), false, Why::OthersCanWrite},
        {"writable by its group", "", fs::perms(0770), false, Why::OthersCanWrite},
        {"its batches writable by anyone", "batches", fs::perms(0777), false, Why::OthersCanWrite},
        {"owned by another user", "", fs::perms(0700), true, Why::NotOwned},
    };
    bool skipped = false;
    for (const Case& c : cases) {
        if (c.otherOwner && ::geteuid() != 0) {
            skipped = true;
            continue;
        }
        TempFolder folder, state;
        folder.addFile("a.txt");
        state.addFolder("batches");
        const fs::path target = c.folder.empty() ? state.path() : state / c.folder;
        fs::permissions(target, c.mode);
        if (c.otherOwner) {
            ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0) << c.what; // nobody
        }
        Journal journal(state.text());
        const auto problem = journal.open(platform::nativeFileSystem()).folderProblem;
        ASSERT_EQ(problem.has_value(), c.why.has_value()) << c.what;
        if (c.why) {
            EXPECT_EQ(problem->why, *c.why) << c.what;
            EXPECT_EQ(problem->folder, testing::toText(target)) << c.what;
        }
        const auto failure = runWith(journal, folder, Rule::ExtensionName, {"", "md"});
        EXPECT_EQ(failure.has_value(), c.why.has_value()) << c.what;
        if (failure) {
            EXPECT_EQ(failure->kind, Kind::JournalUnwritable) << c.what;
            EXPECT_EQ(failure->destination, state.text()) << shown(*failure);
            ASSERT_TRUE(failure->error.has_value()) << c.what;
            EXPECT_EQ(failure->error->reason, *c.why == Journal::FolderProblem::Why::NotOwned
                                                  ? platform::SystemError::Reason::FolderNotOwned
                                                  : platform::SystemError::Reason::OthersCanWrite)
                << c.what;
        }
        EXPECT_EQ(folder.names(), std::set<std::string>{c.why ? "a.txt" : "a.md"}) << c.what;
        EXPECT_EQ(batchFiles(state), c.why ? 0u : 1u) << c.what;
    }
    if (skipped) GTEST_SKIP() << "a folder of another user's: only root can give one away";
#endif
}

TEST(Journal, KeepsTheLatestBatchesWithinItsBound) {
    TempFolder folder, state;
    folder.addFile("0.txt");
    Journal journal(state.text());
    for (std::size_t i = 0; i < Journal::batchesKept + 2; ++i)
        ASSERT_FALSE(runWith(journal, folder, Rule::ReplaceName, {std::to_string(i) + ".", std::to_string(i + 1) + "."}).has_value());
    EXPECT_EQ(batchFiles(state), Journal::batchesKept);
    EXPECT_EQ(takeBackLatest(journal, platform::nativeFileSystem()).outcome->restored, 1u);
    EXPECT_EQ(folder.names(), std::set<std::string>{std::to_string(Journal::batchesKept + 1) + ".txt"});
}

} // namespace
} // namespace norvane
