// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "forwarding_file_system.h"

#include <chrono>
#include <functional>
#include <thread>

namespace window_test {

// The disk, each move slowed down as on a slow memory card and calling
// `duringMove` first: what a user does while a batch works comes from there.
class SlowedFileSystem final : public norvane::testing::ForwardingFileSystem {
public:
    std::chrono::milliseconds delay{0};
    std::function<void()> duringMove;
    // Called before each look at a path: a slow disk's wait, or one a test holds.
    std::function<void()> duringProbe;

    std::unique_ptr<norvane::platform::Folder> openFolder(const std::string& path) override {
        if (duringProbe) duringProbe();
        return std::make_unique<Folder>(real_.openFolder(path), *this);
    }

private:
    class Folder final : public norvane::testing::ForwardingFolder {
    public:
        Folder(std::unique_ptr<norvane::platform::Folder> real, SlowedFileSystem& owner)
            : ForwardingFolder(std::move(real)), owner_(owner) {}
        void probeNames(std::size_t count, const norvane::platform::NameAt& nameAt, const norvane::platform::NameProbed& each) override {
            if (owner_.duringProbe) owner_.duringProbe();
            ForwardingFolder::probeNames(count, nameAt, each);
        }
        std::optional<norvane::platform::SystemError> move(std::string_view from, std::string_view to) override {
            if (owner_.delay.count() > 0) std::this_thread::sleep_for(owner_.delay);
            if (owner_.duringMove) owner_.duringMove();
            return ForwardingFolder::move(from, to);
        }

    private:
        SlowedFileSystem& owner_;
    };
};

} // namespace window_test
