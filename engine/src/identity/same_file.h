// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Which file is which: the one rule the check and undo use to tell whether a
// file found now is the one a batch recorded, over what the platform can tell
// of each file and how far its file system's numbers hold. Nothing here asks
// a clock: a camera's, a share's or FAT's zone-less times say nothing of when
// a file came to this machine.

#include "norvane/batch_record.h"
#include "norvane/platform.h"

#include <optional>

namespace norvane::batch {

enum class Sameness { Same, Other, CannotTell };

// Where both numbers are stable the file's number decides, with its birth
// time where kept; a disk that came back under another device number is known
// by number and birth time, or by number and stamp. Where either is not, the
// file is known by what it is: size and last write, and birth time where kept.
// Where a rename restamps a file's last write (on either side), the size
// alone stands for what the file is, with its birth time where kept.
Sameness sameFile(const platform::FileIdentity& recorded, platform::IdentityTrust recordedTrust,
                  const platform::FileIdentity& now, platform::IdentityTrust nowTrust);

// The same for a folder, whose size and time change with every rename in it:
// its number on the same device, else its birth time where kept; where
// neither can tell, it cannot be told.
Sameness sameFolder(const platform::FileIdentity& recorded, platform::IdentityTrust recordedTrust,
                    const platform::FileIdentity& now, platform::IdentityTrust nowTrust);

// Whether a probe found a file there (anything but a folder), and could say so.
bool fileThere(const platform::PathProbe& now);

// What `now`, a probe in full of a name, found beside the file `recorded`
// for it: gone (nothing, not a file, or a probe that failed), the file
// itself, or another; Replaced where stable numbers on both sides tell
// another file, Changed where the file is known by what it is and differs.
FoundAtName foundAgainst(const platform::PathProbe& now, const std::optional<platform::FileIdentity>& recorded,
                         platform::IdentityTrust recordedTrust, platform::IdentityTrust nowTrust);

} // namespace norvane::batch
