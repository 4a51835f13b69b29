// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The journal: every batch written down, and made durable, before its first
// move, so that a crash, a kill or a restart never leaves a user without a
// way back; and the undo stack, across sessions and folders. One file a
// batch, held by one process at a time, in the user's state folder. The file
// says what a batch meant to do; where the files are is read from the folder.
//
// What the journal keeps true, and where:
//  1. A batch's whole plan, and the file's name, are durable before its first
//     move; a plan that cannot be made durable goes, and the batch does not
//     start: `journal::BatchWriter::plan`.
//  2. A sequence is never given twice, whatever the clock: the counter is
//     written before the batch's file is made, and the file is made only
//     where no file has its name: `journal::BatchWriter::plan`.
//  3. A mark is appended only after the moves it names were made, and is
//     never relied upon: the folder says where a file is, marks spare looking:
//     `journal::BatchWriter::mark`, told after each move.
//  4. A batch that moved nothing leaves no file; one that moved gets its end:
//     `journal::BatchWriter::end`.
//  5. A batch's file is changed only by the process that holds it; one that
//     another Norvane holds is left to it: `journal::holdAndRead`, whose
//     callers give up on `busy`.
//  6. What is appended follows whole records: a torn tail is cut off, and a
//     damaged file copied aside, before anything is appended:
//     `journal::holdAndRead`.
//  7. A batch that stopped without an end gets one, from what its own folder
//     shows, before it is taken back; settling moves none of the
//     user's files, and a batch with an end is never settled again, so
//     settling twice gives the one end: `journal::settle`, from `open`,
//     `batches` and `beginUndo`, each only where the folder is the batch's
//     (`journal::folderState`).
//  8. An undo begins only where its end can be recorded, over the batch's own
//     folder: `beginUndo`.
//  9. An undo's intent, its process (which may park files), the order it
//     moves in (by which a crash's settle finds the move under way) and the
//     files a cut-short undo left parked, is durable before its first move; where it
//     cannot be written nothing moves: `Undoing::began`, which the batch
//     layer's undo calls after its check and before its first move.
// 10. Files an undo left alone are recorded as given up and never offered
//     again; those it did not reach stay offered: `Undoing::finish`.
// 11. A batch's file goes only once nothing it guards is at risk: every file
//     its undo put back and the old names durable where the folder is
//     (`Undoing::finish` through `journal::makeDurable`, `open` for an undo cut
//     short; else it is marked taken back and a later look removes it:
//     `stateOf`); every file back or given up before an undo began
//     (`beginUndo`); no move made under it (`BatchWriter::plan` and `end`;
//     `open` and `stateOf` once settled); given up by the user (`giveUp`); or
//     the oldest past what is kept (`keepWithinBounds`).
// 12. A journal file that cannot be read is never deleted: it is set aside or
//     left where it is: `journal::setAside`, from `open`.
// 13. Nothing is read from or written to a journal folder another user owns
//     or others can write to: `folderProblem`, asked by `open`, `refresh`,
//     `BatchWriter::plan` and `beginUndo`.

#include "norvane/batch_record.h"
#include "norvane/platform.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

namespace journal {
class BatchWriter;
struct Entry;
} // namespace journal

class Journal {
public:
    // What is kept: the latest 100 batches, and of them no more than 256 MiB
    // (a batch of a million files takes about 50 MB); past either the oldest
    // go first, and the latest batch is always kept whole.
    static constexpr std::size_t batchesKept = 100;
    static constexpr std::uint64_t bytesKept = std::uint64_t{256} << 20;

    // The journal in `folder`, made when the first batch is written; without
    // a folder no batch can be written, and none starts.
    explicit Journal(std::optional<std::string> folder);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // The user's own: $XDG_STATE_HOME/norvane, else ~/.local/state/norvane;
    // %LOCALAPPDATA%\Norvane on Windows.
    static std::optional<std::string> defaultFolder();
    const std::optional<std::string>& folder() const { return folder_; }

    // A kept batch as the journal's folder and the batch's own folder show it now.
    struct Batch {
        std::uint64_t sequence = 0;   // the order of batches; only grows, kept in the journal, never the clock
        std::string folder;           // the folder as the batch resolved it (links followed)
        std::string what;             // the button's caption, as recorded
        std::int64_t startedAt = 0;   // wall clock, ns since 1970, for the user to read only
        std::uint64_t files = 0;      // files it renamed that are still to take back, as far as known
        enum class State {
            Ready,         // can be taken back now
            FolderAway,    // its folder cannot be reached now (card out, drive unplugged): waits
            OtherFolder,   // a folder is at its path but is not the batch's (another card, a folder made again)
            NothingFound,  // its folder is there but no file of it is under either name
            HeldElsewhere, // another running Norvane holds it
            TakenBack,     // taken back; kept until the folder shows the old names are durable
            Unreadable,    // its file cannot be opened or read now (`error`); left as it is
        } state = State::Ready;
        std::optional<platform::SystemError> error; // what the system said, where it said something
    };

    // A batch, or an undo of one, that stopped without an end (a crash, a
    // kill, a power cut), as settled from its file and its folder: nothing
    // was moved to settle it.
    struct Interrupted {
        std::uint64_t sequence = 0;
        std::string folder;
        std::string what; // the button's caption
        // A batch: the steps it made of those planned, and of them the files
        // found at neither name. An undo (`undoing`): `renamed` files still to
        // go back and `restored` back already, of `planned` the batch renamed.
        std::uint64_t renamed = 0;
        std::uint64_t planned = 0;
        std::uint64_t missing = 0;
        std::uint64_t restored = 0;
        bool undoing = false;
        Batch::State state = Batch::State::Ready;
        bool waiting = false; // its folder away or another: how far it got is told once it is back
        std::optional<platform::SystemError> error;
        // A batch: the file it was renaming when it stopped, where it is under
        // neither its old name nor its new one; else both empty.
        std::string neitherFrom, neitherTo;
    };
    // A file of the journal that cannot be used, moved into the journal's
    // "set-aside" folder (never deleted), or left where it is (`left`).
    struct SetAside {
        enum class Why {
            NotAJournal,  // does not begin as a journal does
            Damaged,      // not even its plan can be read (`at`: the byte where the damage begins)
            TooLarge,     // past any size a batch writes (`at`: its size)
            CannotOpen,   // the system refused to open it (`error`): left where it is
            CannotRead,   // the system refused to read it (`error`): left where it is
            NewerFormat,  // written by a newer Norvane (`at`: its format): left where it is for it
        } why = Why::Damaged;
        std::string file; // its name in the journal's folder of batches
        std::optional<platform::SystemError> error;
        std::uint64_t at = 0;
        bool left = false; // left where it is, untouched
    };
    // Why the journal's own folder cannot be used.
    struct FolderProblem {
        enum class Why {
            NoFolder,       // no folder can be named for it (no home, no state folder)
            NotOwned,       // it belongs to another user
            OthersCanWrite, // others may change what it holds
            Unreadable,     // the system refused to list it (`error`)
        } why = Why::NoFolder;
        std::string folder; // empty for NoFolder
        std::optional<platform::SystemError> error;
    };
    struct Opening {
        std::vector<Interrupted> interrupted;
        std::vector<SetAside> setAside;
        std::optional<FolderProblem> folderProblem;
    };
    // Once, at start: reads every batch, settles those that did not end and
    // sets aside what cannot be read. Batches another running Norvane holds
    // are left to it.
    Opening open(platform::FileSystem& fileSystem);

    // Every kept batch, latest first, read again from the journal's folder
    // each call (cheap: what a batch file says is kept by its name and
    // size), so two windows follow one journal. A batch that did not end and
    // whose folder is back is settled here.
    std::vector<Batch> batches(platform::FileSystem& fileSystem);
    // What Ctrl+Z takes back now: the latest batch not TakenBack, whatever
    // its state (a batch that is not Ready says why it cannot go back yet;
    // it is never skipped).
    std::optional<Batch> latest(platform::FileSystem& fileSystem);

    // Why an undo tried nothing.
    struct Refusal {
        enum class Kind {
            NotKept,         // no such batch in the journal (taken back or given up meanwhile)
            HeldElsewhere,   // another running Norvane holds it
            FolderAway,      // its folder cannot be reached
            OtherFolder,     // the folder at its path is not the batch's
            NothingFound,    // no file of it is under either name
            CannotRecordEnd, // the journal could not record the undo's end, so nothing moved
            Unreadable,      // its file cannot be opened or read
            NoJournal,       // the journal has no usable folder
        } kind = Kind::NotKept;
        std::optional<platform::SystemError> error;
    };
    // An undo of one batch as the journal records it; what checks and moves
    // the files lies above the journal (norvane/take_back.h). It holds the
    // batch's file, so that no other Norvane takes it back meanwhile, for as
    // long as it lives. The journal that began it outlives it.
    class Undoing {
    public:
        Undoing(Undoing&&) noexcept;
        Undoing& operator=(Undoing&&) noexcept;
        ~Undoing();

        // What is still to take back: each file the batch renamed and no undo
        // put back or gave up, where it is now (parked, where a cut-short undo
        // left it so), for the batch layer's undo.
        const BatchRecord& record() const;
        // What the journal's look found at the record's old names, where it
        // looked at every one; empty where not.
        const OldNamesSeen& oldNamesSeen() const;
        // Whether the batch's file can record an undo made in the batch's own
        // order (files written before that could be said go latest first).
        bool mayGoAsMade() const;
        // The undo's intent, journaled and made durable: which process may
        // park files, in which order, and where a cut-short undo left some
        // parked. Called after the check, before the first move; an error
        // means nothing may move. AsMade only where mayGoAsMade().
        std::optional<platform::SystemError> began(UndoOrder order);

        struct End {
            std::size_t restored = 0;                // files that got their old names back
            std::vector<std::string_view> leftAlone; // the old names of files that could not go back: never offered again
            bool everyFileTried = true;              // false: cancelled or stopped midway; the rest waits for another undo
        };
        // The undo's end, recorded and made durable. Where every file was
        // tried, the batch's file goes once the old names are durable where
        // the folder is, else it is marked taken back; where not, what is
        // still to take back stays offered. Once only; nothing after it.
        void finish(const End& end);

    private:
        friend class Journal;
        struct State;
        explicit Undoing(std::unique_ptr<State> state);
        std::unique_ptr<State> state_;
    };
    struct UndoStart {
        std::string folder; // the batch's, where known
        std::optional<Refusal> refusal;
        // Set where files are to go back. Neither this nor a refusal: every
        // file is back at its old name already, or was given up.
        std::optional<Undoing> undoing;
    };
    // Begins taking back the batch `sequence` (any kept batch): holds its
    // file, settles it first if it did not end, and reads from its folder what
    // is still to take back. A refusal moves none of its files. `listed`: a
    // list's kept read, which answers that look where it still holds the
    // batch's folder as it is.
    UndoStart beginUndo(std::uint64_t sequence, platform::FileSystem& fileSystem,
                        std::shared_ptr<platform::KeptReading> listed = {});
    // The user gives a batch up, explicitly: its file goes.
    std::optional<platform::SystemError> giveUp(std::uint64_t sequence);

    // For tests: the clock batches are stamped with (ns since 1970).
    void setClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

private:
    friend class journal::BatchWriter;
    std::optional<FolderProblem> folderProblem();
    void refresh();
    void keepWithinBounds();
    void recordWritten(const journal::Entry& entry);
    Batch::State stateOf(journal::Entry& entry, platform::FileSystem& fileSystem, std::optional<platform::SystemError>& error);

    std::optional<std::string> folder_;
    std::function<std::int64_t()> clock_;
    std::vector<journal::Entry> entries_; // every batch known, in the batches' order
};

} // namespace norvane
