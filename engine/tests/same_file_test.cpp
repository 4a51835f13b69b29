// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which file is which, as undo asks it: the number decides where numbers
// hold, what a file is decides where they do not, and no clock is asked.

#include "identity/same_file.h"

#include <gtest/gtest.h>

namespace norvane::batch {
namespace {

using platform::FileIdentity;
using platform::FileStamp;
using platform::IdentityTrust;
constexpr IdentityTrust Stable = IdentityTrust::Stable, Unstable = IdentityTrust::Unstable;

FileIdentity file(std::uint64_t device, std::uint64_t index, std::optional<std::int64_t> born, std::optional<FileStamp> stamp) {
    return FileIdentity{{device, index}, born, stamp};
}

constexpr std::int64_t day = 86'400'000'000'000;
constexpr std::int64_t farAhead = 4'102'444'800'000'000'000; // 2100: a camera whose clock is set wrong
const FileStamp photo{4'200'000, 1'700'000'000'000'000'000}, newPhoto{3'900'000, 1'700'000'000'000'000'000 + day};

struct SameCase {
    const char* what;
    FileIdentity recorded;
    IdentityTrust recordedTrust;
    FileIdentity now;
    IdentityTrust nowTrust;
    Sameness expected;
};

TEST(SameFile, KnowsAFileAgainOnlyWhereItIsTheOne) {
    const SameCase cases[] = {
        {"stable, untouched", file(8, 12, day, photo), Stable, file(8, 12, day, photo), Stable, Sameness::Same},
        {"stable, written to since", file(8, 12, day, photo), Stable, file(8, 12, day, newPhoto), Stable, Sameness::Same},
        {"stable, a freed number given to a new file", file(8, 12, day, photo), Stable, file(8, 12, 2 * day, newPhoto), Stable,
         Sameness::Other},
        {"stable, another number", file(8, 12, day, photo), Stable, file(8, 13, day, photo), Stable, Sameness::Other},
        {"stable, no birth times, same number", file(8, 12, {}, photo), Stable, file(8, 12, {}, newPhoto), Stable, Sameness::Same},
        {"stable, the disk back under another device", file(8, 12, day, photo), Stable, file(9, 12, day, photo), Stable,
         Sameness::Same},
        {"stable, another device without birth times, same stamp", file(8, 12, {}, photo), Stable, file(9, 12, {}, photo), Stable,
         Sameness::Same},
        {"stable, another device without birth times, another stamp", file(8, 12, {}, photo), Stable, file(9, 12, {}, newPhoto),
         Stable, Sameness::Other},
        {"a card's file numbered afresh", file(8, 2, {}, photo), Unstable, file(8, 5, {}, photo), Unstable, Sameness::Same},
        {"a new file saved in a card file's place", file(8, 2, {}, photo), Unstable, file(8, 2, {}, newPhoto), Unstable,
         Sameness::Other},
        {"a card's birth times, clock far ahead", file(8, 2, farAhead, photo), Unstable, file(8, 7, farAhead, photo), Unstable,
         Sameness::Same},
        {"a card's birth time differs", file(8, 2, day, photo), Unstable, file(8, 2, 2 * day, photo), Unstable, Sameness::Other},
        {"unstable now: known by what it is", file(8, 12, day, photo), Stable, file(8, 99, day, photo), Unstable, Sameness::Same},
        {"a rename restamped it (fusefat)", file(8, 2, {}, photo), IdentityTrust::Restamped, file(8, 5, {}, FileStamp{photo.size, photo.modified + day}),
         IdentityTrust::Restamped, Sameness::Same},
        {"restamped, and another size", file(8, 2, {}, photo), IdentityTrust::Restamped, file(8, 5, {}, newPhoto), IdentityTrust::Restamped,
         Sameness::Other},
        {"a card file whose stamp was never read", file(8, 2, {}, {}), Unstable, file(8, 2, {}, photo), Unstable,
         Sameness::CannotTell},
    };
    for (const SameCase& c : cases) EXPECT_EQ(sameFile(c.recorded, c.recordedTrust, c.now, c.nowTrust), c.expected) << c.what;
}

TEST(SameFolder, KnowsAFolderByNumberOrBirthElseCannotTell) {
    const SameCase cases[] = {
        {"stable, same number", file(8, 40, day, {}), Stable, file(8, 40, 2 * day, {}), Stable, Sameness::Same},
        {"stable, another folder at the path", file(8, 40, day, {}), Stable, file(8, 41, day, {}), Stable, Sameness::Other},
        {"stable, back under another device", file(8, 40, day, {}), Stable, file(9, 40, day, {}), Stable, Sameness::Same},
        {"a card's folder numbered afresh, no birth", file(8, 3, {}, {}), Unstable, file(8, 6, {}, {}), Unstable,
         Sameness::CannotTell},
        {"a card's folder born elsewhen", file(8, 3, day, {}), Unstable, file(8, 3, 2 * day, {}), Unstable, Sameness::Other},
    };
    for (const SameCase& c : cases) EXPECT_EQ(sameFolder(c.recorded, c.recordedTrust, c.now, c.nowTrust), c.expected) << c.what;
}

} // namespace
} // namespace norvane::batch
