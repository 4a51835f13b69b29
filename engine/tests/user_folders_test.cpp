// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The folders a program is started from or starts in: the user's own, the
// system's program folders, and whether a folder takes new files.

#include "norvane/platform.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace norvane {
namespace {

using testing::TempFolder;

bool isFolder(const std::string& path) { return platform::nativeFileSystem().probeFolder(path).isFolder; }

TEST(UserFolders, HomeIsAFolder) { EXPECT_TRUE(isFolder(platform::homeFolder())) << platform::homeFolder(); }

#ifndef _WIN32
TEST(UserFolders, HomeFollowsTheEnvironmentThenTheUserDatabase) {
    const char* saved = std::getenv("HOME");
    const std::string before = saved != nullptr ? saved : "";
    TempFolder folder;
    ::setenv("HOME", folder.text().c_str(), 1);
    EXPECT_EQ(platform::homeFolder(), folder.text());
    // Not a path: the user database answers.
    ::setenv("HOME", "relative", 1);
    const std::string fallback = platform::homeFolder();
    EXPECT_EQ(fallback.front(), '/');
    if (saved != nullptr) ::setenv("HOME", before.c_str(), 1);
    else ::unsetenv("HOME");
}
#endif

TEST(UserFolders, WritableFolders) {
    TempFolder folder;
    EXPECT_TRUE(platform::canWriteTo(folder.text()));
    EXPECT_FALSE(platform::canWriteTo(folder.pathOf("missing")));
    EXPECT_FALSE(platform::canWriteTo(""));
#ifndef _WIN32
    folder.addFolder("locked");
    ::chmod(folder.pathOf("locked").c_str(), 0555);
    // The superuser writes through permissions; only a user can be refused.
    if (::geteuid() != 0) {
        EXPECT_FALSE(platform::canWriteTo(folder.pathOf("locked")));
    }
    ::chmod(folder.pathOf("locked").c_str(), 0755);
#endif
}

TEST(UserFolders, ProgramFoldersExist) {
    const std::vector<std::string> folders = platform::programFolders();
    ASSERT_FALSE(folders.empty());
    for (const std::string& folder : folders) EXPECT_TRUE(isFolder(folder)) << folder;
#ifndef _WIN32
    EXPECT_NE(std::find(folders.begin(), folders.end(), "/usr"), folders.end());
#endif
}

} // namespace
} // namespace norvane
