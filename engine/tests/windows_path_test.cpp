// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windows/windows_path.h"

#include <gtest/gtest.h>

namespace norvane::windows_path {
namespace {

TEST(WindowsPath, FullPathsTakeTheExtendedFormOthersOnlyBackslashes) {
    struct Case { std::u16string path, expected; };
    const Case cases[] = {
        {u"C:\\Users\\u\\a.txt", u"\\\\?\\C:\\Users\\u\\a.txt"},
        {u"C:\\", u"\\\\?\\C:\\"},
        {u"C:\\\\a.txt", u"\\\\?\\C:\\a.txt"},                 // a drive root joined with a name
        {u"c:/x//y/./z/../a.txt", u"\\\\?\\c:\\x\\y\\a.txt"},
        {u"C:\\..\\..\\a.txt", u"\\\\?\\C:\\a.txt"},           // never above the root
        {u"C:\\x\\", u"\\\\?\\C:\\x"},
        {u"\\\\server\\share\\x\\a.txt", u"\\\\?\\UNC\\server\\share\\x\\a.txt"},
        {u"//server/share", u"\\\\?\\UNC\\server\\share"},
        {u"\\\\?\\C:\\already", u"\\\\?\\C:\\already"},
        {u"\\\\.\\pipe\\x", u"\\\\.\\pipe\\x"},
        {u"relative/a.txt", u"relative\\a.txt"},
        {u"/f/n1.jpg", u"\\f\\n1.jpg"},
        {u"C:a.txt", u"C:a.txt"},                               // relative to the drive's current folder
    };
    for (const Case& c : cases) EXPECT_EQ(extended(c.path), c.expected) << ::testing::PrintToString(std::string(c.path.begin(), c.path.end()));
}

TEST(WindowsPath, RefusesNamesWindowsProgramsCannotUseAndNamesNoFolderHolds) {
    // refused: not a new name; unnameable: not even a name to look up or put back.
    struct Case { std::u16string name; bool refused; bool unnameable; };
    const Case cases[] = {
        {u"a.txt", false, false}, {u".cfg", false, false}, {u"...x", false, false}, {u"con.txt.bak", true, false},
        {u"console", false, false}, {u"COM1", true, false}, {u"com0x", false, false}, {u"LPT9.log", true, false},
        {u"nul", true, false}, {u"Aux.c", true, false}, {u"PRN ", true, false}, {u"a.", true, false}, {u"a ", true, false},
        {u" a", false, false}, {u"a:b", true, true}, {u"a?b", true, true}, {u"a*", true, true}, {u"a|b", true, true},
        {u"a\"b", true, true}, {u"a<b>", true, true}, {u"a\tb", true, true}, {u"", true, true}, {u".", true, true},
        {u"..", true, true}, {u"caf\u00e9", false, false}, {std::u16string{char16_t(0xD800)}, false, false},
        {std::u16string(255, u'n'), false, false}, {std::u16string(256, u'n'), true, true},
    };
    for (const Case& c : cases) {
        const std::string shown = ::testing::PrintToString(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(refusedName(c.name), c.refused) << shown;
        EXPECT_EQ(unnameable(c.name), c.unnameable) << shown;
    }
}

} // namespace
} // namespace norvane::windows_path
