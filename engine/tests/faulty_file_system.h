#pragma once

// A file system that forwards to another (the real disk by default) and puts
// failures in the batch run's way at chosen moments: a move refused, a file
// created at a destination after the plan was checked, a source taken away
// just before its move, a folder that can no longer be read. The faults are
// real where they can be (files really appear and vanish on disk), so the
// engine meets them exactly as it would meet another program's doing.

#include "norvane/platform.h"

#include "temp_folder.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace norvane::testing {

class FaultyFileSystem final : public platform::FileSystem {
public:
    explicit FaultyFileSystem(platform::FileSystem& real = platform::nativeFileSystem()) : real_(real) {}

    // Move number `k` (counted from 1) is refused with `error`; nothing moves.
    void refuseMove(std::size_t k, platform::SystemError error) { refused_ = Refusal{k, std::move(error)}; }

    // Just before move number `k`, a file holding `content` appears at its destination.
    void occupyDestinationBeforeMove(std::size_t k, std::string content) { occupied_ = Occupation{k, std::move(content)}; }

    // Just before move number `k`, its source is moved out of the way to `stash`.
    void takeSourceBeforeMove(std::size_t k, std::filesystem::path stash) { taken_ = Taking{k, std::move(stash)}; }

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

    platform::PathProbe probe(const std::string& path) override { return real_.probe(path); }
    platform::FolderProbe probeFolder(const std::string& path) override { return real_.probeFolder(path); }
    // Forwarded, so the one-read answers of the real platform are what the run meets.
    void probeNames(const std::string& folder, std::size_t count, const NameAt& nameAt, const NameProbed& each) override {
        real_.probeNames(folder, count, nameAt, each);
    }


    std::optional<platform::SystemError> move(const std::string& source, const std::string& destination) override {
        asked_.emplace_back(source, destination);
        const std::size_t k = asked_.size();
        if (refused_ && refused_->k == k) return refused_->error;
        if (occupied_ && occupied_->k == k)
            std::ofstream(toPath(destination), std::ios::binary) << occupied_->content;
        if (taken_ && taken_->k == k) std::filesystem::rename(toPath(source), taken_->stash);
        auto error = real_.move(source, destination);
        if (!error) ++done_;
        return error;
    }

private:
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
    struct Unreadable {
        std::size_t afterMoves;
        platform::SystemError error;
    };

    platform::FileSystem& real_;
    std::optional<Refusal> refused_;
    std::optional<Occupation> occupied_;
    std::optional<Taking> taken_;
    std::optional<Unreadable> unreadable_;
    bool listingsThrow_ = false;
    std::vector<std::pair<std::string, std::string>> asked_;
    std::size_t done_ = 0;
};

} // namespace norvane::testing
