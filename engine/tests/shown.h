// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What a failing test prints of the engine's results: their fields, for the
// developer. The sentences the user reads are the window's.

#include "norvane/preview.h"
#include "norvane/rename_run.h"
#include "norvane/undo.h"

#include <string>

namespace norvane {

inline const char* kindName(RenameFailure::Kind kind) {
    using Kind = RenameFailure::Kind;
    switch (kind) {
    case Kind::MissingPart: return "MissingPart";
    case Kind::EmptyName: return "EmptyName";
    case Kind::InvalidName: return "InvalidName";
    case Kind::NameNotHeld: return "NameNotHeld";
    case Kind::NameTooLong: return "NameTooLong";
    case Kind::NoPermission: return "NoPermission";
    case Kind::TooManyLinks: return "TooManyLinks";
    case Kind::CannotCheck: return "CannotCheck";
    case Kind::DuplicateName: return "DuplicateName";
    case Kind::NameTaken: return "NameTaken";
    case Kind::FolderMissing: return "FolderMissing";
    case Kind::SourceGone: return "SourceGone";
    case Kind::SourceReplaced: return "SourceReplaced";
    case Kind::SourceChanged: return "SourceChanged";
    case Kind::IdentityUnknown: return "IdentityUnknown";
    case Kind::BlockedByAnother: return "BlockedByAnother";
    case Kind::MoveRefused: return "MoveRefused";
    case Kind::Cancelled: return "Cancelled";
    case Kind::JournalUnwritable: return "JournalUnwritable";
    case Kind::RefreshFailed: return "RefreshFailed";
    }
    return "?";
}

inline std::string shown(const std::optional<platform::SystemError>& error) {
    if (!error) return {};
    return " error " + std::to_string(error->number) + " reason " + std::to_string(static_cast<int>(error->reason)) + " \"" +
           error->description + "\"";
}

inline std::string shown(const RenameFailure& failure) {
    std::string text = std::string(kindName(failure.kind)) + " at file " + std::to_string(failure.position + 1) + " of " +
                       std::to_string(failure.count) + " \"" + failure.name + "\"";
    if (failure.newName) text += " -> \"" + *failure.newName + "\"";
    if (!failure.destination.empty()) text += " destination \"" + failure.destination + "\"";
    if (!failure.detail.empty()) text += " detail \"" + failure.detail + "\"";
    return text + shown(failure.error) + ", " + std::to_string(failure.renamed) + " renamed";
}

inline std::string shown(const UndoOutcome& outcome) {
    std::string text = std::to_string(outcome.restored) + " restored, " + std::to_string(outcome.leftAlone.size()) +
                       " left alone, " + std::to_string(outcome.remaining.size()) + " remaining" + shown(outcome.notJournaled);
    for (const UndoProblem& problem : outcome.leftAlone)
        text += "\n- \"" + problem.name + "\": " + kindName(problem.kind) + shown(problem.error);
    if (outcome.stoppedAt) text += "\nstopped at \"" + outcome.stoppedAt->name + "\": " + kindName(outcome.stoppedAt->kind);
    return text;
}

inline std::string shown(const Preview& preview) {
    if (preview.refusal) return "refused: " + shown(*preview.refusal);
    return std::to_string(preview.renamed) + " renamed, " + std::to_string(preview.leftAlone) + " left alone";
}

} // namespace norvane
