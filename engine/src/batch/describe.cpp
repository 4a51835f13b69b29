// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/preview.h"
#include "norvane/rename_run.h"
#include "norvane/undo.h"

namespace norvane {

namespace {

std::string quoted(std::string_view text) {
    std::string result = "\"";
    result.append(text);
    result += '"';
    return result;
}

std::string fileCount(std::size_t n) { return n == 1 ? "1 file was" : std::to_string(n) + " files were"; }

std::string systemError(const std::optional<platform::SystemError>& error) {
    if (!error) return {};
    if (error->number == 0) return " (" + error->description + ")"; // the program's own words, not the system's
    return " (error " + std::to_string(error->number) + ": " + error->description + ")";
}

// Where numbers are handed out afresh (memory cards, shares) a file is known
// by its size and last write alone.
constexpr const char* sourceChanged =
    "it is not the file as it was renamed: it was changed since, or another file has taken its name "
    "(on this file system a file is known by its size and time)";
constexpr const char* identityUnknown = "the system cannot tell whether it is the file that was renamed";

std::string reason(const RenameFailure& failure) {
    using Kind = RenameFailure::Kind;
    switch (failure.kind) {
    case Kind::MissingPart:
        return "the name has no part " + std::to_string(failure.missingPart) +
               " (parts are counted from 0, one at each \".\")";
    case Kind::EmptyName: return "the new name would be empty";
    case Kind::InvalidName:
        if (failure.error) return "the file system cannot take that name" + systemError(failure.error);
        return "the new name holds a NUL byte, which no file name may hold";
    case Kind::NameNotHeld: return "the file system it would go to cannot hold that name: " + failure.detail;
    case Kind::NameTooLong: return "the new name is too long for the file system" + systemError(failure.error);
    case Kind::NoPermission:
        return "there is no permission to look at " + quoted(failure.destination) + systemError(failure.error);
    case Kind::TooManyLinks:
        return "the way to " + quoted(failure.destination) + " leads through too many symbolic links" +
               systemError(failure.error);
    case Kind::CannotCheck:
        return "the system cannot say whether " + quoted(failure.destination) + " is free" + systemError(failure.error);
    case Kind::DuplicateName:
        return "file " + std::to_string(failure.otherPosition + 1) + ", " + quoted(failure.otherName) +
               ", would get the same name";
    case Kind::NameTaken:
        if (!failure.detail.empty())
            return quoted(failure.detail) + " already holds that name in a folder where letter case does not count";
        return quoted(failure.destination) + " already exists";
    case Kind::FolderMissing:
        return "the folder it names is not there" + systemError(failure.error);
    case Kind::SourceGone: return "it is no longer in the folder under that name" + systemError(failure.error);
    case Kind::SourceReplaced: return "another file has taken its name since";
    case Kind::SourceChanged: return sourceChanged;
    case Kind::IdentityUnknown: return identityUnknown;
    case Kind::BlockedByAnother: return quoted(failure.destination) + " is held by a file that cannot move";
    case Kind::MoveRefused: return "the move was refused" + systemError(failure.error);
    case Kind::Cancelled:
    case Kind::JournalUnwritable:
    case Kind::RefreshFailed: return {};
    }
    return {};
}

// The first sentence of a failure: the file, its position, its new name and the reason.
std::string cannotRename(const RenameFailure& failure) {
    std::string text = "Cannot rename " + quoted(failure.name) + " (file " + std::to_string(failure.position + 1) +
                       " of " + std::to_string(failure.count) + ")";
    if (failure.newName) text += " to " + quoted(*failure.newName);
    return text + ": " + reason(failure) + ".";
}

// Why a file did not get its name back.
std::string undoReason(const UndoProblem& problem) {
    using Kind = RenameFailure::Kind;
    switch (problem.kind) {
    case Kind::SourceGone: return "it was moved or deleted since" + systemError(problem.error);
    case Kind::SourceReplaced: return "another file has taken its name since";
    case Kind::SourceChanged: return sourceChanged;
    case Kind::IdentityUnknown: return identityUnknown;
    case Kind::NameTaken: return quoted(problem.oldName) + " is taken by another file";
    case Kind::BlockedByAnother: return quoted(problem.oldName) + " is still held by " + quoted(problem.heldBy) + ", which cannot go back either";
    case Kind::MoveRefused: return "the move was refused" + systemError(problem.error);
    default: break;
    }
    RenameFailure failure;
    failure.kind = problem.kind;
    failure.error = problem.error;
    failure.destination = problem.oldName;
    return reason(failure);
}

} // namespace

std::string describe(const RenameFailure& failure) {
    if (failure.kind == RenameFailure::Kind::Cancelled) {
        if (failure.renamed == 0) return "Cancelled before any file was renamed.";
        return "Cancelled: " + fileCount(failure.renamed) + " renamed; the others keep their names.";
    }
    if (failure.kind == RenameFailure::Kind::JournalUnwritable) {
        const std::string first = "No file was renamed: Norvane writes every batch down before its first move, so that it can be "
                                  "taken back even after a crash, ";
        // With no folder to name, none is named.
        if (failure.destination.empty()) return first + "and there is no folder to keep its journal in" + systemError(failure.error) + ".";
        return first + "and its journal in " + quoted(failure.destination) + " could not be written" + systemError(failure.error) + ".";
    }
    if (failure.kind == RenameFailure::Kind::RefreshFailed) {
        if (failure.renamed == 0)
            return "Cannot read the folder " + quoted(failure.name) + systemError(failure.error) + ". No file was renamed.";
        return fileCount(failure.renamed) + " renamed, but the folder " + quoted(failure.name) + " could not be listed again" +
               systemError(failure.error) + ".";
    }
    std::string text = cannotRename(failure) + " ";
    if (failure.beforeAnyMove())
        text += "No file was renamed.";
    else
        text += fileCount(failure.renamed) + " renamed before it; it and the files after it keep their names.";
    return text;
}

std::string describe(const UndoOutcome& outcome) {
    if (outcome.notJournaled)
        return "No file was put back: the journal that keeps the way back could not be written" + systemError(outcome.notJournaled) +
               ". Another undo tries again.";
    if (outcome.folderReplaced)
        return "No file was put back: " + quoted(outcome.folder) + " is no longer the folder the files were renamed in " +
               "(it was moved or replaced, or a link to it now leads elsewhere). Another undo tries again once it is back.";
    const std::size_t tried = outcome.restored + outcome.leftAlone.size() + outcome.remaining.size();
    std::string text;
    if (outcome.restored == tried)
        text = tried == 1 ? "The file got its name back." : "All " + std::to_string(tried) + " files got their names back.";
    else
        text = std::to_string(outcome.restored) + " of " + std::to_string(tried) + " files got " +
               (outcome.restored == 1 ? "its name" : "their names") + " back.";
    constexpr std::size_t listed = 10;
    if (!outcome.leftAlone.empty()) text += " These stay as they are:";
    for (std::size_t i = 0; i < outcome.leftAlone.size() && i < listed; ++i)
        text += "\n- " + quoted(outcome.leftAlone[i].name) + ": " + undoReason(outcome.leftAlone[i]) + ".";
    if (outcome.leftAlone.size() > listed) text += "\n- and " + std::to_string(outcome.leftAlone.size() - listed) + " more.";
    if (outcome.stoppedAt) {
        text += "\nThe undo stopped at " + quoted(outcome.stoppedAt->name) + ": " + undoReason(*outcome.stoppedAt) + ". " +
                fileCount(outcome.remaining.size()) + " not put back yet; another undo tries again.";
    } else if (outcome.cancelled) {
        text += "\nThe undo was cancelled: " + fileCount(outcome.remaining.size()) + " not put back yet; another undo takes them back.";
    }
    return text;
}

std::string describe(const Preview& preview) {
    if (preview.refusal) return "Would stop before moving anything: " + cannotRename(*preview.refusal);
    if (preview.renamed == 0) return "Would rename no file: every listed file keeps its name.";
    std::string text = "Would rename " + std::to_string(preview.renamed) + (preview.renamed == 1 ? " file" : " files") +
                       " and leave " + std::to_string(preview.leftAlone) + " alone:";
    for (const auto& [name, newName] : preview.first) text += "\n" + name + " -> " + newName;
    if (preview.renamed > preview.first.size()) text += "\nand " + std::to_string(preview.renamed - preview.first.size()) + " more";
    return text;
}

} // namespace norvane
