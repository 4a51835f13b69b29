// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "batch/batch_check.h"
#include "norvane/path.h"

#include <string>
#include <unordered_map>

namespace norvane::batch {

// How far the numbers hold in the folder a name lies in, asked once a folder.
class TrustOfPlaces {
public:
    explicit TrustOfPlaces(platform::Folder& folder) : folder_(folder) {}

    platform::IdentityTrust of(std::string_view name) {
        if (!HoldsSeparator(name)) return folder_.about().trust;
        const std::string_view relative = FolderPart(name);
        const auto known = folders_.find(std::string(relative));
        if (known != folders_.end()) return known->second;
        const platform::FolderProbe probe = folder_.probeFolder(relative);
        const platform::IdentityTrust trust = probe.isFolder ? probe.trust : platform::IdentityTrust::Unstable;
        return folders_.emplace(std::string(relative), trust).first->second;
    }

private:
    platform::Folder& folder_;
    std::unordered_map<std::string, platform::IdentityTrust> folders_;
};

} // namespace norvane::batch
