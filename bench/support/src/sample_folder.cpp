// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane_bench/sample_folder.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <unordered_set>

namespace norvane::bench {

namespace {

std::string sixDigits(std::size_t i) {
    std::array<char, 24> text{};
    std::snprintf(text.data(), text.size(), "%06zu", i);
    return text.data();
}

std::string twoDigits(std::size_t i) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%02zu", i % 100);
    return text.data();
}

std::string mixedName(std::size_t i) {
    const std::string id = sixDigits(i);
    switch (i % 8) {
    case 0: return "IMG_" + id + ".Holiday.jpg";
    case 1: return "Track_" + id + ".Some Artist.mp3";
    case 2: return "report_" + id + ".final.v2.docx";
    case 3: return "Photo_" + id + ".JPG";
    case 4: return "scan_" + id + ".2023.pdf";
    case 5: return "Makefile_" + id;
    case 6: return "archive_" + id + ".tar.gz";
    default: return "README_" + id;
    }
}

std::string dottedName(std::size_t i) {
    const std::string id = sixDigits(i);
    switch (i % 5) {
    case 0: return twoDigits(i) + ".Intro_" + id + ".mp3";
    case 1: return "2023-04-12.Beach_" + id + ".JPG";
    case 2: return "draft.Report_" + id + ".final.docx";
    case 3: return "backup.archive_" + id + ".tar.gz";
    default: return "CD1.Track_" + id + ".flac";
    }
}

void createEmptyFile(const std::filesystem::path& path) {
    std::ofstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot create " + path.string());
}

} // namespace

std::string listedName(NameMix mix, std::size_t i) { return mix == NameMix::Mixed ? mixedName(i) : dottedName(i); }

std::size_t hiddenCount(std::size_t listed) { return listed / 20; }

std::string hiddenName(std::size_t i) {
    const std::string id = sixDigits(i);
    return i % 2 == 0 ? ".cache_" + id : "." + id + ".Notes.swp";
}

SampleFolder::SampleFolder(NameMix mix, std::size_t listed) : mix_(mix), listed_(listed) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path under = std::filesystem::temp_directory_path();
    std::filesystem::path folder;
    do {
        folder = under / ("norvane-bench-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(folder));
    path_ = folder.string();

    for (std::size_t i = 0; i < listed; ++i) createEmptyFile(folder / listedName(mix, i));
    for (std::size_t i = 0; i < hiddenCount(listed); ++i) createEmptyFile(folder / hiddenName(i));
    std::filesystem::create_directory(folder / kSubfolderName);
}

SampleFolder::~SampleFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool SampleFolder::holdsItsOwnNames() const {
    std::unordered_set<std::string> expected;
    expected.reserve(listed_ + hiddenCount(listed_) + 1);
    for (std::size_t i = 0; i < listed_; ++i) expected.insert(listedName(mix_, i));
    for (std::size_t i = 0; i < hiddenCount(listed_); ++i) expected.insert(hiddenName(i));
    expected.insert(kSubfolderName);

    std::size_t seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        if (expected.count(entry.path().filename().string()) == 0) return false;
        ++seen;
    }
    return seen == expected.size();
}

} // namespace norvane::bench
