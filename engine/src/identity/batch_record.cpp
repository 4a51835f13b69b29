// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/batch_record.h"

namespace norvane {

std::optional<platform::FileIdentity> BatchRecord::file(std::size_t i) const {
    const Move& move = moves_[i];
    if (!(move.flags & knownFlag)) return std::nullopt;
    platform::FileIdentity identity;
    identity.id = move.id;
    if (move.flags & bornFlag) identity.born = move.born;
    if (move.flags & stampFlag) identity.stamp = move.stamp;
    return identity;
}

void BatchRecord::add(std::string_view from, std::string_view to, const std::optional<platform::FileIdentity>& file,
                      platform::IdentityTrust trust) {
    names_.append(from);
    const std::size_t fromEnd = names_.size();
    names_.append(to);
    moves_.push_back(Move{fromEnd, names_.size(), {}, 0, {}, 0});
    setFile(moves_.size() - 1, file, trust);
}

void BatchRecord::setFile(std::size_t i, const std::optional<platform::FileIdentity>& file, platform::IdentityTrust trust) {
    Move& move = moves_[i];
    move.flags = trust == platform::IdentityTrust::Stable ? stableFlag : trust == platform::IdentityTrust::Restamped ? restampedFlag : 0;
    if (!file) return;
    move.flags |= knownFlag;
    move.id = file->id;
    if (file->born) {
        move.flags |= bornFlag;
        move.born = *file->born;
    }
    if (file->stamp) {
        move.flags |= stampFlag;
        move.stamp = *file->stamp;
    }
}

} // namespace norvane
