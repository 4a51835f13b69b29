// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Memory cards and Windows disks as they are: exFAT, FAT and NTFS through the
// FUSE drivers a Linux desktop mounts them with. Each says how far its file
// numbers hold and which names it can hold; a card's batch comes back after
// its numbers changed, and a file saved in place of a renamed one stays.

#include "norvane/journal.h"
#include "norvane/preview.h"
#include "norvane/rename_run.h"
#include "norvane/take_back.h"
#include "norvane/undo.h"

#include "recording_sink.h"
#include "shown.h"
#include "temp_folder.h"
#include "volume.h"

#include <gtest/gtest.h>

#include <fstream>

#ifndef _WIN32
#include "platform/posix/posix.h"
#include <fcntl.h>
#endif

namespace norvane {
namespace {

using testing::RecordingSink;
using testing::TempFolder;
using testing::Volume;
using Kind = RenameFailure::Kind;
using platform::IdentityTrust;
using platform::NameRules;
namespace fs = std::filesystem;

#define SKIP_WITHOUT(volume) \
    if ((volume).unavailable()) GTEST_SKIP() << *(volume).unavailable()

const char* nameOf(Volume::Kind kind) {
    switch (kind) {
    case Volume::Kind::Exfat: return "exFAT";
    case Volume::Kind::Fat: return "FAT";
    case Volume::Kind::Ntfs: return "NTFS";
    case Volume::Kind::Ext4: return "ext4";
    case Volume::Kind::Tmpfs: return "tmpfs";
    }
    return "";
}

// Asked of a fresh volume's empty root: no name there to ask, and its parent on another device.
TEST(Volumes, EachSaysHowFarItsNumbersHoldWhichNamesItHoldsAndWhetherCaseCounts) {
    struct Case {
        Volume::Kind kind;
        IdentityTrust trust;
        bool ignoresCase;
    };
    for (const Case& c : {Case{Volume::Kind::Exfat, IdentityTrust::Unstable, true}, Case{Volume::Kind::Fat, IdentityTrust::Restamped, true},
                          Case{Volume::Kind::Ntfs, IdentityTrust::Stable, false}}) {
        Volume volume(c.kind);
        SKIP_WITHOUT(volume);
        const platform::FolderProbe root = platform::nativeFileSystem().probeFolder(volume.path().string());
        ASSERT_TRUE(root.isFolder) << nameOf(c.kind);
        EXPECT_EQ(root.trust, c.trust) << nameOf(c.kind);
        EXPECT_EQ(root.names, NameRules::Windows) << nameOf(c.kind);
        EXPECT_EQ(root.ignoresCase, c.ignoresCase) << nameOf(c.kind);
        EXPECT_TRUE(fs::is_empty(volume.path())) << "asking left nothing behind";
    }
    TempFolder onDisk;
    const platform::FolderProbe disk = platform::nativeFileSystem().probeFolder(onDisk.text());
    EXPECT_EQ(disk.trust, IdentityTrust::Stable);
    EXPECT_EQ(disk.names, NameRules::Posix);
}

// IMG_0001.JPG... renamed, the kernel's caches dropped as memory pressure
// drops them (every file numbered afresh), one renamed photo replaced by a
// new one; undo puts back every photo but the newcomer.
TEST(Volumes, ACardsBatchComesBackAfterItsNumbersChangedAndANewFileStays) {
    for (const Volume::Kind kind : {Volume::Kind::Exfat, Volume::Kind::Fat}) {
        Volume volume(kind);
        SKIP_WITHOUT(volume);
        TempFolder card(volume.path());
        for (int i = 1; i <= 4; ++i) card.addFile("IMG_000" + std::to_string(i) + ".JPG", std::string(100 * i, 'p'));
        FileList list;
        list.setPath(card.text());
        RecordingSink sink;
        RenameRun run(Rule::ReplaceName, list, {"IMG", "Holiday"}, sink);
        ASSERT_FALSE(run.Run().has_value()) << nameOf(kind);
        ASSERT_TRUE(Volume::dropCaches()) << "needs root";
        fs::remove(card / "Holiday_0003.JPG");
        card.addFile("Holiday_0003.JPG", "a photo saved here since");

        const UndoOutcome outcome = Undo(run.record());

        EXPECT_EQ(outcome.restored, 3u) << nameOf(kind) << ": " << shown(outcome);
        ASSERT_EQ(outcome.leftAlone.size(), 1u) << nameOf(kind);
        EXPECT_EQ(outcome.leftAlone[0].name, "Holiday_0003.JPG");
        EXPECT_EQ(outcome.leftAlone[0].kind, Kind::SourceChanged);
        EXPECT_EQ(card.names(), (std::set<std::string>{"IMG_0001.JPG", "IMG_0002.JPG", "Holiday_0003.JPG", "IMG_0004.JPG"}));
        EXPECT_EQ(card.contentOf("IMG_0004.JPG"), std::string(400, 'p'));
    }
}

// A card's batch, the card taken out and put back in another slot (a new
// device, new numbers for every file and folder), the program started
// again: Ctrl+Z puts every file back.
TEST(Volumes, ACardsBatchComesBackAfterTheCardCameBackAndTheProgramStartedAgain) {
    Volume volume(Volume::Kind::Exfat);
    SKIP_WITHOUT(volume);
    TempFolder state;
    const fs::path photos = volume.path() / "DCIM";
    fs::create_directory(photos);
    for (int i = 1; i <= 5; ++i) std::ofstream(photos / ("IMG_000" + std::to_string(i) + ".JPG"), std::ios::binary) << std::string(100 * i, 'p');
    const std::set<std::string> before = TempFolder::namesIn(photos);
    {
        Journal journal(state.text());
        FileList list;
        list.setPath(photos.string());
        RecordingSink sink;
        RenameRun run(Rule::NumberName, list, {}, sink);
        run.setJournal(&journal);
        ASSERT_FALSE(run.Run().has_value());
    }
    const auto device = [&] { return platform::nativeFileSystem().probeFolder(photos.string()).identity.id.device; };
    const std::uint64_t first = device();
    ASSERT_TRUE(volume.remountElsewhere()) << "another loop device";
    EXPECT_NE(device(), first) << "the card came back as another device";

    Journal restarted(state.text());
    EXPECT_TRUE(restarted.open(platform::nativeFileSystem()).interrupted.empty());
    const TakeBackResult undone = takeBackLatest(restarted, platform::nativeFileSystem());
    ASSERT_TRUE(undone.outcome.has_value()) << "refused: " << (undone.refusal ? static_cast<int>(undone.refusal->kind) : -1);
    EXPECT_EQ(undone.outcome->restored, 5u) << shown(*undone.outcome);
    EXPECT_EQ(TempFolder::namesIn(photos), before);
}

// Where a move can neither refuse by itself nor link, it takes the name first
// with an empty file of its own: an existing name is never replaced, and a
// failed rename takes the empty file back.
TEST(Volumes, MovesOnACardNeverReplaceAndLeaveNoPlaceholderBehind) {
    for (const Volume::Kind kind : {Volume::Kind::Exfat, Volume::Kind::Fat}) {
        Volume volume(kind);
        SKIP_WITHOUT(volume);
        TempFolder card(volume.path());
        card.addFiles({"a.txt", "b.txt"});
        const auto folder = platform::nativeFileSystem().openFolder(card.text());
        EXPECT_TRUE(folder->move("a.txt", "b.txt").has_value()) << nameOf(kind);
        EXPECT_TRUE(folder->move("gone.txt", "c.txt").has_value()) << nameOf(kind);
        EXPECT_EQ(card.names(), (std::set<std::string>{"a.txt", "b.txt"})) << nameOf(kind);
        EXPECT_EQ(card.contentOf("b.txt"), "b.txt") << nameOf(kind);
        EXPECT_FALSE(folder->move("a.txt", "A.TXT").has_value()) << nameOf(kind) << ": a change of case alone";
        EXPECT_EQ(card.names(), (std::set<std::string>{"A.TXT", "b.txt"})) << nameOf(kind);
#ifndef _WIN32
        // The last resort itself, as when a name appears after the system's own look.
        const platform::posix::Descriptor at(::open(card.text().c_str(), O_RDONLY | O_DIRECTORY));
        EXPECT_TRUE(platform::posix::moveOntoPlaceholder(at.get(), "A.TXT", "b.txt").has_value()) << nameOf(kind);
        EXPECT_TRUE(platform::posix::moveOntoPlaceholder(at.get(), "gone.txt", "c.txt").has_value()) << nameOf(kind);
        EXPECT_EQ(card.names(), (std::set<std::string>{"A.TXT", "b.txt"})) << nameOf(kind);
        EXPECT_EQ(card.contentOf("b.txt"), "b.txt") << nameOf(kind);
#endif
    }
}

// A name FAT, exFAT or NTFS cannot hold is refused before any move, and the
// preview says so; Windows could not open it afterwards.
TEST(Volumes, NamesTheFileSystemCannotHoldAreRefusedBeforeAnyMove) {
    struct Case {
        Volume::Kind kind;
        Rule rule;
        RuleTexts texts;
        platform::NotHeld says;
    };
    using Why = platform::NotHeld::Why;
    const Case cases[] = {
        {Volume::Kind::Exfat, Rule::ReplaceName, {"lunch", "12:30 lunch"}, {Why::ReservedCharacter, ':'}},
        {Volume::Kind::Exfat, Rule::ExtensionName, {"", ""}, {Why::EndsWithDot}},
        {Volume::Kind::Ntfs, Rule::ReplaceName, {".txt", ". "}, {Why::EndsWithSpace}},
    };
    for (const Case& c : cases) {
        Volume volume(c.kind);
        SKIP_WITHOUT(volume);
        TempFolder card(volume.path());
        card.addFiles({"a.txt", "lunch.txt"});
        FileList list;
        list.setPath(card.text());
        const Preview would = preview(c.rule, list, c.texts);
        ASSERT_TRUE(would.refusal.has_value()) << nameOf(c.kind);
        EXPECT_EQ(would.refusal->notHeld, c.says) << nameOf(c.kind) << " " << shown(would);
        RecordingSink sink;
        const auto failure = norvane::Run(c.rule, list, c.texts, sink);
        ASSERT_TRUE(failure.has_value()) << nameOf(c.kind);
        EXPECT_EQ(failure->kind, Kind::NameNotHeld);
        EXPECT_EQ(failure->notHeld, c.says) << shown(*failure);
        EXPECT_EQ(card.names(), (std::set<std::string>{"a.txt", "lunch.txt"}));
    }
}

// Renamed in case alone behind the batch's back, the file is still the one.
TEST(Volumes, AFileRenamedInCaseSinceStillComesBack) {
    Volume volume(Volume::Kind::Exfat);
    SKIP_WITHOUT(volume);
    TempFolder card(volume.path());
    card.addFile("a.txt");
    FileList list;
    list.setPath(card.text());
    RecordingSink sink;
    RenameRun run(Rule::ReplaceName, list, {"a", "b"}, sink);
    ASSERT_FALSE(run.Run().has_value());
    fs::rename(card / "b.txt", card / "B.TXT");
    const UndoOutcome outcome = Undo(run.record());
    EXPECT_EQ(outcome.restored, 1u) << shown(outcome);
    EXPECT_EQ(card.names(), std::set<std::string>{"a.txt"});
}

// Case twins moved through a link into a fresh card's root are one name there.
TEST(Volumes, CaseTwinsMovedIntoAFreshCardAreOneName) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    Volume volume(Volume::Kind::Exfat);
    SKIP_WITHOUT(volume);
    TempFolder folder;
    folder.addFiles({"-A.txt", "-a.txt"});
    fs::create_directory_symlink(volume.path(), folder / "card");
    FileList list;
    list.setPath(folder.text());
    RecordingSink sink;
    const auto failure = norvane::Run(Rule::ReplaceName, list, {"-", "card/"}, sink);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, Kind::DuplicateName) << shown(*failure);
    EXPECT_EQ(failure->renamed, 0u);
    EXPECT_TRUE(fs::is_empty(volume.path()));
}

} // namespace
} // namespace norvane
