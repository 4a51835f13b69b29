// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane_bench/peak_memory.h"

#include <fstream>
#include <string>
#include <sys/resource.h>

namespace norvane::bench {

namespace {

// A "Vm...:   1234 kB" line of /proc/self/status; 0 where there is none.
std::size_t statusField(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    std::size_t kib = 0;
    while (status >> key) {
        if (key == field + ":") {
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

} // namespace

std::size_t peakResidentKiB() {
    if (const std::size_t kib = statusField("VmHWM")) return kib;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss); // KiB on Linux
}

std::size_t residentKiB() { return statusField("VmRSS"); }

bool restartPeak() {
    // "5" resets the peak resident size to the present one.
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

std::string machineLoad() {
    std::ifstream loadavg("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(loadavg >> one >> five >> fifteen)) return "unknown";
    return one + " " + five + " " + fifteen;
}

} // namespace norvane::bench
