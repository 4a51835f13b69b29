// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/folder_state.h"

#include "identity/same_file.h"

namespace norvane::journal {

using State = Journal::Batch::State;

FolderState folderState(const platform::FolderProbe& about, const platform::FileIdentity& identity, platform::IdentityTrust trust,
                        const std::optional<std::string>& volumeId, const std::function<std::optional<std::string>()>& volumeNow) {
    if (!about.isFolder) return FolderState::Away;
    if (batch::sameFolder(identity, trust, about.identity, about.trust) == batch::Sameness::Other) return FolderState::Other;
    // A folder made again in a freed number is born anew. Only where the
    // birth is the folder's own: Windows under Wine gives its last change.
    if (platform::directorySeparator() == '/' && identity.born && about.identity.born && *identity.born != *about.identity.born)
        return FolderState::Other;
    if (volumeId) {
        const std::optional<std::string> now = volumeNow();
        if (now != volumeId) return FolderState::Other; // another card, or one whose name cannot be read now
    }
    return FolderState::Here;
}

State stateOfFolder(FolderState state) {
    return state == FolderState::Away ? State::FolderAway : state == FolderState::Other ? State::OtherFolder : State::Ready;
}

} // namespace norvane::journal
