// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windows/windows_path.h"

#include <algorithm>
#include <array>
#include <vector>

namespace norvane::windows_path {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

char16_t upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c; }

bool isDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// Splits at separators, dropping empty and "." parts and resolving "..", never above the root.
std::vector<std::u16string_view> cleanComponents(std::u16string_view rest) {
    std::vector<std::u16string_view> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end])) ++end;
        const std::u16string_view part = rest.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    return parts;
}

std::u16string joined(std::u16string root, const std::vector<std::u16string_view>& parts) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) root += u'\\';
        root.append(parts[i]);
    }
    return root;
}

} // namespace

std::u16string extended(std::u16string_view path) {
    const bool alreadyExtended = path.size() >= 4 && path.substr(0, 4) == u"\\\\?\\";
    if (alreadyExtended) return std::u16string(path);

    if (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == u':' && isSeparator(path[2])) {
        std::u16string root = u"\\\\?\\";
        root += path.substr(0, 2);
        root += u'\\';
        return joined(std::move(root), cleanComponents(path.substr(3)));
    }
    // "\\server\share\...", but not the device forms "\\.\" and "\\?\".
    if (path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && path[2] != u'.' && path[2] != u'?' &&
        !isSeparator(path[2])) {
        const std::vector<std::u16string_view> parts = cleanComponents(path.substr(2));
        if (parts.size() >= 2) return joined(u"\\\\?\\UNC\\", parts);
    }
    std::u16string plain(path);
    std::replace(plain.begin(), plain.end(), u'/', u'\\');
    return plain;
}

bool unnameable(std::u16string_view name) {
    // 255 UTF-16 units is the longest name NTFS, FAT and exFAT hold.
    if (name.empty() || name.size() > 255 || name == u"." || name == u"..") return true;
    for (const char16_t c : name) {
        if (c < 32 || std::u16string_view(u"<>:\"|?*\\/").find(c) != std::u16string_view::npos) return true;
    }
    return false;
}

bool refusedName(std::u16string_view name) {
    if (unnameable(name)) return true;
    if (name.back() == u'.' || name.back() == u' ') return true;
    // A device name stays a device with any extension: "nul.txt" is NUL.
    std::u16string stem(name.substr(0, name.find(u'.')));
    while (!stem.empty() && stem.back() == u' ') stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(), upper);
    static const std::array<std::u16string_view, 4> devices = {u"CON", u"PRN", u"AUX", u"NUL"};
    if (std::find(devices.begin(), devices.end(), stem) != devices.end()) return true;
    if (stem.size() == 4 && (stem.substr(0, 3) == u"COM" || stem.substr(0, 3) == u"LPT") && stem[3] >= u'0' && stem[3] <= u'9')
        return true;
    return false;
}

std::u16string_view lastComponent(std::u16string_view path) {
    const std::size_t last = path.find_last_of(u"\\/");
    return last == std::u16string_view::npos ? path : path.substr(last + 1);
}

} // namespace norvane::windows_path
