// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// An undo's sources looked at in full on a second thread, in the steps'
// order, each judged against the file its record holds: the moves wait for
// each step's look, which runs well ahead of them, instead of the whole
// look being made before the first move.

#include "batch/check/batch_check.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

namespace norvane::batch {

class SourcesLook {
public:
    // Empty where the folder's probes cannot be shared with a second thread,
    // or no thread can be had. `steps` and `expected` must outlive the look.
    static std::unique_ptr<SourcesLook> start(platform::Folder& folder, const Steps& steps, const Expected& expected);

    SourcesLook(platform::Folder& folder, const Steps& steps, const Expected& expected);

    // What the look found at step `step`'s source, once it has looked there:
    // AskAgain where it could not tell, or the name leads into another folder.
    FoundAtName at(std::size_t step);
    // The same, without waiting: nullopt where the look has not got there yet.
    std::optional<FoundAtName> ifLooked(std::size_t step) const;

private:
    void look(const std::stop_token& stop);

    platform::Folder& folder_;
    const Steps steps_;
    const Expected& expected_;
    std::vector<FoundAtName> found_;
    std::atomic<std::size_t> looked_{0}; // found_ is written below it, and read only there
    std::jthread looking_; // last: stopped and joined before what it writes goes
};

} // namespace norvane::batch
