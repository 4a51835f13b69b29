// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What it would cost to find, before any move, the files another program
// holds open: each file opened with delete access and no sharing, which fails
// for a held one, beside a whole batch over the same files.
//   norvane_held_check_cost FOLDER COUNT [TURNS]
// makes COUNT files in FOLDER\norvane-held-check-cost, unless that folder is
// there already, and removes it at the end.

#include "norvane/file_list.h"
#include "norvane/path.h"
#include "norvane/rename_run.h"
#include "platform/windows/utf16.h"
#include "platform/windows/windows_path.h"
#include "shown.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Quiet : norvane::MessageSink {
    void show(const std::string&) override {}
};

std::wstring systemPath(const std::string& path) {
    const std::u16string full = norvane::windows_path::extended(*norvane::text::toUtf16(path));
    return std::wstring(full.begin(), full.end());
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Opens every listed file as a check for held files would; how many it could not.
std::size_t openEach(const norvane::FileList& files) {
    std::size_t held = 0;
    for (const std::string& name : files.names()) {
        const HANDLE file = ::CreateFileW(systemPath(norvane::JoinPath(files.path(), name)).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE) ++held;
        else ::CloseHandle(file);
    }
    return held;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: norvane_held_check_cost FOLDER COUNT [TURNS]\n");
        return 2;
    }
    const std::string folder = norvane::JoinPath(argv[1], "norvane-held-check-cost");
    const std::size_t count = std::stoul(argv[2]);
    const int turns = argc > 3 ? std::stoi(argv[3]) : 5;
    // A folder made beforehand (files made under Wine are slow to make) is taken as it is.
    const bool made = ::CreateDirectoryW(systemPath(folder).c_str(), nullptr);
    for (std::size_t i = 0; made && i < count; ++i) {
        const HANDLE file = ::CreateFileW(systemPath(norvane::JoinPath(folder, "f" + std::to_string(i) + ".dat")).c_str(), GENERIC_WRITE,
                                          0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }
    norvane::FileList files;
    files.setPath(folder);
    Quiet quiet;
    std::vector<double> ratios;
    for (int turn = 0; turn < turns; ++turn) {
        const bool forth = turn % 2 == 0;
        auto start = std::chrono::steady_clock::now();
        const std::size_t held = openEach(files);
        const double opening = secondsSince(start);
        start = std::chrono::steady_clock::now();
        const auto failure = norvane::Run(norvane::Rule::ReplaceName, files, {forth ? ".dat" : ".bin", forth ? ".bin" : ".dat"}, quiet);
        const double batch = secondsSince(start);
        if (failure) {
            std::fprintf(stderr, "the batch failed: %s\n", norvane::shown(*failure).c_str());
            return 1;
        }
        ratios.push_back(opening / batch);
        std::printf("turn %d: %zu files, batch %.3f s, opening each %.3f s (%zu could not be opened): %.1f%%\n", turn + 1,
                    files.count(), batch, opening, held, 100 * opening / batch);
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median cost of the pre-move check: %.1f%% of the batch\n", 100 * ratios[ratios.size() / 2]);
    for (const std::string& name : files.names()) ::DeleteFileW(systemPath(norvane::JoinPath(folder, name)).c_str());
    ::RemoveDirectoryW(systemPath(folder).c_str());
    return 0;
}
