// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The small terms the check's replay is written in: what stands in a
// destination's way, where a name lies, and what the folder's read said of it.

#include "batch/check/batch_check.h"
#include "norvane/platform.h"
#include "norvane/rename_failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvane::batch::checking {

// A system error met while looking at a destination, for what it stands in the way of.
inline RenameFailure::Kind kindOfObstacle(const platform::SystemError& error) {
    using Kind = RenameFailure::Kind;
    switch (platform::errorKind(error)) {
    case platform::ErrorKind::NameTooLong: return Kind::NameTooLong;
    case platform::ErrorKind::NoPermission: return Kind::NoPermission;
    case platform::ErrorKind::TooManyLinks: return Kind::TooManyLinks;
    case platform::ErrorKind::NotAFolder:
    case platform::ErrorKind::NotFound: return Kind::FolderMissing;
    case platform::ErrorKind::BadName: return Kind::InvalidName;
    case platform::ErrorKind::Exists:
    case platform::ErrorKind::Other: break;
    }
    return Kind::CannotCheck;
}

// Where a name lies as the system resolves it: the folder that holds it, by
// identity, and the name in that folder's own comparison. The key is the name
// itself where nothing needs folding, so most places cost no copy.
struct Place {
    std::string owned;
    std::string_view key;
    bool plain = true; // a bare name in the listed folder
    std::optional<StepProblem> problem;

    Place() = default;
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;
};

// What the one read of the folder said of a name, kept in a byte: a million
// full probes would cost more than the rest of the check.
enum class Seen : std::uint8_t { Absent, File, Folder, Other, Error, Unasked };

inline Seen seenOf(const platform::PathProbe& probe) {
    if (probe.error) return Seen::Error;
    switch (probe.kind) {
    case platform::PathKind::Absent: return Seen::Absent;
    case platform::PathKind::File: return Seen::File;
    case platform::PathKind::Folder: return Seen::Folder;
    case platform::PathKind::Other: break;
    }
    return Seen::Other;
}

} // namespace norvane::batch::checking
