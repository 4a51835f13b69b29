// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Random folders and random run inputs for the property test, built to hit
// what breaks renamers: names with zero to four dots (leading, trailing,
// doubled), spaces, newlines, non-ASCII and non-UTF-8 bytes, 255-byte names,
// names differing only in case, hidden files, subfolders, and texts that are
// empty, hold separators, or equal or contain each other.

#include "norvane/rules.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace norvane::testing {

struct RandomFolder {
    std::vector<std::string> files;   // directly in the folder, hidden ones included
    std::vector<std::string> folders; // its subfolders
    std::vector<std::string> nested;  // files inside the subfolders, as "folder/name"
};

class RoundGenerator {
public:
    explicit RoundGenerator(std::uint64_t seed) : random_(seed) {}

    RandomFolder folder() {
        RandomFolder result;
        std::set<std::string> taken;
        // Some rounds give every listed name enough dots for every rule to act on all of them.
        minimumDots_ = below(3);
        const std::size_t files = below(9);
        for (std::size_t i = 0; i < files; ++i) {
            std::string name = fileName();
            if (!result.files.empty() && chance(6)) name = swapCase(pick(result.files));
            // 'ab' beside 'aab': one text then turns them into two spellings of one name.
            else if (!result.files.empty() && chance(4)) name = stutter(pick(result.files));
            if (taken.insert(name).second) result.files.push_back(name);
        }
        for (std::size_t i = below(3); i > 0; --i) {
            const std::string name = "." + fileName();
            if (name != "." && name != ".." && taken.insert(name).second) result.files.push_back(name);
        }
        for (std::size_t i = below(3); i > 0; --i) {
            const std::string name = chance(2) ? "sub" : fileName();
            if (!taken.insert(name).second) continue;
            result.folders.push_back(name);
            // Inside it, names the run might send files to.
            for (std::size_t j = below(3); j > 0; --j) {
                const std::string inner = (!result.files.empty() && chance(2)) ? pick(result.files) : fileName();
                if (taken.insert(name + "/" + inner).second) result.nested.push_back(name + "/" + inner);
            }
        }
        return result;
    }

    Rule rule() { return static_cast<Rule>(below(4)); }

    // `names` are the listed files, `folders` the subfolders a separator may name.
    RuleTexts texts(const std::vector<std::string>& names, const std::vector<std::string>& folders) {
        RuleTexts texts;
        texts.search = (!names.empty() && chance(2)) ? fragment(pick(names)) : text(folders);
        switch (below(7)) {
        case 5: texts.replacement = pick(separators); break;
        case 0: texts.replacement = texts.search; break;
        case 1: texts.replacement = texts.search + text(folders); break;
        case 2: texts.replacement = text(folders) + texts.search; break;
        case 3: texts.replacement = fragment(texts.search); break;
        default: texts.replacement = text(folders); break;
        }
        if (chance(40)) texts.replacement.insert(below(texts.replacement.size() + 1), 1, '\0');
        return texts;
    }

    bool chance(std::size_t oneIn) { return below(oneIn) == 0; }
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_); }

private:
    const std::string& pick(const std::vector<std::string>& from) { return from[below(from.size())]; }

    // Replacements that only add separators: two names then meet at one file under two spellings.
    inline static const std::vector<std::string> separators{"/", "//", "./", "../", "\\"};

    std::string namePiece() {
        static const std::vector<std::string> pieces{"a", "b", "A", "B", "x", "0", "1", "7", " ", "  ", "-", "_", "txt", "JPG",
                                                     "\xc3\xa9", "\xe6\x97\xa5", "\n", "\xff", "\xfe\x80"};
        return pick(pieces);
    }

    std::string segment() {
        std::string result;
        for (std::size_t i = below(4); i > 0; --i) result += namePiece();
        return result;
    }

    std::string fileName() {
        for (;;) {
            const std::size_t dots = minimumDots_ + below(5 - minimumDots_);
            std::string name = segment();
            for (std::size_t i = 0; i < dots; ++i) name += "." + segment();
            // The longest name a file system takes.
            if (chance(15) && name.size() < 255) name.insert(0, 255 - name.size(), 'L');
            if (!name.empty() && name != "." && name != "..") return name;
        }
    }

    std::string text(const std::vector<std::string>& folders) {
        static const std::vector<std::string> pieces{".", "a", "A", "b", "x", "0", "txt", " ", "\n", "\xc3\xa9", "\xff",
                                                     "/", "//", "./", "../", "..", "\\"};
        std::string result;
        for (std::size_t i = below(4); i > 0; --i) {
            if (!folders.empty() && chance(5)) result += pick(folders) + "/";
            else result += pick(pieces);
        }
        return result;
    }

    std::string fragment(const std::string& of) {
        if (of.empty()) return of;
        const std::size_t from = chance(2) ? 0 : below(of.size());
        return of.substr(from, 1 + below(std::min<std::size_t>(of.size() - from, 6)));
    }

    std::string stutter(std::string name) {
        const std::size_t at = chance(2) ? 0 : below(name.size());
        name.insert(at, 1, name[at]);
        return name;
    }

    static std::string swapCase(std::string name) {
        for (char& c : name) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return name;
    }

    std::mt19937_64 random_;
    std::size_t minimumDots_ = 0;
};

} // namespace norvane::testing
