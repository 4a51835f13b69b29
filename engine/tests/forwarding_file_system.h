// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A file system that forwards every question to another (the real disk by
// default); a test overrides only what it puts in the way. Its folders
// forward to the real folder held open, so a move still goes where a batch's
// would.

#include "norvane/platform.h"

#include <memory>
#include <string>
#include <utility>

namespace norvane::testing {

class ForwardingFolder : public platform::Folder {
public:
    explicit ForwardingFolder(std::unique_ptr<platform::Folder> real) : real_(std::move(real)) {}

    const platform::FolderProbe& about() const override { return real_->about(); }
    platform::PathProbe probe(std::string_view name) override { return real_->probe(name); }
    platform::FolderProbe probeFolder(std::string_view name) override { return real_->probeFolder(name); }
    void probeNames(std::size_t count, const platform::NameAt& nameAt, const platform::NameProbed& each) override {
        real_->probeNames(count, nameAt, each);
    }
    std::optional<std::string> spelling(std::string_view name) override { return real_->spelling(name); }
    std::optional<platform::SystemError> move(std::string_view from, std::string_view to) override { return real_->move(from, to); }
    platform::Durability makeNamesDurable() override { return real_->makeNamesDurable(); }
    std::optional<std::string> volumeId() override { return real_->volumeId(); }
    bool isOwnPlaceholder(std::string_view name) override { return real_->isOwnPlaceholder(name); }
    platform::PlaceholderRemoval removeOwnPlaceholder(std::string_view name) override { return real_->removeOwnPlaceholder(name); }
    platform::PlaceholderRemoval removeUnstampedPlaceholder(std::string_view name, std::int64_t since) override {
        return real_->removeUnstampedPlaceholder(name, since);
    }

private:
    std::unique_ptr<platform::Folder> real_;
};

class ForwardingFileSystem : public platform::FileSystem {
public:
    explicit ForwardingFileSystem(platform::FileSystem& real = platform::nativeFileSystem()) : real_(real) {}

    std::optional<platform::SystemError> readFolder(const std::string& folder, const platform::EntryListed& each) override {
        return real_.readFolder(folder, each);
    }
    platform::FolderProbe probeFolder(const std::string& path) override { return real_.probeFolder(path); }
    std::unique_ptr<platform::Folder> openFolder(const std::string& path) override { return real_.openFolder(path); }
    std::variant<std::string, platform::SystemError> resolveFolder(const std::string& path) override { return real_.resolveFolder(path); }

protected:
    platform::FileSystem& real_;
};

} // namespace norvane::testing
