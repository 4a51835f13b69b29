// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/file_list.h"
#include "norvane/platform.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace norvane {

struct FolderEntryView {
    std::string path;   // full path, ready to be opened
    std::string name;   // what the tree shows: the last component, or the root itself
    std::size_t depth;  // 0 for the root
    bool open;          // on the chain down to the current folder (the current one included)
};

// The folder tree: the chain of folders from the root down to the current
// one, then the current folder's subfolders (hidden ones left out).
class FolderList {
public:
    explicit FolderList(platform::FileSystem& fileSystem = platform::nativeFileSystem());

    // Fires the change notification when the current folder really changes.
    void setPath(std::string path);
    const std::string& path() const { return path_; }

    const std::vector<FolderEntryView>& entries() const { return entries_; }
    // How many leading entries are the chain (the rest are subfolders).
    std::size_t chainLength() const { return chainLength_; }

    // Set when the current folder's subfolders could not be read.
    const std::optional<ListingError>& error() const { return error_; }

    // Called before a new current folder touches the entries, and after, even
    // when listing it ends in an exception.
    void onChanging(std::function<void()> listener) { changingListener_ = std::move(listener); }
    void onChange(std::function<void(const std::string& path)> listener) { listener_ = std::move(listener); }

private:
    void relist();

    platform::FileSystem& fileSystem_;
    std::string path_;
    std::vector<FolderEntryView> entries_;
    std::size_t chainLength_ = 0;
    std::optional<ListingError> error_;
    std::function<void()> changingListener_;
    std::function<void(const std::string&)> listener_;
};

} // namespace norvane
