// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Why a batch stopped, or would: the vocabulary the check, the act, an undo and
// a preview share, below what drives a run.

#include "norvane/platform.h"

#include <cstddef>
#include <optional>
#include <string>

namespace norvane {

// What ends a run early. Plan failures are found before the first move, so
// nothing has moved; the others arise while acting, after `renamed` moves.
struct RenameFailure {
    enum class Kind {
        MissingPart,   // the rule asked for a component the name lacks
        EmptyName,     // the rule gave an empty name
        InvalidName,   // the new name holds a byte, or is a name, the file system refuses
        NameNotHeld,   // the folder's file system cannot hold the new name (`notHeld` says why)
        NameTooLong,   // the new name, or the path it makes, is longer than the file system takes
        NoPermission,  // the destination cannot even be looked at
        TooManyLinks,  // the way to the destination goes through too many symbolic links
        CannotCheck,   // the system could not say whether the destination is free
        DuplicateName, // an earlier file of this run already gets that name
        NameTaken,     // something else already has that name
        FolderMissing, // the folder a separator in the new name points to is not there
        SourceGone,    // the listed file is no longer in the folder under its name
        SourceReplaced, // another file has taken the name of the one to move
        SourceChanged,  // the file at that name is not what the batch left there: another, or the one changed
        IdentityUnknown, // the system cannot tell whether the file at that name is the one the batch moved
        BlockedByAnother, // its destination is held by a file of the batch that cannot move
        MoveRefused,   // the file system refused the move itself
        Cancelled,     // the user stopped the run; the files moved before keep their new names
        JournalUnwritable, // the batch could not be written down before its first move, so none was made
        RefreshFailed, // the moves are done, but the folder could not be listed again
    };

    Kind kind = Kind::MoveRefused;
    std::size_t position = 0;       // the file's position in the list
    std::size_t count = 0;          // how many files the run covered
    std::string name;               // the file's name before the run
    std::optional<std::string> newName;
    std::string destination;        // full path it was to go to, where there is one
    std::size_t missingPart = 0;    // for MissingPart: the component index asked for
    std::size_t otherPosition = 0;  // for DuplicateName: the earlier file with that new name
    std::string otherName;
    std::string detail;             // NameTaken: the name holding it, where it is spelled otherwise
    std::optional<platform::NotHeld> notHeld; // NameNotHeld: what the file system cannot hold
    std::optional<platform::SystemError> error;
    std::size_t renamed = 0;        // files moved before the run stopped

    bool beforeAnyMove() const {
        return kind != Kind::MoveRefused && kind != Kind::RefreshFailed && (kind != Kind::Cancelled || renamed == 0);
    }
};

} // namespace norvane
