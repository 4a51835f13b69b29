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

TEST(WindowsPath, RefusesNamesWindowsProgramsCannotUse) {
    struct Case { std::u16string name; bool refused; };
    const Case cases[] = {
        {u"a.txt", false}, {u".cfg", false}, {u"...x", false}, {u"con.txt.bak", true}, {u"console", false},
        {u"COM1", true}, {u"com0x", false}, {u"LPT9.log", true}, {u"nul", true}, {u"Aux.c", true},
        {u"PRN ", true}, {u"a.", true}, {u"a ", true}, {u" a", false}, {u"a:b", true}, {u"a?b", true},
        {u"a*", true}, {u"a|b", true}, {u"a\"b", true}, {u"a<b>", true}, {u"a\tb", true}, {u"", true}, {u".", true},
        {u"..", true}, {u"caf\u00e9", false}, {std::u16string{char16_t(0xD800)}, false},
        {std::u16string(255, u'n'), false}, {std::u16string(256, u'n'), true},
    };
    for (const Case& c : cases) EXPECT_EQ(refusedName(c.name), c.refused) << ::testing::PrintToString(std::string(c.name.begin(), c.name.end()));
}

} // namespace
} // namespace norvane::windows_path
