// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Letter case: whether a folder's names ignore it, and one case for comparing
// names where they do.

#include "platform/posix/posix.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <wctype.h>

namespace norvane::platform {

namespace posix {

namespace {

bool lettered(std::string_view name) {
    for (const char c : name)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
    return false;
}

// The name with every ASCII letter in its other case.
std::string otherCase(std::string_view name) {
    std::string swapped(name);
    for (char& c : swapped) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return swapped;
}

// A second reading of an open folder, from its start: a duplicated descriptor
// shares its position with the first.
DIR* readFromStart(int folder) {
    const int copy = ::dup(folder);
    DIR* directory = copy < 0 ? nullptr : ::fdopendir(copy);
    if (directory == nullptr) {
        if (copy >= 0) ::close(copy);
        return nullptr;
    }
    ::rewinddir(directory);
    return directory;
}

// The first name with a letter in an open folder, read only as far as needed;
// and whether it lists exactly another name, read to the end if need be.
std::string firstLetteredName(int folder) {
    DIR* directory = readFromStart(folder);
    if (directory == nullptr) return {};
    std::string found;
    while (const dirent* entry = ::readdir(directory)) {
        if (lettered(entry->d_name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(directory);
    return found;
}

bool listsName(int folder, std::string_view name) {
    DIR* directory = readFromStart(folder);
    if (directory == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(directory)) {
        if (name == entry->d_name) {
            found = true;
            break;
        }
    }
    ::closedir(directory);
    return found;
}

// A name of the folder looked up in its other case is found where case is
// ignored, or where the folder holds both spellings; FUSE file systems give
// each spelling a number of its own, so the listing tells those apart.
std::optional<bool> askedOfAName(int folder, const std::string& name) {
    const std::string swapped = otherCase(name);
    struct stat asListed {}, asSwapped {};
    if (::fstatat(folder, name.c_str(), &asListed, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    if (::fstatat(folder, swapped.c_str(), &asSwapped, AT_SYMLINK_NOFOLLOW) == 0)
        return sameInode(asListed, asSwapped) || !listsName(folder, swapped);
    if (errno == ENOENT) return false;
    return std::nullopt;
}

// A FUSE folder with no name to ask: a name of the program's own, made and
// removed at once. A folder that takes no new file takes no batch either.
std::optional<bool> askedOfATemporaryName(int folder) {
    const std::string name = ".norvane-case-" + std::to_string(::getpid());
    Descriptor made(::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (made.get() < 0) return std::nullopt;
    made.close();
    const std::optional<bool> answer = askedOfAName(folder, name);
    ::unlinkat(folder, name.c_str(), 0);
    return answer;
}

bool ignoresCaseAt(int folder, const VolumeTraits& traits, unsigned depth) {
    const std::string name = firstLetteredName(folder);
    if (!name.empty())
        if (const std::optional<bool> answer = askedOfAName(folder, name)) return *answer;
    if (traits.ignoresCase) return *traits.ignoresCase;
    if (traits.fuse)
        if (const std::optional<bool> answer = askedOfATemporaryName(folder)) return *answer;
    // As its parent on the same file system is.
    Descriptor parent(::openat(folder, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat self {}, above {};
    if (depth >= 32 || parent.get() < 0 || ::fstat(folder, &self) != 0 || ::fstat(parent.get(), &above) != 0 ||
        self.st_dev != above.st_dev || sameInode(self, above))
        return false;
    return ignoresCaseAt(parent.get(), traits, depth + 1);
}

} // namespace

bool folderIgnoresCase(int folder, const VolumeTraits& traits) { return ignoresCaseAt(folder, traits, 0); }

} // namespace posix

namespace {

// The letter case mapping of the C.UTF-8 locale, whatever locale the program runs in.
locale_t utf8Locale() {
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

// The code point of the UTF-8 sequence at `at` and its length; length 0 where
// the bytes there are not one.
std::pair<char32_t, std::size_t> decodeUtf8(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead >= 0xf0 && lead < 0xf5 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
    if (length == 0 || at + length > text.size()) return {0, 0};
    char32_t point = lead & (0x7f >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80) return {0, 0};
        point = point << 6 | (byte(at + i) & 0x3f);
    }
    const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
    if (overlong || point > 0x10ffff || (point >= 0xd800 && point < 0xe000)) return {0, 0};
    return {point, length};
}

void appendUtf8(std::string& text, char32_t point) {
    if (point < 0x80) {
        text += static_cast<char>(point);
    } else if (point < 0x800) {
        text += static_cast<char>(0xc0 | point >> 6);
        text += static_cast<char>(0x80 | (point & 0x3f));
    } else if (point < 0x10000) {
        text += static_cast<char>(0xe0 | point >> 12);
        text += static_cast<char>(0x80 | (point >> 6 & 0x3f));
        text += static_cast<char>(0x80 | (point & 0x3f));
    } else {
        text += static_cast<char>(0xf0 | point >> 18);
        text += static_cast<char>(0x80 | (point >> 12 & 0x3f));
        text += static_cast<char>(0x80 | (point >> 6 & 0x3f));
        text += static_cast<char>(0x80 | (point & 0x3f));
    }
}

} // namespace

// Upper case, as the case-blind file systems compare (their tables map to
// upper case); bytes that are not UTF-8 stay as they are.
std::string foldCase(std::string_view name) {
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const unsigned char c = static_cast<unsigned char>(name[at]);
        if (c < 0x80) {
            folded += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            ++at;
            continue;
        }
        const auto [point, length] = decodeUtf8(name, at);
        if (length == 0 || utf8Locale() == static_cast<locale_t>(nullptr)) {
            folded += static_cast<char>(c);
            ++at;
            continue;
        }
        appendUtf8(folded, static_cast<char32_t>(::towupper_l(static_cast<wint_t>(point), utf8Locale())));
        at += length;
    }
    return folded;
}

} // namespace norvane::platform
