// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What only Windows has: attributes that hide, case-blind names, drive roots,
// UTF-16 names and the 260-character limit.

#include "norvane/file_list.h"
#include "norvane/folder_list.h"
#include "norvane/platform.h"
#include "norvane/rename_run.h"
#include "norvane/undo.h"

#include "temp_folder.h"
#include "shown.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace norvane {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

platform::FileSystem& disk() { return platform::nativeFileSystem(); }

struct NoMessages : MessageSink {
    void show(const std::string&) override {}
};

void setAttributes(const TempFolder& folder, const std::string& name, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW((folder / name).c_str(), attributes)) << name << ": error " << ::GetLastError();
}

TEST(WindowsListing, LeavesOutHiddenAndSystemFilesAndFolders) {
    TempFolder folder;
    folder.addFiles({"plain.txt", "hidden.txt", "system.txt", "readonly.txt", "archive.txt"});
    folder.addFolder("sub");
    folder.addFolder("hidden-folder");
    folder.addFolder("system-folder");
    setAttributes(folder, "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    setAttributes(folder, "system.txt", FILE_ATTRIBUTE_SYSTEM);
    setAttributes(folder, "readonly.txt", FILE_ATTRIBUTE_READONLY);
    setAttributes(folder, "archive.txt", FILE_ATTRIBUTE_ARCHIVE);
    setAttributes(folder, "hidden-folder", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    setAttributes(folder, "system-folder", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);

    FileList files;
    files.setPath(folder.text());
    EXPECT_EQ(files.names(), (std::vector<std::string>{"archive.txt", "plain.txt", "readonly.txt"}));

    FolderList folders;
    folders.setPath(folder.text());
    ASSERT_EQ(folders.entries().size(), folders.chainLength() + 1);
    EXPECT_EQ(folders.entries().back().name, "sub");

    setAttributes(folder, "readonly.txt", FILE_ATTRIBUTE_NORMAL); // so the folder can be removed
}

TEST(WindowsListing, DriveRootJoinsWithADoubledSeparatorAndMovesThere) {
    const std::string root = testing::rootOf(testing::toText(fs::temp_directory_path()));
    ASSERT_EQ(root.size(), 3u) << root;
    EXPECT_EQ(JoinPath(root, "a.txt"), root + "\\a.txt");

    // The drive root may not be writable; a doubled separator anywhere goes the same way.
    TempFolder folder;
    folder.addFile("a.txt", "content");
    const std::string doubled = folder.text() + "\\\\";
    EXPECT_FALSE(testing::moveFile(doubled + "a.txt", doubled + "b.txt").has_value());
    EXPECT_EQ(folder.names(), std::set<std::string>{"b.txt"});
    EXPECT_EQ(folder.contentOf("b.txt"), "content");

    FileList list;
    list.setPath(root);
    EXPECT_EQ(list.path(), root);
    EXPECT_FALSE(list.error().has_value());
}

TEST(WindowsMove, RefusesAnExistingDestinationTheSamePathAndAnotherCase) {
    TempFolder folder;
    folder.addFile("a.txt", "a");
    folder.addFile("b.txt", "b");
    struct Case { const char* destination; DWORD error; };
    const Case cases[] = {
        {"b.txt", ERROR_ALREADY_EXISTS}, {"B.TXT", ERROR_ALREADY_EXISTS}, {"a.txt", ERROR_ALREADY_EXISTS},
        {"a:b", ERROR_INVALID_NAME}, {"a?b", ERROR_INVALID_NAME},
    };
    for (const Case& c : cases) {
        const auto error = testing::moveFile(folder.pathOf("a.txt"), folder.pathOf(c.destination));
        ASSERT_TRUE(error.has_value()) << c.destination;
        EXPECT_EQ(error->number, static_cast<int>(c.error)) << c.destination << ": " << error->description;
        EXPECT_FALSE(error->description.empty());
        EXPECT_NE(error->description.back(), '\n') << "the system's line end is trimmed";
    }
    EXPECT_EQ(folder.contentOf("a.txt"), "a");
    EXPECT_EQ(folder.contentOf("b.txt"), "b");
}

TEST(WindowsMove, ACaseOnlyRenameOfTheSameFileGoesThrough) {
    TempFolder folder;
    folder.addFile("photo.JPG", "picture");
    EXPECT_EQ(platform::foldCase("photo.JPG"), platform::foldCase("PHOTO.jpg"));
    EXPECT_TRUE(disk().probeFolder(folder.text()).ignoresCase);

    FileList list;
    list.setPath(folder.text());
    NoMessages sink;
    const auto failure = norvane::Run(Rule::ExtensionName, list, {"", "jpg"}, sink);
    ASSERT_FALSE(failure.has_value()) << shown(*failure);
    EXPECT_EQ(folder.names(), std::set<std::string>{"photo.jpg"});
    EXPECT_EQ(list.names(), std::vector<std::string>{"photo.jpg"});
    EXPECT_EQ(folder.contentOf("photo.jpg"), "picture");
}

// NTFS holds names Windows programs cannot open (made through `\\?\` paths,
// by WSL, by a Mac or Linux writing the disk): such a file is renamed to a
// name that fixes it, and an undo puts it back under the name it had.
TEST(WindowsMove, NamesWindowsProgramsCannotOpenAreRenamedAndPutBack) {
    struct Case { const char* name; const char* find; const char* replace; const char* renamed; };
    const Case cases[] = {
        {"x.txt ", "txt ", "txt", "x.txt"}, {"y.txt.", "txt.", "txt", "y.txt"},
        {"nul.txt", "nul", "null", "null.txt"}, {"con", "con", "cone", "cone"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.addFile(c.name);
        folder.addFile("other.txt");
        if (folder.names() != std::set<std::string>{c.name, "other.txt"})
            GTEST_SKIP() << "this file system does not hold \"" << c.name << "\" as it is";
        FileList list;
        list.setPath(folder.text());
        ASSERT_EQ(testing::listedSet(list), (std::set<std::string>{c.name, "other.txt"}));
        NoMessages sink;
        RenameRun run(Rule::ReplaceName, list, {c.find, c.replace}, sink);
        const auto failure = run.Run();
        ASSERT_FALSE(failure.has_value()) << c.name << ": " << shown(*failure);
        EXPECT_EQ(folder.names(), (std::set<std::string>{c.renamed, "other.txt"})) << c.name;
        EXPECT_EQ(folder.contentOf(c.renamed), c.name);

        const UndoOutcome undone = Undo(run.record());
        EXPECT_EQ(undone.restored, 1u) << c.name;
        EXPECT_TRUE(undone.leftAlone.empty() && !undone.stoppedAt) << c.name;
        EXPECT_EQ(folder.names(), (std::set<std::string>{c.name, "other.txt"})) << c.name;
    }
    // A new name is still held to what Windows programs can open.
    TempFolder folder;
    folder.addFile("x.txt");
    FileList list;
    list.setPath(folder.text());
    NoMessages sink;
    const auto failure = norvane::Run(Rule::ReplaceName, list, {"txt", "txt "}, sink);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, RenameFailure::Kind::NameNotHeld) << shown(*failure);
    EXPECT_EQ(folder.names(), std::set<std::string>{"x.txt"});
}

// Another program holding a file open without delete sharing, as a photo
// viewer does: norvane_file_holder, beside these tests.
class HeldElsewhere {
public:
    explicit HeldElsewhere(const std::string& path) {
        const std::wstring events = L"norvane-holder-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++made_);
        ready_ = ::CreateEventW(nullptr, TRUE, FALSE, (events + L"-ready").c_str());
        release_ = ::CreateEventW(nullptr, TRUE, FALSE, (events + L"-release").c_str());
        const std::wstring program = testing::systemPath(platform::applicationFolder() + "\\norvane_file_holder.exe").wstring();
        std::wstring line = L"holder \"" + testing::systemPath(path).wstring() + L"\" " + events;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            ::CloseHandle(started.hThread);
            process_ = started.hProcess;
        }
        const HANDLE waited[] = {ready_, process_};
        holding_ = process_ != nullptr && ::WaitForMultipleObjects(2, waited, FALSE, 30000) == WAIT_OBJECT_0;
    }
    ~HeldElsewhere() {
        letGo();
        for (const HANDLE handle : {ready_, release_, process_})
            if (handle != nullptr) ::CloseHandle(handle);
    }
    HeldElsewhere(const HeldElsewhere&) = delete;
    HeldElsewhere& operator=(const HeldElsewhere&) = delete;

    bool holding() const { return holding_; }
    void letGo() {
        ::SetEvent(release_);
        if (process_ != nullptr) ::WaitForSingleObject(process_, 30000);
        holding_ = false;
    }

private:
    static inline int made_ = 0;
    HANDLE ready_ = nullptr, release_ = nullptr, process_ = nullptr;
    bool holding_ = false;
};

// The batch waits on such a file and asks: Try Again moves it once it is let
// go; Stop cuts the batch short there, and an undo puts back what it moved.
TEST(WindowsMove, AFileAnotherProgramHoldsOpenIsAskedAboutThenTriedAgainOrStopped) {
    for (const HeldFile::Answer answer : {HeldFile::Answer::TryAgain, HeldFile::Answer::Stop, HeldFile::Answer::Unanswered}) {
        TempFolder folder;
        folder.addFiles({"a.jpg", "b.jpg", "c.jpg"});
        HeldElsewhere holder(folder.pathOf("b.jpg"));
        ASSERT_TRUE(holder.holding()) << "norvane_file_holder did not open b.jpg";
        FileList list;
        list.setPath(folder.text());
        NoMessages sink;
        RenameRun run(Rule::ReplaceName, list, {".jpg", ".png"}, sink);
        std::vector<std::string> asked;
        run.setProgress([&](const BatchProgress& progress) {
            if (progress.stage != BatchProgress::Stage::Held) return true;
            asked.push_back(std::string(progress.held->from) + " " + std::to_string(progress.held->errorNumber));
            // Asked twice: held still at the first Try Again, let go before the second.
            if (asked.size() == 2) holder.letGo();
            progress.held->answer = answer;
            return true;
        });
        const auto failure = run.Run();
        const std::string sharing = "b.jpg " + std::to_string(ERROR_SHARING_VIOLATION);
        switch (answer) {
        case HeldFile::Answer::TryAgain:
            EXPECT_FALSE(failure.has_value()) << shown(*failure);
            EXPECT_EQ(asked, (std::vector<std::string>{sharing, sharing}));
            EXPECT_EQ(folder.names(), (std::set<std::string>{"a.png", "b.png", "c.png"}));
            break;
        case HeldFile::Answer::Stop:
        case HeldFile::Answer::Unanswered: {
            ASSERT_TRUE(failure.has_value());
            EXPECT_EQ(failure->kind, answer == HeldFile::Answer::Stop ? RenameFailure::Kind::Cancelled : RenameFailure::Kind::MoveRefused);
            EXPECT_EQ(failure->renamed, 1u);
            EXPECT_EQ(asked, std::vector<std::string>{sharing});
            EXPECT_EQ(folder.names(), (std::set<std::string>{"a.png", "b.jpg", "c.jpg"}));
            EXPECT_EQ(Undo(run.record()).restored, 1u);
            EXPECT_EQ(folder.names(), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
            break;
        }
        }
    }
}

// Lists the names, renames each to name + suffix, and checks every file arrived with its content.
void roundTrip(const TempFolder& folder, const std::vector<std::string>& names, const std::string& suffix) {
    FileList list;
    list.setPath(folder.text());
    ASSERT_EQ(testing::listedSet(list), std::set<std::string>(names.begin(), names.end()));

    NoMessages sink;
    const auto failure = norvane::Run(Rule::ReplaceName, list, {".txt", suffix + ".dat"}, sink);
    ASSERT_FALSE(failure.has_value()) << shown(*failure);
    std::set<std::string> expected;
    for (const std::string& name : names) {
        const std::string renamed = name.substr(0, name.size() - 4) + suffix + ".dat";
        expected.insert(renamed);
        EXPECT_EQ(folder.contentOf(renamed), name);
    }
    EXPECT_EQ(folder.names(), expected);
    EXPECT_EQ(testing::listedSet(list), expected);
}

TEST(WindowsMove, AcrossVolumesTheFileMovesWholeOrNotAtAll) {
    // Under Wine, Z: is the host's root and its /dev/shm a volume of its own.
    const fs::path otherVolume = "Z:\\dev\\shm";
    TempFolder folder;
    if (!fs::is_directory(otherVolume) || folder.text().rfind("Z:", 0) == 0) GTEST_SKIP() << "no second volume to move to";
    TempFolder away(otherVolume);
    folder.addFiles({"plain.txt", "readonly.txt", "in-use.txt"});
    setAttributes(folder, "readonly.txt", FILE_ATTRIBUTE_READONLY);

    // A copy, then the source deleted: read-only files move as they do within a volume.
    for (const char* name : {"plain.txt", "readonly.txt"}) {
        const auto error = testing::moveFile(folder.pathOf(name), away.pathOf(name));
        EXPECT_FALSE(error.has_value()) << name << ": " << error->description;
        EXPECT_EQ(away.contentOf(name), name);
    }
    ::SetFileAttributesW((away / "readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

    // Held open by someone who allows reading but not deleting: it stays
    // where it is, and no copy of it is left on the other volume.
    const HANDLE holder = ::CreateFileW((folder / "in-use.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const auto error = testing::moveFile(folder.pathOf("in-use.txt"), away.pathOf("in-use.txt"));
    ::CloseHandle(holder);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(folder.names(), std::set<std::string>{"in-use.txt"}) << error->description;
    EXPECT_EQ(away.names(), (std::set<std::string>{"plain.txt", "readonly.txt"})) << error->description;
}

TEST(WindowsMove, AcrossVolumesAFailedCopyLeavesWhatAnotherProgramMadeThere) {
    const fs::path otherVolume = "Z:\\dev\\shm";
    TempFolder folder;
    if (!fs::is_directory(otherVolume) || folder.text().rfind("Z:", 0) == 0) GTEST_SKIP() << "no second volume to move to";
    TempFolder away(otherVolume);
    folder.addFile("a.txt", "mine");
    // Held by a program that lets it be moved but not read: the copy fails.
    const HANDLE holder = ::CreateFileW((folder / "a.txt").c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    platform::testing::onCopying([&](const std::string&) { away.addFile("a.txt", "theirs"); });
    const auto error = testing::moveFile(folder.pathOf("a.txt"), away.pathOf("a.txt"));
    platform::testing::onCopying(nullptr);
    ::CloseHandle(holder);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(folder.contentOf("a.txt"), "mine");
    EXPECT_EQ(away.contentOf("a.txt"), "theirs") << error->description;
}

TEST(WindowsMove, NonAsciiNamesRoundTripThroughListingAndMoving) {
    const std::vector<std::string> names = {"caf\xc3\xa9.txt", "\xe6\x97\xa5\xe6\x9c\xac.txt", "\xf0\x9f\x98\x80.txt",
                                            "\xd0\x96\xd0\xb6.txt"};
    TempFolder folder;
    folder.addFiles(names);
    roundTrip(folder, names, "\xc3\x9f");
}

TEST(WindowsMove, UnpairedSurrogatesRoundTripThroughListingAndMoving) {
    // Valid NTFS names, though not valid UTF-16 text.
    const std::string loneHigh = "\xed\xa0\x80", loneLow = "\xed\xbf\xbf";
    const std::vector<std::string> names = {"high" + loneHigh + ".txt", "low" + loneLow + ".txt"};
    TempFolder folder;
    for (const std::string& name : names) {
        const HANDLE file = ::CreateFileW(testing::systemPath(folder.pathOf(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            // Wine keeps names as UTF-8 on the host, which has no spelling for them.
            GTEST_SKIP() << "this file system cannot hold an unpaired surrogate (error " << ::GetLastError() << ")";
        }
        ::CloseHandle(file);
        folder.addFile(name);
    }
    roundTrip(folder, names, loneLow);
}

TEST(WindowsMove, RefusesTextThatIsNotUtf8) {
    TempFolder folder;
    folder.addFile("a.txt");
    const auto error = testing::moveFile(folder.pathOf("a.txt"), folder.pathOf("\xff.txt"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number, static_cast<int>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_TRUE(testing::probePath(folder.pathOf("\xff.txt")).error.has_value());
    EXPECT_EQ(folder.names(), std::set<std::string>{"a.txt"});
}

// Removes deep folders bottom-up, which std::filesystem cannot do past 260 characters.
struct DeepFolders {
    std::vector<std::string> made;
    ~DeepFolders() {
        for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
            for (const char* name : {"\\a.txt", "\\a.md"}) ::DeleteFileW(testing::systemPath(*folder + name).c_str());
            ::RemoveDirectoryW(testing::systemPath(*folder).c_str());
        }
    }
};

TEST(WindowsMove, PathsLongerThan260CharactersWork) {
    TempFolder folder;
    DeepFolders cleanup;
    std::string deep = folder.text();
    for (int level = 0; level < 6; ++level) {
        deep += "\\" + std::string(60, char('a' + level));
        ASSERT_TRUE(::CreateDirectoryW(testing::systemPath(deep).c_str(), nullptr)) << ::GetLastError();
        cleanup.made.push_back(deep);
    }
    ASSERT_GT(deep.size(), 300u);
    const std::string relative = deep.substr(folder.text().size() + 1);
    folder.addFile(relative + "\\a.txt", "deep");

    FileList list;
    list.setPath(deep);
    ASSERT_FALSE(list.error().has_value()) << list.error()->error.description;
    ASSERT_EQ(list.names(), std::vector<std::string>{"a.txt"});
    NoMessages sink;
    const auto failure = norvane::Run(Rule::ExtensionName, list, {"", "md"}, sink);
    ASSERT_FALSE(failure.has_value()) << shown(*failure);
    EXPECT_EQ(list.names(), std::vector<std::string>{"a.md"});
    EXPECT_EQ(folder.contentOf(relative + "\\a.md"), "deep");
}

TEST(WindowsPlatform, ApplicationFolderHoldsThisProgram) {
    const std::string folder = platform::applicationFolder();
    EXPECT_EQ(platform::directorySeparator(), '\\');
    EXPECT_EQ(testing::probePath(folder).kind, platform::PathKind::Folder);
    EXPECT_EQ(testing::probePath(folder + "\\norvane_engine_tests.exe").kind, platform::PathKind::File);
}

} // namespace
} // namespace norvane

namespace norvane {
namespace {

// A placeholder a move on a card left, seen on Windows: known and removed;
// the same time on a file with content keeps it. The drive names its volume.
TEST(WindowsVolume, OnlyTheProgramsOwnPlaceholdersGoAndTheVolumeHasASerial) {
    TempFolder folder;
    std::ofstream(folder / "Holiday_1.JPG"); // empty
    folder.addFile("stamped.JPG", "x");
    const std::int64_t steps = platform::placeholderTime / 100 + 116444736000000000LL;
    const FILETIME stamp{static_cast<DWORD>(steps & 0xffffffff), static_cast<DWORD>(steps >> 32)};
    for (const char* name : {"Holiday_1.JPG", "stamped.JPG"}) {
        const HANDLE file = ::CreateFileW((folder / name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
        EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &stamp)) << name;
        ::CloseHandle(file);
    }
    EXPECT_TRUE(disk().isOwnPlaceholder(folder.text(), "Holiday_1.JPG"));
    EXPECT_FALSE(disk().isOwnPlaceholder(folder.text(), "stamped.JPG"));
    EXPECT_FALSE(disk().removeOwnPlaceholder(folder.text(), "stamped.JPG").removed);
    EXPECT_TRUE(disk().removeOwnPlaceholder(folder.text(), "Holiday_1.JPG").removed);
    EXPECT_EQ(folder.names(), std::set<std::string>{"stamped.JPG"});
    const std::optional<std::string> id = disk().volumeId(folder.text());
    ASSERT_TRUE(id);
    EXPECT_EQ(id->size(), 9u) << *id;
    EXPECT_EQ((*id)[4], '-') << *id;
}

} // namespace
} // namespace norvane
