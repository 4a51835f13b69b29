// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/sources_look.h"

#include "identity/same_file.h"
#include "norvane/path.h"

#include <algorithm>
#include <system_error>

namespace norvane::batch {

std::unique_ptr<SourcesLook> SourcesLook::start(platform::Folder& folder, const Steps& steps, const Expected& expected) {
    if (!folder.about().isFolder || !folder.sharesProbes(steps.size()) || !expected.fileAt || !expected.trustAt) return nullptr;
    try {
        return std::make_unique<SourcesLook>(folder, steps, expected);
    } catch (const std::system_error&) {
        return nullptr; // no thread to be had: the check looks at each source itself
    }
}

SourcesLook::SourcesLook(platform::Folder& folder, const Steps& steps, const Expected& expected)
    : folder_(folder), steps_(steps), expected_(expected), found_(steps.size(), FoundAtName::AskAgain),
      looking_([this](std::stop_token stop) { look(stop); }) {}

FoundAtName SourcesLook::at(std::size_t step) {
    for (std::size_t looked = looked_.load(std::memory_order_acquire); looked <= step;
         looked = looked_.load(std::memory_order_acquire))
        looked_.wait(looked, std::memory_order_acquire);
    return found_[step];
}

std::optional<FoundAtName> SourcesLook::ifLooked(std::size_t step) const {
    if (looked_.load(std::memory_order_acquire) <= step) return std::nullopt;
    return found_[step];
}

void SourcesLook::look(const std::stop_token& stop) {
    // Told in pieces: a waiting mover is woken a few hundred files at a time, not at every file.
    constexpr std::size_t piece = 256;
    const platform::IdentityTrust folderTrust = folder_.about().trust;
    std::size_t step = 0;
    try {
        while (step < found_.size()) {
            const std::size_t end = std::min(step + piece, found_.size());
            for (; step < end && !stop.stop_requested(); ++step) {
                // A name in another folder is judged with that folder's trust, by the check.
                const std::string_view name = steps_[step].from;
                if (HoldsSeparator(name)) continue;
                const platform::PathProbe now = folder_.probe(name);
                if (!now.error) found_[step] = foundAgainst(now, expected_.fileAt(step), expected_.trustAt(step), folderTrust);
            }
            looked_.store(step, std::memory_order_release);
            looked_.notify_all();
            if (stop.stop_requested()) return; // the undo is over: nobody waits
        }
    } catch (...) {
        // What was not looked at stays AskAgain: the undo stops there and judges the steps again, looking itself.
    }
    looked_.store(found_.size(), std::memory_order_release);
    looked_.notify_all();
}

} // namespace norvane::batch
