// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "identity/same_file.h"

namespace norvane::batch {

namespace {

using platform::FileIdentity;
using platform::IdentityTrust;

Sameness when(bool same) { return same ? Sameness::Same : Sameness::Other; }

bool bothBorn(const FileIdentity& a, const FileIdentity& b) { return a.born && b.born; }

bool stable(IdentityTrust a, IdentityTrust b) { return a == IdentityTrust::Stable && b == IdentityTrust::Stable; }

// Stable numbers: another number is another file; the same number with
// another birth time is a new file that was given a freed number.
Sameness byNumber(const FileIdentity& recorded, const FileIdentity& now, bool stampsToo) {
    if (recorded.id.index != now.id.index) return Sameness::Other;
    if (bothBorn(recorded, now)) return when(*recorded.born == *now.born);
    if (recorded.id.device == now.id.device) return Sameness::Same;
    if (!stampsToo || !recorded.stamp || !now.stamp) return Sameness::CannotTell;
    return when(*recorded.stamp == *now.stamp);
}

} // namespace

Sameness sameFile(const FileIdentity& recorded, IdentityTrust recordedTrust, const FileIdentity& now, IdentityTrust nowTrust) {
    const bool timeKept = platform::renameKeepsTime(recordedTrust) && platform::renameKeepsTime(nowTrust);
    if (stable(recordedTrust, nowTrust)) return byNumber(recorded, now, true);
    if (!recorded.stamp || !now.stamp) return Sameness::CannotTell;
    if (recorded.stamp->size != now.stamp->size || (timeKept && recorded.stamp->modified != now.stamp->modified)) return Sameness::Other;
    if (bothBorn(recorded, now)) return when(*recorded.born == *now.born);
    return Sameness::Same;
}

bool fileThere(const platform::PathProbe& now) {
    return !now.error && (now.kind == platform::PathKind::File || now.kind == platform::PathKind::Other);
}

FoundAtName foundAgainst(const platform::PathProbe& now, const std::optional<platform::FileIdentity>& recorded,
                         IdentityTrust recordedTrust, IdentityTrust nowTrust) {
    if (!fileThere(now)) return FoundAtName::Gone;
    if (!recorded || !now.identity) return FoundAtName::CannotTell;
    switch (sameFile(*recorded, recordedTrust, *now.identity, nowTrust)) {
    case Sameness::Same: return FoundAtName::SameFile;
    case Sameness::CannotTell: return FoundAtName::CannotTell;
    case Sameness::Other: break;
    }
    return stable(recordedTrust, nowTrust) ? FoundAtName::Replaced : FoundAtName::Changed;
}

Sameness sameFolder(const FileIdentity& recorded, IdentityTrust recordedTrust, const FileIdentity& now, IdentityTrust nowTrust) {
    // Some systems give a folder's last change as its birth (Wine does), so
    // with stable numbers the number decides, on the same device at least.
    if (stable(recordedTrust, nowTrust) && recorded.id.device == now.id.device) return when(recorded.id.index == now.id.index);
    if (stable(recordedTrust, nowTrust)) return byNumber(recorded, now, false);
    if (bothBorn(recorded, now)) return when(*recorded.born == *now.born);
    return Sameness::CannotTell;
}

} // namespace norvane::batch
