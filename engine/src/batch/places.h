// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The folders a batch's names lie in, each asked of the system once for the
// whole run: the check, the journal's plan and the moves share one cache, so
// what they judge a place by is one answer. A batch moves files, never
// folders, so no answer changes under it.

#include "norvane/path.h"
#include "norvane/platform.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace norvane::batch {

class Places {
public:
    explicit Places(platform::Folder& folder) : folder_(folder) {}

    // The folder `relative` names inside the batch's folder ("" is the folder itself).
    const platform::FolderProbe& folderOf(std::string_view relative) {
        const auto known = folders_.find(std::string(relative));
        if (known != folders_.end()) return known->second;
        return folders_.emplace(std::string(relative), folder_.probeFolder(relative)).first->second;
    }

    // How far the numbers hold in the folder a name lies in.
    platform::IdentityTrust trustOf(std::string_view name) {
        if (!HoldsSeparator(name)) return listed().trust;
        const platform::FolderProbe& folder = folderOf(FolderPart(name));
        return folder.isFolder ? folder.trust : platform::IdentityTrust::Unstable;
    }

    const platform::FolderProbe& listed() const { return folder_.about(); }

private:
    platform::Folder& folder_;
    std::unordered_map<std::string, platform::FolderProbe> folders_;
};

} // namespace norvane::batch
