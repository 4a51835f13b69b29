// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane_bench/options.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace norvane::bench {
namespace {

std::vector<std::size_t> parseSizes(const std::string& text) {
    std::vector<std::size_t> sizes;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string given = text.substr(from, comma - from);
        const bool digits = !given.empty() && given.find_first_not_of("0123456789") == std::string::npos;
        const unsigned long long size = digits ? std::stoull(given) : 0;
        if (size == 0) throw std::runtime_error("a size must be a whole number of files, at least 1: \"" + given + "\"");
        sizes.push_back(static_cast<std::size_t>(size));
        from = comma + 1;
    }
    return sizes;
}

} // namespace

Options parseOptions(int argc, char** argv, Options options, const char* program) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--smoke") {
            options.sizes = {1000};
            options.repeats = 1;
            options.repeatGiven = true;
        } else if (arg == "--sizes" && i + 1 < argc) {
            options.sizes = parseSizes(argv[++i]);
        } else if (arg == "--repeat" && i + 1 < argc) {
            options.repeats = std::max(1, std::atoi(argv[++i]));
            options.repeatGiven = true;
        } else if (arg == "--repeat-large" && i + 1 < argc) {
            options.largeRepeats = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--only" && i + 1 < argc) {
            const std::string list = argv[++i];
            for (std::size_t from = 0; from <= list.size();) {
                const std::size_t comma = std::min(list.find(',', from), list.size());
                if (comma > from) options.only.push_back(list.substr(from, comma - from));
                from = comma + 1;
            }
        } else {
            throw std::runtime_error(std::string("usage: ") + program +
                                     " [--smoke] [--sizes N,N,...] [--repeat N] [--repeat-large N] [--only NAME,NAME,...]");
        }
    }
    return options;
}

} // namespace norvane::bench
