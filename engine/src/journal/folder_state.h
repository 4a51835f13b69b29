// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Whether a batch's folder is the one it renamed in, as the journal asks
// before it settles a batch or lets one be taken back.

#include "norvane/journal.h"
#include "norvane/platform.h"

#include <functional>
#include <optional>
#include <string>

namespace norvane::journal {

enum class FolderState { Here, Away, Other };

// Whether the batch's folder is there and is the batch's: its number and
// birth where they tell, and its volume's own name (another card at the same
// path has another).
FolderState folderState(const platform::FolderProbe& about, const platform::FileIdentity& identity, platform::IdentityTrust trust,
                        const std::optional<std::string>& volumeId, const std::function<std::optional<std::string>()>& volumeNow);

// How a batch whose folder is in `state` stands, as far as its folder tells.
Journal::Batch::State stateOfFolder(FolderState state);

} // namespace norvane::journal
