#pragma once

#include "norvane/platform.h"

#include <chrono>
#include <functional>
#include <thread>

namespace window_test {

// The disk, each move slowed down as on a slow memory card and calling
// `duringMove` first: what a user does while a batch works comes from there.
class SlowedFileSystem final : public norvane::platform::FileSystem {
public:
    std::chrono::milliseconds delay{0};
    std::function<void()> duringMove;
    // Called before each look at a path: a slow disk's wait, or one a test holds.
    std::function<void()> duringProbe;

    std::optional<norvane::platform::SystemError> readFolder(const std::string& folder,
                                                            const norvane::platform::EntryListed& each) override {
        return real_.readFolder(folder, each);
    }
    norvane::platform::PathProbe probe(const std::string& path) override {
        if (duringProbe) duringProbe();
        return real_.probe(path);
    }
    norvane::platform::FolderProbe probeFolder(const std::string& path) override { return real_.probeFolder(path); }
    std::optional<norvane::platform::SystemError> move(const std::string& source, const std::string& destination) override {
        if (delay.count() > 0) std::this_thread::sleep_for(delay);
        if (duringMove) duringMove();
        return real_.move(source, destination);
    }

private:
    norvane::platform::FileSystem& real_ = norvane::platform::nativeFileSystem();
};

} // namespace window_test
