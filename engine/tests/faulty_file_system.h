// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A file system that forwards to another (the real disk by default) and puts
// failures in the batch run's way at chosen moments: a move refused, a file
// created at a destination after the plan was checked, a source taken away
// just before its move, a folder that can no longer be read. The faults are
// real where they can be (files really appear and vanish on disk), so the
// engine meets them exactly as it would meet another program's doing.

#include "norvane/path.h"
#include "norvane/platform.h"

#include "forwarding_file_system.h"
#include "temp_folder.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace norvane::testing {

class FaultyFileSystem final : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    // Move number `k` (counted from 1) is refused with `error`; nothing moves.
    void refuseMove(std::size_t k, platform::SystemError error) { refused_ = Refusal{k, std::move(error)}; }

    // Just before move number `k`, a file holding `content` appears at its destination.
    void occupyDestinationBeforeMove(std::size_t k, std::string content) { occupied_ = Occupation{k, std::move(content)}; }

    // Just before move number `k`, its source is moved out of the way to `stash`.
    void takeSourceBeforeMove(std::size_t k, std::filesystem::path stash) { taken_ = Taking{k, std::move(stash)}; }

    // Just before move number `k`, `act` does what another program would.
    void beforeMove(std::size_t k, std::function<void()> act) { before_ = Before{k, std::move(act)}; }

    // Once `moves` moves have succeeded, every folder read fails with `error`.
    void unreadableAfterMoves(std::size_t moves, platform::SystemError error) { unreadable_ = Unreadable{moves, std::move(error)}; }

    // From now on every folder read throws, as one that runs out of memory would.
    void listingsThrow() { listingsThrow_ = true; }

    // Every move asked for, in order, whether it succeeded or not.
    const std::vector<std::pair<std::string, std::string>>& movesAsked() const { return asked_; }
    std::size_t movesDone() const { return done_; }

    std::optional<platform::SystemError> readFolder(const std::string& folder, const platform::EntryListed& each) override {
        if (listingsThrow_) throw std::runtime_error("listing failed");
        if (unreadable_ && done_ >= unreadable_->afterMoves) return unreadable_->error;
        return real_.readFolder(folder, each);
    }

    // The folder a batch holds open, its moves passing through here first.
    std::unique_ptr<platform::Folder> openFolder(const std::string& path) override {
        return std::make_unique<Folder>(real_.openFolder(path), path, *this);
    }

    std::optional<platform::SystemError> move(const std::string& source, const std::string& destination,
                                              const std::function<std::optional<platform::SystemError>()>& realMove) {
        asked_.emplace_back(source, destination);
        const std::size_t k = asked_.size();
        if (refused_ && refused_->k == k) return refused_->error;
        if (occupied_ && occupied_->k == k)
            std::ofstream(toPath(destination), std::ios::binary) << occupied_->content;
        if (taken_ && taken_->k == k) std::filesystem::rename(toPath(source), taken_->stash);
        if (before_ && before_->k == k) before_->act();
        auto error = realMove();
        if (!error) ++done_;
        return error;
    }

private:
    class Folder final : public ForwardingFolder {
    public:
        Folder(std::unique_ptr<platform::Folder> real, std::string path, FaultyFileSystem& owner)
            : ForwardingFolder(std::move(real)), path_(std::move(path)), owner_(owner) {}
        std::optional<platform::SystemError> move(std::string_view from, std::string_view to) override {
            return owner_.move(JoinPath(path_, from), JoinPath(path_, to), [&] { return ForwardingFolder::move(from, to); });
        }

    private:
        std::string path_;
        FaultyFileSystem& owner_;
    };

    struct Refusal {
        std::size_t k;
        platform::SystemError error;
    };
    struct Occupation {
        std::size_t k;
        std::string content;
    };
    struct Taking {
        std::size_t k;
        std::filesystem::path stash;
    };
    struct Before {
        std::size_t k;
        std::function<void()> act;
    };
    struct Unreadable {
        std::size_t afterMoves;
        platform::SystemError error;
    };

    std::optional<Refusal> refused_;
    std::optional<Occupation> occupied_;
    std::optional<Taking> taken_;
    std::optional<Before> before_;
    std::optional<Unreadable> unreadable_;
    bool listingsThrow_ = false;
    std::vector<std::pair<std::string, std::string>> asked_;
    std::size_t done_ = 0;
};

} // namespace norvane::testing
