// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/rename_run.h"

#include <string>
#include <vector>

namespace norvane::testing {

// Keeps every message a run shows, answered at once.
struct RecordingSink : MessageSink {
    std::vector<std::string> shown;
    void show(const std::string& message) override { shown.push_back(message); }
};

} // namespace norvane::testing
