// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What each real file system promises of a rename, asked of the platform and
// checked against the volume itself: whether the new name is on the device
// (a copy of the image, as a pulled card leaves it, shows it), which card a
// folder is on, whether a folder made again is another, whether a rename
// keeps a file's time, and the placeholders a move on a card leaves.

#include "norvane/platform.h"

#include "temp_folder.h"
#include "volume.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include "platform/posix/posix.h"
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace norvane {
namespace {

using platform::Durability;
using platform::IdentityTrust;
using testing::TempFolder;
using testing::Volume;
namespace fs = std::filesystem;

platform::FileSystem& disk() { return platform::nativeFileSystem(); }

struct Driver {
    const char* name;
    Volume::Kind kind;
    bool hasVolumeId;
    bool keepsFolderBirth;
    IdentityTrust trust;
    bool takesNoReplaceFlag;  // renameat2(RENAME_NOREPLACE)
    const char* fuseblkDriver; // the program a "fuseblk" mount is told by, where the user cannot read the device
};

// As measured: every driver here writes a rename's names when asked; FUSE
// drivers give no birth time; only fusefat restamps a renamed file.
const Driver drivers[] = {
    {"exFAT (exfat-fuse)", Volume::Kind::Exfat, true, false, IdentityTrust::Unstable, false, "mount.exfat-fuse"},
    {"FAT (fusefat)", Volume::Kind::Fat, true, false, IdentityTrust::Restamped, false, nullptr},
    {"NTFS (ntfs-3g)", Volume::Kind::Ntfs, true, false, IdentityTrust::Stable, false, "ntfs-3g"},
    {"ext4", Volume::Kind::Ext4, true, true, IdentityTrust::Stable, true, nullptr},
    {"tmpfs", Volume::Kind::Tmpfs, false, true, IdentityTrust::Stable, true, nullptr},
};

#define SKIP_WITHOUT(volume) \
    if ((volume).unavailable()) GTEST_SKIP() << *(volume).unavailable()

void write(const fs::path& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

TEST(Durability, EachDriverPutsARenamesNamesOnItsDeviceWhenAsked) {
    for (const Driver& d : drivers) {
        Volume volume(d.kind);
        SKIP_WITHOUT(volume);
        const fs::path photos = volume.path() / "DCIM";
        fs::create_directory(photos);
        for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG"}) write(photos / name, name);
        const auto folder = disk().openFolder(photos.string());
        ASSERT_TRUE(folder->about().isFolder) << d.name;
        // Written before the renames, as the batch's files were long before it.
        ASSERT_EQ(folder->makeNamesDurable().answer, Durability::Answer::Durable) << d.name;
        ASSERT_FALSE(folder->move("IMG_0001.JPG", "Holiday_1.JPG")) << d.name;
        ASSERT_FALSE(folder->move("IMG_0002.JPG", "Holiday_2.JPG")) << d.name;

        const Durability made = disk().makeNamesDurable(photos.string());

        EXPECT_EQ(made.answer, Durability::Answer::Durable) << d.name;
        EXPECT_FALSE(made.error) << d.name << ": " << made.error->description;
        if (d.kind == Volume::Kind::Tmpfs) continue; // no device to copy
        const auto onCopy = volume.namesOnACopy("DCIM");
        ASSERT_TRUE(onCopy) << d.name << ": the copy could not be mounted";
        EXPECT_EQ(*onCopy, (std::set<std::string>{"Holiday_1.JPG", "Holiday_2.JPG"})) << d.name;
    }
}

TEST(Durability, ACardIsKnownByItsOwnSerialInAnySlotAndAnotherCardIsAnother) {
    struct Case {
        Volume::Kind kind;
        const char *first, *second, *shown;
    };
    for (const Case& c : {Case{Volume::Kind::Exfat, "1234ABCD", "5678EF01", "1234-ABCD"},
                          Case{Volume::Kind::Fat, "1234ABCD", "5678EF01", "1234-ABCD"}}) {
        Volume card(c.kind, c.first), other(c.kind, c.second);
        SKIP_WITHOUT(card);
        SKIP_WITHOUT(other);
        fs::create_directory(card.path() / "DCIM");
        fs::create_directory(other.path() / "DCIM");
        const std::optional<std::string> id = disk().volumeId((card.path() / "DCIM").string());
        ASSERT_TRUE(id) << c.shown;
        EXPECT_EQ(*id, c.shown);
        EXPECT_NE(disk().volumeId((other.path() / "DCIM").string()), id) << c.shown;
        ASSERT_TRUE(card.remountElsewhere());
        EXPECT_EQ(disk().volumeId((card.path() / "DCIM").string()), id) << c.shown << ": back in another slot";
    }
    for (const Driver& d : drivers) {
        Volume volume(d.kind);
        SKIP_WITHOUT(volume);
        const std::optional<std::string> id = disk().volumeId(volume.path().string());
        EXPECT_EQ(id.has_value(), d.hasVolumeId) << d.name;
        if (id) {
            EXPECT_FALSE(id->empty()) << d.name;
        }
#ifndef _WIN32
        struct stat status {};
        ASSERT_EQ(::stat(volume.path().c_str(), &status), 0);
        const auto mount = platform::posix::mountOf(status.st_dev);
        ASSERT_TRUE(mount) << d.name;
        if (d.fuseblkDriver) {
            EXPECT_EQ(platform::posix::fuseDriverOf(*mount), d.fuseblkDriver) << d.name;
        }
#endif
    }
}

// The same path, and on tmpfs and ext4 often the same inode number: only the
// birth time tells the folder made again from the first.
TEST(Durability, AFolderMadeAgainIsToldApartByItsBirthWhereTheDriverKeepsOne) {
    for (const Driver& d : drivers) {
        Volume volume(d.kind);
        SKIP_WITHOUT(volume);
        const fs::path path = volume.path() / "DCIM";
        fs::create_directory(path);
        const platform::FolderProbe first = disk().probeFolder(path.string());
        ASSERT_TRUE(first.isFolder) << d.name;
        EXPECT_EQ(first.identity.born.has_value(), d.keepsFolderBirth) << d.name;
        EXPECT_EQ(disk().probeFolder(path.string()).identity.born, first.identity.born) << d.name << ": asked again";
        if (!d.keepsFolderBirth) continue;
        fs::remove(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        fs::create_directory(path);
        const platform::FolderProbe again = disk().probeFolder(path.string());
        ASSERT_TRUE(again.identity.born) << d.name;
        EXPECT_NE(*again.identity.born, *first.identity.born) << d.name;
    }
}

#ifndef _WIN32

// The fact each folder states is checked against the driver: a file renamed
// and forgotten by the kernel keeps its time exactly where the fact says so.
TEST(Durability, EachFolderSaysWhetherARenameKeepsAFilesTime) {
    for (const Driver& d : drivers) {
        Volume volume(d.kind);
        SKIP_WITHOUT(volume);
        write(volume.path() / "a.jpg", "photo");
        const std::string a = (volume.path() / "a.jpg").string();
        ASSERT_EQ(::system(("touch -d '2020-05-05 10:00:02 UTC' '" + a + "'").c_str()), 0);
        const auto folder = disk().openFolder(volume.path().string());
        EXPECT_EQ(folder->about().trust, d.trust) << d.name;
        const platform::PathProbe before = folder->probe("a.jpg");
        std::this_thread::sleep_for(std::chrono::milliseconds(2100)); // past FAT's two-second steps
        ASSERT_FALSE(folder->move("a.jpg", "b.jpg")) << d.name;
        ASSERT_TRUE(Volume::dropCaches());
        const platform::PathProbe after = disk().openFolder(volume.path().string())->probe("b.jpg");
        ASSERT_TRUE(before.identity && before.identity->stamp && after.identity && after.identity->stamp) << d.name;
        EXPECT_EQ(after.identity->stamp->size, before.identity->stamp->size) << d.name;
        EXPECT_EQ(after.identity->stamp->modified == before.identity->stamp->modified, platform::renameKeepsTime(d.trust)) << d.name;
    }
}

// A placeholder left by a move cut short is known for the program's own
// after the kernel forgot it, and removed; an empty file of anyone else's,
// or the stamp on a file with content, is never taken for one.
TEST(Durability, OnlyTheProgramsOwnPlaceholdersAreKnownAndRemoved) {
    for (const Driver& d : drivers) {
        Volume volume(d.kind);
        SKIP_WITHOUT(volume);
        TempFolder card(volume.path());
        {
            const platform::posix::Descriptor at(::open(card.text().c_str(), O_RDONLY | O_DIRECTORY));
            for (const char* name : {"Holiday_1.JPG", "stamped.JPG"}) {
                const platform::posix::Descriptor made(::openat(at.get(), name, O_WRONLY | O_CREAT | O_EXCL, 0600));
                ASSERT_GE(made.get(), 0) << d.name;
                if (std::string(name) == "stamped.JPG") {
                    ASSERT_EQ(::write(made.get(), "x", 1), 1);
                }
                EXPECT_FALSE(platform::posix::stampPlaceholder(made.get())) << d.name;
            }
        }
        std::ofstream(card / "empty.txt"); // empty, as the program's are, but not stamped
        ASSERT_TRUE(Volume::dropCaches());
        const auto folder = disk().openFolder(card.text());

        EXPECT_TRUE(folder->isOwnPlaceholder("Holiday_1.JPG")) << d.name;
        EXPECT_TRUE(folder->probe("Holiday_1.JPG").ownPlaceholder) << d.name;
        for (const char* name : {"stamped.JPG", "empty.txt", "absent.JPG"}) {
            EXPECT_FALSE(folder->isOwnPlaceholder(name)) << d.name << " " << name;
            const platform::PlaceholderRemoval removal = folder->removeOwnPlaceholder(name);
            EXPECT_FALSE(removal.removed) << d.name << " " << name;
            EXPECT_FALSE(removal.error) << d.name << " " << name;
        }
        EXPECT_TRUE(folder->removeOwnPlaceholder("Holiday_1.JPG").removed) << d.name;
        EXPECT_EQ(card.names(), (std::set<std::string>{"stamped.JPG", "empty.txt"})) << d.name;
    }
}

// A move on a card that refuses the flag once moves every later file without
// asking again, in this folder and in the next one held on the same card.
TEST(Durability, AFlagAFileSystemRefusedOnceIsNotAskedAgain) {
    for (const Driver& d : drivers) {
        Volume volume(d.kind);
        SKIP_WITHOUT(volume);
        TempFolder card(volume.path());
        card.addFiles({"a.txt", "b.txt"});
        const auto first = disk().openFolder(card.text());
        const platform::posix::Descriptor at(::open(card.text().c_str(), O_RDONLY | O_DIRECTORY));
        const platform::posix::MountKey mount = platform::posix::mountKeyOf(at.get());
        ASSERT_FALSE(first->move("a.txt", "c.txt")) << d.name;
        EXPECT_EQ(platform::posix::moveSupportOf(mount).noReplaceFlag, d.takesNoReplaceFlag) << d.name;
        ASSERT_FALSE(disk().openFolder(card.text())->move("b.txt", "d.txt")) << d.name;
        EXPECT_TRUE(first->move("c.txt", "d.txt")) << d.name << ": still never replaces";
        EXPECT_EQ(card.names(), (std::set<std::string>{"c.txt", "d.txt"})) << d.name;
    }
}

#endif

// The computer's own disk, on every platform: Windows flushes a folder
// opened for writing.
TEST(Durability, AFolderOnTheComputersOwnDiskIsDurableWhenAsked) {
    TempFolder folder;
    folder.addFile("a.txt");
    const auto held = disk().openFolder(folder.text());
    ASSERT_FALSE(held->move("a.txt", "b.txt"));
    const Durability made = held->makeNamesDurable();
    EXPECT_EQ(made.answer, Durability::Answer::Durable) << (made.error ? made.error->description : "");
    EXPECT_EQ(disk().makeNamesDurable(folder.text() + "-gone").answer, Durability::Answer::NotPromised);
}

TEST(Durability, AFolderIsResolvedThroughLinksBeforeItIsRecorded) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    TempFolder top;
    fs::create_directory(top / "real");
    fs::create_directory_symlink(top / "real", top / "link");
    const auto resolved = disk().resolveFolder((top / "link").string());
    ASSERT_TRUE(std::holds_alternative<std::string>(resolved));
    EXPECT_EQ(std::get<std::string>(resolved), fs::canonical(top / "real").string());
    const auto absent = disk().resolveFolder((top / "gone").string());
    ASSERT_TRUE(std::holds_alternative<platform::SystemError>(absent));
    EXPECT_EQ(platform::errorKind(std::get<platform::SystemError>(absent)), platform::ErrorKind::NotFound);
}

} // namespace
} // namespace norvane
