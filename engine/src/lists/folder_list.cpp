// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/folder_list.h"

#include "norvane/name_order.h"
#include "norvane/path.h"

#include <algorithm>

namespace norvane {

namespace {

// The folders from the root down to `path`, each with its full path. The root
// is everything up to and including the first separator ("/", "C:\").
std::vector<FolderEntryView> chainOf(const std::string& path) {
    constexpr char separator = pathSeparator;
    std::vector<FolderEntryView> chain;
    std::size_t end = path.find(separator);
    if (end == std::string::npos) {
        chain.push_back({path, path, 0, true});
        return chain;
    }
    std::string root = path.substr(0, end + 1);
    chain.push_back({root, root, 0, true});
    for (std::size_t start = end + 1; start < path.size(); start = end + 1) {
        end = path.find(separator, start);
        if (end == std::string::npos) end = path.size();
        if (end == start) continue; // doubled separator
        chain.push_back({path.substr(0, end), path.substr(start, end - start), chain.size(), true});
    }
    return chain;
}

} // namespace

FolderList::FolderList(platform::FileSystem& fileSystem) : fileSystem_(fileSystem) {}

void FolderList::setPath(std::string path) {
    path = normalFolderPath(std::move(path));
    if (path == path_) return;
    if (changingListener_) changingListener_();
    path_ = std::move(path);
    try {
        relist();
    } catch (...) {
        // A listing cut short shows nothing; the listeners still hear that it ended.
        entries_.clear();
        chainLength_ = 0;
        if (listener_) listener_(path_);
        throw;
    }
    if (listener_) listener_(path_);
}

void FolderList::relist() {
    entries_ = chainOf(path_);
    chainLength_ = entries_.size();
    error_.reset();

    std::vector<std::string> subfolders;
    std::optional<platform::SystemError> error =
        fileSystem_.readFolder(path_, [&](std::string_view name, platform::EntryKind kind, bool hidden) {
            if (kind == platform::EntryKind::Folder && !hidden) subfolders.emplace_back(name);
        });
    if (error) {
        error_ = ListingError{path_, std::move(*error)};
        return;
    }
    std::sort(subfolders.begin(), subfolders.end(), [](const std::string& a, const std::string& b) { return caseBlindLess(a, b); });
    const std::size_t depth = chainLength_;
    for (std::string& name : subfolders) {
        // A root already ends with its separator; the tree opens the plain path.
        std::string full = path_;
        if (full.back() != pathSeparator) full += pathSeparator;
        full += name;
        entries_.push_back({std::move(full), std::move(name), depth, false});
    }
}

} // namespace norvane
