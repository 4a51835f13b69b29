// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/platform.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// Why a folder lists nothing.
struct ListingError {
    std::string folder;
    platform::SystemError error;
};

// The files of one folder, as a snapshot: the names change only when the path
// or the pattern is set or refresh is called, never because files moved.
class FileList {
public:
    explicit FileList(platform::FileSystem& fileSystem = platform::nativeFileSystem());

    void setPath(std::string path);
    const std::string& path() const { return path_; }

    void setPattern(std::string pattern);
    const std::string& pattern() const { return pattern_; }

    std::size_t count() const { return ends_.size(); }
    // Valid until the next re-listing. Throws std::out_of_range past the end.
    std::string_view name(std::size_t position) const;
    // Every name, in list order, as copies.
    std::vector<std::string> names() const;

    // Re-lists the current path with the current pattern. False, with error()
    // set and no names, when the folder cannot be read.
    bool refresh();

    // A re-listing read apart, on a second thread where the file system
    // allows, while the list already shows what a batch's moves left.
    struct Listing {
        std::string text;
        std::vector<std::uint32_t> ends;
        std::shared_ptr<platform::KeptReading> kept;
        std::optional<ListingError> error;
    };
    using Relisting = std::future<Listing>;
    // Whether a re-listing of this list is worth reading on a second thread.
    bool relistsApart() const;
    Relisting relistLater() const;
    // Shows what a re-listing would find once the file at each of `count`
    // positions, positionAt(i), is at newNameAt(i) and nothing else in the
    // folder changed, without reading the folder.
    // A position of notListed is a file the list did not show.
    void assumeMoved(std::size_t count, const std::function<std::size_t(std::size_t)>& positionAt,
                     const std::function<std::string_view(std::size_t)>& newNameAt);
    static constexpr std::size_t notListed = SIZE_MAX;
    // The same, where each file is known by the name oldNameAt(i) it had,
    // listed or not, rather than by its position.
    void assumeRenamed(std::size_t count, const std::function<std::string_view(std::size_t)>& oldNameAt,
                       const std::function<std::string_view(std::size_t)>& newNameAt);
    // Takes the re-listing in, as refresh() would: where the folder holds
    // what the list shows, the names stay and the listeners hear nothing.
    // A list listed again since assumeMoved() keeps that newer listing.
    bool finishRelisting(Relisting& relisting);
    const std::optional<ListingError>& error() const { return error_; }

    // The last listing's read of the folder, kept where the file system can
    // vouch that it still holds (see platform::KeptReading): a batch's check
    // answers from it. Empty where there is none.
    const std::shared_ptr<platform::KeptReading>& keptReading() const { return kept_; }
    // Ends it, for this list and every copy: before files move, which its watch would be told of one by one.
    void endKeptReading();

    // Called before every re-listing touches the names, and after it, even
    // when it ends in an exception: a view over the names needs both.
    void onNamesChanging(std::function<void()> listener) { changingListener_ = std::move(listener); }
    void onNamesChanged(std::function<void()> listener) { listener_ = std::move(listener); }

    platform::FileSystem& fileSystem() const { return fileSystem_; }

private:
    Listing readListing(Listing&& reused) const;
    // Shows `listing()` in place of the names, the listeners told around it.
    bool listAnew(const std::function<Listing()>& listing);
    void take(Listing&& listing);
    std::string_view read(std::uint32_t entry) const;

    platform::FileSystem& fileSystem_;
    std::string path_;
    std::string pattern_ = "*.*";
    // The names in the list's order, one after another in one piece of
    // memory, and where each ends (while the folder is read: in its order).
    // A string each would cost several times the names in a large folder.
    std::string text_;
    std::vector<std::uint32_t> ends_;
    std::optional<ListingError> error_;
    std::shared_ptr<platform::KeptReading> kept_;
    bool assumed_ = false; // the names are assumeMoved()'s, not yet read from the folder
    std::function<void()> changingListener_;
    std::function<void()> listener_;
};

// Wildcard match with "*" and "?"; "*.*" also takes names without a dot.
bool matchesPattern(std::string_view name, std::string_view pattern);

// The path as the lists keep it: without trailing separators, except a root's own.
std::string normalFolderPath(std::string path);

} // namespace norvane
