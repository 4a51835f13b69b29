// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/path.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

struct Split {
    std::string_view path, last, folder, parent, trimmed;
};

// Windows takes '\' and '/' both; POSIX only '/', so a backslash is part of a name there.
const Split splits[] = {
    {"a.txt", "a.txt", "", "", "a.txt"},
    {"sub/a.txt", "a.txt", "sub", "sub", "sub/a.txt"},
    {"/home/u/a.txt", "a.txt", "/home/u", "/home/u", "/home/u/a.txt"},
    {"/a.txt", "a.txt", "", "/", "/a.txt"},
    {"/", "", "", "", "/"},
    {"/home/u/", "", "/home/u", "/home", "/home/u"},
    {"/home//u", "u", "/home/", "/home", "/home//u"},
#ifdef _WIN32
    {"C:\\Users\\u", "u", "C:\\Users", "C:\\Users", "C:\\Users\\u"},
    {"C:\\Users", "Users", "C:", "C:\\", "C:\\Users"},
    {"C:\\", "", "C:", "", "C:\\"},
    {"C:\\\\", "", "C:\\", "", "C:\\"},
    {"C:/x/", "", "C:/x", "C:/", "C:/x"},
    {"C:a.txt", "C:a.txt", "", "", "C:a.txt"},
    {"sub\\a.txt", "a.txt", "sub", "sub", "sub\\a.txt"},
    {"\\\\server\\share\\x", "x", "\\\\server\\share", "\\\\server\\share\\", "\\\\server\\share\\x"},
    {"\\\\server\\share\\", "", "\\\\server\\share", "", "\\\\server\\share\\"},
    {"\\\\server\\share", "share", "\\\\server", "", "\\\\server\\share"},
    {"\\a.txt", "a.txt", "", "\\", "\\a.txt"},
#else
    // On Windows two separators begin a share's name, so "//" stays whole there.
    {"//", "", "/", "", "/"},
    {"sub\\a.txt", "sub\\a.txt", "", "", "sub\\a.txt"},
    {"C:\\Users", "C:\\Users", "", "", "C:\\Users"},
    {"a\\b/c", "c", "a\\b", "a\\b", "a\\b/c"},
#endif
};

TEST(Path, SplitsAtTheLastSeparatorAndKeepsARootWhole) {
    for (const Split& c : splits) {
        SCOPED_TRACE(std::string(c.path));
        EXPECT_EQ(LastComponent(c.path), c.last);
        EXPECT_EQ(FolderPart(c.path), c.folder);
        EXPECT_EQ(ParentFolder(c.path), c.parent);
        EXPECT_EQ(WithoutTrailingSeparators(c.path), c.trimmed);
        EXPECT_EQ(HoldsSeparator(c.path), c.last.size() != c.path.size());
    }
}

TEST(Path, ARootIsWhatNoParentLiesAbove) {
    struct Case { std::string_view path; std::size_t root; };
    const Case cases[] = {
        {"", 0}, {"a/b", 0}, {"/", 1}, {"/a/b", 1},
#ifdef _WIN32
        {"C:\\a", 3}, {"c:/a", 3}, {"C:", 2}, {"C:a", 2}, {"\\\\server\\share\\a", 15}, {"\\\\server\\share", 14},
        {"\\\\server", 8}, {"\\a", 1}, {"1:\\a", 0},
#else
        {"C:\\a", 0}, {"\\a", 0},
#endif
    };
    for (const Case& c : cases) EXPECT_EQ(RootLength(c.path), c.root) << c.path;
    // Up from any path, the walk ends at its root.
    for (const Split& c : splits) {
        std::string_view at = c.path;
        for (std::string_view up = ParentFolder(at); !up.empty(); up = ParentFolder(at)) {
            ASSERT_LT(up.size(), at.size()) << c.path;
            at = up;
        }
        if (RootLength(c.path) > 0 && HoldsSeparator(c.path)) {
            EXPECT_EQ(WithoutTrailingSeparators(at).size(), RootLength(at)) << c.path;
        }
    }
}

TEST(Path, JoinsWithTheSystemsSeparator) {
    EXPECT_EQ(JoinPath("folder", "a.txt"), std::string("folder") + pathSeparator + "a.txt");
    EXPECT_EQ(LastComponent(JoinPath("folder", "a.txt")), "a.txt");
    EXPECT_EQ(FolderPart(JoinPath("folder", "a.txt")), "folder");
#ifdef _WIN32
    EXPECT_EQ(pathSeparator, '\\');
#else
    EXPECT_EQ(pathSeparator, '/');
#endif
}

} // namespace
} // namespace norvane
