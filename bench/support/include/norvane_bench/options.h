// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The command line every benchmark over many folder sizes shares:
//   --smoke              1,000 files once, to keep the benchmark working in the tests
//   --sizes N,N,...      the folder sizes
//   --repeat N           repetitions at every size
//   --repeat-large N     repetitions at 1,000,000 files and more, unless --repeat is given
//   --only NAME,NAME     only the measurements of those names (each benchmark says its names)

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace norvane::bench {

inline constexpr std::size_t kLargeSize = 1000000;

struct Options {
    std::vector<std::size_t> sizes;
    int repeats = 5;
    // Where one repetition takes minutes.
    int largeRepeats = 1;
    bool repeatGiven = false;
    std::vector<std::string> only = {}; // empty: every measurement

    bool wanted(const std::string& name) const { return only.empty() || std::find(only.begin(), only.end(), name) != only.end(); }

    int repeatsAt(std::size_t size) const { return size >= kLargeSize && !repeatGiven ? largeRepeats : repeats; }
};

// The options given over `defaults`; throws std::runtime_error with a usage
// line naming `program` for anything else.
Options parseOptions(int argc, char** argv, Options defaults, const char* program);

} // namespace norvane::bench
