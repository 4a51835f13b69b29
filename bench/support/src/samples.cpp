// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane_bench/samples.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace norvane::bench {

double Samples::median() const {
    std::vector<double> sorted = seconds_;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double medianOfRatios(const Samples& a, const Samples& b) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) ratios.push_back(a[i] / b[i]);
    std::sort(ratios.begin(), ratios.end());
    const std::size_t middle = ratios.size() / 2;
    return ratios.size() % 2 == 1 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2;
}

double Samples::fastest() const { return *std::min_element(seconds_.begin(), seconds_.end()); }

double Samples::slowest() const { return *std::max_element(seconds_.begin(), seconds_.end()); }

std::string milliseconds(double seconds) {
    const double ms = seconds * 1000;
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), ms < 10 ? "%.2f ms" : ms < 100 ? "%.1f ms" : "%.0f ms", ms);
    return text.data();
}

} // namespace norvane::bench
