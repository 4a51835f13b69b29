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
