// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One way in for the window: a session owns the folder tree, the chosen
// folder's files and the journal, keeps them wired to one another, and does
// what the window's buttons and menus ask. Beside this header the window
// needs only the plain values of progress.h and rename_run.h.

#include "norvane/file_list.h"
#include "norvane/folder_list.h"
#include "norvane/journal.h"
#include "norvane/platform.h"
#include "norvane/preview.h"
#include "norvane/progress.h"
#include "norvane/rename_run.h"
#include "norvane/rules.h"
#include "norvane/take_back.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace norvane {

class Session {
public:
    using Batch = Journal::Batch;
    using Opening = Journal::Opening;
    using TakeBackResult = ::norvane::TakeBackResult;

    // The journal in the user's own state folder (Journal::defaultFolder()).
    explicit Session(platform::FileSystem& fileSystem);
    // The journal in `journalFolder`; without one no batch can be written, and none starts.
    Session(platform::FileSystem& fileSystem, std::optional<std::string> journalFolder);
    // The lists' listeners hold the session itself: it stays where it was made.
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const FolderList& folders() const { return folders_; }
    const FileList& files() const { return files_; }
    platform::FileSystem& fileSystem() const { return files_.fileSystem(); }

    // For a view over the lists: called around every new current folder and
    // around every re-listing of the files, even one that ends in an exception.
    void onFoldersChanging(std::function<void()> listener) { foldersChanging_ = std::move(listener); }
    void onFoldersChanged(std::function<void()> listener) { foldersChanged_ = std::move(listener); }
    void onNamesChanging(std::function<void()> listener);
    void onNamesChanged(std::function<void()> listener);

    // Makes `folder` current: the tree shows its chain and subfolders, and
    // the file list its files, each listed once. Nothing happens for the
    // folder already current.
    void openFolder(const std::string& folder);
    // Lists the current folder's files again; false, with listingError() set, where it cannot be read.
    bool refresh();
    // Why the current folder lists nothing: its files' error first, else its subfolders'.
    const std::optional<ListingError>& listingError() const;

    // Once, at start: what a crash, a kill or a power cut left half done, settled.
    Opening open();
    const std::optional<std::string>& journalFolder() const { return journal_.folder(); }
    // What Ctrl+Z takes back now, and every kept batch, read from the journal's folder each call.
    std::optional<Batch> latest();
    std::vector<Batch> batches();
    // The user gives a kept batch up: its file goes.
    std::optional<platform::SystemError> giveUp(std::uint64_t sequence);

    // One rule over every listed file, written down in the journal before its
    // first move; the list follows. `renamed`: the files moved, whether the
    // run completed or stopped midway.
    struct RunResult {
        std::optional<RenameFailure> failure;
        std::size_t renamed = 0;
    };
    RunResult run(Rule rule, const RuleTexts& texts, MessageSink& sink, ProgressCallback progress = {});

    // What the rule would do now, over the list as it is.
    Preview preview(Rule rule, const RuleTexts& texts) const;
    // The same, to be worked out on another thread: over a copy of the list
    // as it is now, so that the session may list another folder, or rename
    // in this one, meanwhile.
    std::function<Preview()> previewLater(Rule rule, RuleTexts texts) const;

    // Takes back the kept batch `sequence`, journaled as a batch is. A large
    // list of its folder then shows the names the files got back while the
    // folder is read again on a second thread, as after a batch: the next
    // refresh() takes that read in (as does any other call here that lists
    // or moves files) rather than reading the folder once more.
    TakeBackResult takeBack(std::uint64_t sequence, const ProgressCallback& progress = {});
    // Whether the list shows names the folder is still being read again for.
    bool rereading() const { return relisting_.has_value(); }

    // The whole process's state. Before the first window: batches keep the
    // memory they free, and the end of the user's session is watched for.
    static void prepareProcess();
    // The program is asked to end: a batch under way stops between two moves.
    static void end();
    static bool ending();

    // Where the program is, for choosing where the window opens.
    struct ProgramPlace {
        std::string folder;                      // the folder that holds the running program
        bool writable = false;                   // whether this process may create files in it
        std::vector<std::string> programFolders; // the system's folders for installed programs
        std::string home;                        // the user's own folder
    };
    static ProgramPlace programPlace();

private:
    // Takes in the folder's read after an undo, where one is under way; false where the folder lists nothing.
    bool takeInRereading();

    FolderList folders_;
    FileList files_;
    // Every batch written down before its first move: what Ctrl+Z takes back,
    // of this session and earlier ones, and what a crash left half done.
    Journal journal_;
    std::function<void()> foldersChanging_;
    std::function<void()> foldersChanged_;
    std::optional<FileList::Relisting> relisting_;
};

} // namespace norvane
