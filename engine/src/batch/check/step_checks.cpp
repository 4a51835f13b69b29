// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What each step is checked for, one small function each, and where a name
// in another folder lies.

#include "batch/check/replay.h"

#include "identity/same_file.h"

namespace norvane::batch {

using Kind = RenameFailure::Kind;

std::optional<StepProblem> sourceProblemOf(std::size_t step, FoundAtName found) {
    switch (found) {
    case FoundAtName::SameFile:
    case FoundAtName::AskAgain: return std::nullopt;
    case FoundAtName::Gone: return StepProblem{step, Kind::SourceGone, std::nullopt};
    case FoundAtName::CannotTell: return StepProblem{step, Kind::IdentityUnknown, std::nullopt};
    // Where numbers hold, another number is another file; elsewhere the file may be the one, changed.
    case FoundAtName::Replaced: return StepProblem{step, Kind::SourceReplaced, std::nullopt};
    case FoundAtName::Changed: return StepProblem{step, Kind::SourceChanged, std::nullopt};
    }
    return std::nullopt;
}

namespace checking {

// The file is where the batch expects it, and, where the batch knows which
// file it is, is that file and not another that has taken its name.
// `found`: what a look made just before found there, where it could tell.
std::optional<StepProblem> Replay::checkSourceThere(std::size_t i, const platform::PathProbe* inFull, FoundAtName found) {
    if (found == FoundAtName::AskAgain) {
        platform::PathProbe read;
        if (!inFull) read = probed(true, i);
        const platform::PathProbe& now = inFull ? *inFull : read;
        if (!fileThere(now)) return StepProblem{i, Kind::SourceGone, now.error};
        if (!expected_) return std::nullopt;
        found = foundAgainst(now, expected_->fileAt(i), expected_->trustAt(i), places_.trustOf(steps_[i].from));
    }
    return sourceProblemOf(i, found);
}

// The folder a new name goes to must be able to hold it: FAT, exFAT and
// NTFS take no ':' nor a trailing dot, whatever system writes to them.
// An undo's destinations are the names the files had, which the folder
// held (a name ending in a space, made by another system): they go back.
std::optional<StepProblem> Replay::checkNameHeld(std::size_t i) {
    if (expected_) return std::nullopt;
    const std::string_view to = steps_[i].to;
    platform::NameRules rules = listed_.names;
    if (HoldsSeparator(to)) {
        const platform::FolderProbe& folder = places_.folderOf(FolderPart(to));
        if (!folder.isFolder) return std::nullopt; // the folder's own problem is told instead
        rules = folder.names;
    }
    const std::optional<platform::NotHeld> why = platform::whyNotHeld(rules, to);
    if (!why) return std::nullopt;
    StepProblem problem{i, Kind::NameNotHeld, std::nullopt};
    problem.notHeld = why;
    return problem;
}

std::optional<StepProblem> Replay::checkNotTaken(std::size_t i, const Place& to, const platform::PathProbe& destination) {
    if (destination.error) return StepProblem{i, kindOfObstacle(*destination.error), destination.error};
    if (destination.kind == platform::PathKind::Absent) return std::nullopt;
    // Where names ignore case, 'photo.JPG' -> 'photo.jpg' finds the file
    // itself: the folder cannot hold a second file under that name.
    const Step& step = steps_[i];
    if (to.plain && !HoldsSeparator(step.from) && to.key == keyOf(step.from)) return std::nullopt;
    // Held by a file of this batch that cannot move away.
    const auto holder = stuck_.find(hash_(to.key), [&](std::uint32_t other) { return keyOf(steps_[other].from) == to.key; });
    if (holder) return StepProblem{i, Kind::BlockedByAnother, std::nullopt, *holder};
    StepProblem taken{i, Kind::NameTaken};
    // Taken under another spelling: the message names the file that has it.
    if (to.plain && listed_.ignoresCase && onProblem_ == OnProblem::StopBatch)
        if (std::optional<std::string> holding = folder_.spelling(step.to); holding && *holding != step.to)
            taken.detail = std::move(*holding);
    return taken;
}

// A name in another folder is keyed by that folder's identity, so every
// spelling of one place (links, "." and ".." steps, doubled separators)
// meets under one key. A NUL, which no name holds, keeps it apart from the
// keys of bare names.
void Replay::placeInAnotherFolder(std::string_view name, Place& place) {
    place.plain = false;
    const std::size_t cut = LastSeparator(name);
    const std::string_view last = name.substr(cut + 1);
    const platform::FolderProbe& folder = places_.folderOf(name.substr(0, cut));
    if (!folder.isFolder) {
        place.problem = StepProblem{0, Kind::FolderMissing, folder.error};
        if (folder.error && platform::errorKind(*folder.error) != platform::ErrorKind::NotFound &&
            platform::errorKind(*folder.error) != platform::ErrorKind::NotAFolder)
            place.problem->kind = kindOfObstacle(*folder.error);
        place.key = name; // never met again: nothing can move there
        return;
    }
    // A step through a link or "." back into the listed folder keys as a bare name.
    if (folder.identity.id == listed_.identity.id) return fold(last, listed_.ignoresCase, place);
    place.owned.assign(1, '\0');
    place.owned.append(reinterpret_cast<const char*>(&folder.identity.id), sizeof folder.identity.id);
    place.owned += folder.ignoresCase ? platform::foldCase(last) : std::string(last);
    place.key = place.owned;
}

} // namespace checking

} // namespace norvane::batch
