// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/session.h"

#include <memory>
#include <utility>

namespace norvane {

Session::Session(platform::FileSystem& fileSystem) : Session(fileSystem, Journal::defaultFolder()) {}

Session::Session(platform::FileSystem& fileSystem, std::optional<std::string> journalFolder)
    : folders_(fileSystem), files_(fileSystem), journal_(std::move(journalFolder)) {
    folders_.onChanging([this] {
        if (foldersChanging_) foldersChanging_();
    });
    // The folder chosen in the tree is the one whose files are listed.
    folders_.onChange([this](const std::string& path) {
        if (foldersChanged_) foldersChanged_();
        files_.setPath(path);
    });
}

void Session::onNamesChanging(std::function<void()> listener) { files_.onNamesChanging(std::move(listener)); }
void Session::onNamesChanged(std::function<void()> listener) { files_.onNamesChanged(std::move(listener)); }

void Session::openFolder(const std::string& folder) {
    takeInRereading();
    folders_.setPath(folder);
    // The tree lists files only when its folder changes: the first folder, or
    // one the tree already shows, is listed here, still only once.
    if (files_.path() != folders_.path()) files_.setPath(folders_.path());
}

bool Session::refresh() { return relisting_ ? takeInRereading() : files_.refresh(); }

bool Session::takeInRereading() {
    if (!relisting_) return !files_.error();
    FileList::Relisting relisting = std::move(*relisting_);
    relisting_.reset();
    return files_.finishRelisting(relisting);
}

const std::optional<ListingError>& Session::listingError() const {
    return files_.error() ? files_.error() : folders_.error();
}

Session::Opening Session::open() { return journal_.open(fileSystem()); }

std::optional<Session::Batch> Session::latest() { return journal_.latest(fileSystem()); }

std::vector<Session::Batch> Session::batches() { return journal_.batches(fileSystem()); }

std::optional<platform::SystemError> Session::giveUp(std::uint64_t sequence) { return journal_.giveUp(sequence); }

Session::RunResult Session::run(Rule rule, const RuleTexts& texts, MessageSink& sink, ProgressCallback progress) {
    takeInRereading();
    RenameRun run(rule, files_, texts, sink);
    run.setProgress(std::move(progress));
    run.setJournal(&journal_);
    RunResult result;
    result.failure = run.Run();
    result.renamed = run.record().size();
    return result;
}

Preview Session::preview(Rule rule, const RuleTexts& texts) const { return norvane::preview(rule, files_, texts); }

std::function<Preview()> Session::previewLater(Rule rule, RuleTexts texts) const {
    auto snapshot = std::make_shared<FileList>(files_);
    // The copy tells no view of the session's own.
    snapshot->onNamesChanging({});
    snapshot->onNamesChanged({});
    return [snapshot, rule, texts = std::move(texts)] { return norvane::preview(rule, *snapshot, texts); };
}

Session::TakeBackResult Session::takeBack(std::uint64_t sequence, const ProgressCallback& progress) {
    takeInRereading();
    const auto movedBack = [&](const MovedBack& moved) {
        if (!files_.relistsApart()) return;
        // The folder as the system reaches it, as touchesFolder() tells it, not by spelling.
        const platform::FolderProbe shown = fileSystem().probeFolder(files_.path());
        if (!shown.isFolder || shown.identity.id != moved.folder) return;
        try {
            // The read starts once the list is made: the two at once would
            // hold three lists of a large folder, and the box waits only for the list.
            files_.assumeRenamed(moved.count, moved.nameBefore, moved.nameAfter);
            relisting_ = files_.relistLater();
        } catch (...) {
            // Nothing read apart: the list is read again as ever, and the undo goes on to record its end.
        }
    };
    return norvane::takeBack(journal_, sequence, fileSystem(), progress, files_.keptReading(), movedBack);
}

void Session::prepareProcess() {
    // Large batches reuse the memory the last one freed instead of faulting in fresh pages.
    platform::keepFreedMemoryForBatches();
    // The end of the user's session stops a batch between two moves.
    platform::watchForEndOfSession();
}

void Session::end() { platform::requestEnding(); }

bool Session::ending() { return platform::endingRequested(); }

Session::ProgramPlace Session::programPlace() {
    ProgramPlace place;
    place.folder = platform::applicationFolder();
    place.writable = platform::canWriteTo(place.folder);
    place.programFolders = platform::programFolders();
    place.home = platform::homeFolder();
    return place;
}

} // namespace norvane
