// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/file_list.h"

#include "norvane/name_order.h"
#include "norvane/path.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <stdexcept>
#include <system_error>

namespace norvane {

bool matchesPattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*" || pattern == "*") return true;
    // Iterative glob with one backtrack point: linear in practice, never recursive.
    std::size_t n = 0, p = 0, starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// A root keeps its own separator ("/", "C:\").
std::string normalFolderPath(std::string path) {
    path.resize(WithoutTrailingSeparators(path).size());
    return path;
}

namespace {

// Eight folded bytes of a name from `from` on as one number that orders as
// the bytes do; past the end it is padded with 0, below any byte a name can
// hold, so a shorter name orders first as it does in a byte compare.
std::uint64_t foldedHead(std::string_view name, std::size_t from) {
    std::uint64_t head = 0;
    for (std::size_t i = from; i < from + 8; ++i) {
        unsigned char c = i < name.size() ? static_cast<unsigned char>(name[i]) : 0u;
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        head = head << 8 | c;
    }
    return head;
}

std::string_view nameIn(const FileList::Listing& listing, std::uint32_t entry) {
    const std::uint32_t start = entry == 0 ? 0 : listing.ends[entry - 1];
    return std::string_view(listing.text).substr(start, listing.ends[entry] - start);
}

void append(FileList::Listing& listing, std::string_view name) {
    if (listing.text.size() + name.size() > UINT32_MAX) throw std::length_error("the folder's names are too many to list");
    listing.text.append(name);
    listing.ends.push_back(static_cast<std::uint32_t>(listing.text.size()));
}

// The sort moves small records holding a name's first sixteen folded bytes:
// most comparisons end there. The names are then laid out again in the
// list's order: every pass over the list (the plan, the check, the moves,
// the view) reads them front to back, where in the folder's order (a hash
// order on most disks) each name would be a miss of the processor's cache.
void sortByName(FileList::Listing& listing) {
    const auto count = static_cast<std::uint32_t>(listing.ends.size());
    const auto read = [&](std::uint32_t entry) { return nameIn(listing, entry); };
    // The names laid out again, the entry at each position given in turn.
    const auto layOut = [&](auto&& entryAt) {
        FileList::Listing sorted;
        sorted.text.reserve(listing.text.size());
        sorted.ends.reserve(count);
        for (std::uint32_t position = 0; position < count; ++position) append(sorted, read(entryAt(position)));
        listing.text.swap(sorted.text);
        listing.ends.swap(sorted.ends);
    };
    // Many folders hand their names over in order already, or in reverse:
    // FAT and exFAT in the order their files were made, tmpfs newest first,
    // so after a batch in the reverse order of its moves. The order is
    // total: a sort would give just that.
    const auto inOrder = [&](bool reversed) {
        for (std::uint32_t entry = 1; entry < count; ++entry)
            if (reversed ? !caseBlindLess(read(entry), read(entry - 1)) : !caseBlindLess(read(entry - 1), read(entry))) return false;
        return true;
    };
    if (count < 2 || inOrder(false)) return;
    if (inOrder(true)) return layOut([&](std::uint32_t position) { return count - 1 - position; });

    struct Listed {
        std::uint64_t head[2];
        std::uint32_t entry;
    };
    std::vector<Listed> listed(count);
    for (std::uint32_t entry = 0; entry < count; ++entry) {
        const std::string_view name = read(entry);
        listed[entry] = {{foldedHead(name, 0), foldedHead(name, 8)}, entry};
    }
    std::sort(listed.begin(), listed.end(), [&](const Listed& a, const Listed& b) {
        if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
        if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
        return caseBlindLess(read(a.entry), read(b.entry));
    });
    layOut([&](std::uint32_t position) { return listed[position].entry; });
}

} // namespace

FileList::FileList(platform::FileSystem& fileSystem) : fileSystem_(fileSystem) {}

void FileList::setPath(std::string path) {
    path_ = normalFolderPath(std::move(path));
    refresh();
}

void FileList::setPattern(std::string pattern) {
    pattern_ = std::move(pattern);
    refresh();
}

std::string_view FileList::name(std::size_t position) const {
    if (position >= ends_.size()) throw std::out_of_range("no such position in the file list");
    return read(static_cast<std::uint32_t>(position));
}

std::vector<std::string> FileList::names() const {
    std::vector<std::string> names;
    names.reserve(count());
    for (std::size_t position = 0; position < count(); ++position) names.emplace_back(name(position));
    return names;
}

std::string_view FileList::read(std::uint32_t entry) const {
    const std::uint32_t start = entry == 0 ? 0 : ends_[entry - 1];
    return std::string_view(text_).substr(start, ends_[entry] - start);
}

void FileList::endKeptReading() {
    if (kept_) kept_->end();
    kept_.reset();
}

bool FileList::refresh() {
    return listAnew([this] {
        // The last listing's memory is reused (the sort's copy, freed, stays
        // with the process): a refresh after a batch then touches no fresh
        // pages, which cost more than reading the folder.
        Listing reused;
        reused.text.swap(text_);
        reused.ends.swap(ends_);
        return readListing(std::move(reused));
    });
}

bool FileList::listAnew(const std::function<Listing()>& listing) {
    if (changingListener_) changingListener_();
    try {
        endKeptReading();
        assumed_ = false;
        take(listing());
    } catch (...) {
        // A listing cut short lists nothing; the listeners still hear that it ended.
        text_.clear();
        ends_.clear();
        if (listener_) listener_();
        throw;
    }
    if (listener_) listener_();
    return !error_;
}

FileList::Listing FileList::readListing(Listing&& reused) const {
    Listing listing = std::move(reused);
    listing.text.clear();
    listing.ends.clear();
    listing.kept.reset();
    listing.error.reset();
    if (path_.empty()) return listing;
    std::optional<platform::SystemError> error = fileSystem_.readFolderKept(
        path_,
        [&](std::string_view name, platform::EntryKind kind, bool hidden) {
            if (kind == platform::EntryKind::File && !hidden && matchesPattern(name, pattern_)) append(listing, name);
        },
        listing.kept);
    if (error) {
        listing.text.clear();
        listing.ends.clear();
        listing.error = ListingError{path_, std::move(*error)};
    } else {
        sortByName(listing);
    }
    return listing;
}

void FileList::take(Listing&& listing) {
    text_ = std::move(listing.text);
    ends_ = std::move(listing.ends);
    kept_ = std::move(listing.kept);
    error_ = std::move(listing.error);
    // A much smaller folder after a large one gives the memory back.
    if (text_.capacity() > 4 * text_.size() + 65536) {
        text_.shrink_to_fit();
        ends_.shrink_to_fit();
    }
}

bool FileList::relistsApart() const {
    return fileSystem_.readsFromASecondThread() && count() >= platform::namesWorthASecondThread;
}

FileList::Relisting FileList::relistLater() const {
    // The read takes the path, the pattern and the file system, none of
    // which a batch changes; it keeps its names apart from the list's.
    if (relistsApart()) {
        try {
            return std::async(std::launch::async, [this] { return readListing({}); });
        } catch (const std::system_error&) {
        }
    }
    return std::async(std::launch::deferred, [this] { return readListing({}); });
}

void FileList::assumeMoved(std::size_t count, const std::function<std::size_t(std::size_t)>& positionAt,
                           const std::function<std::string_view(std::size_t)>& newNameAt) {
    std::vector<std::uint32_t> moveAt(ends_.size(), UINT32_MAX);
    std::vector<std::uint32_t> unlisted; // moves of files the list did not show
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t position = positionAt(i);
        if (position == notListed) unlisted.push_back(static_cast<std::uint32_t>(i));
        else moveAt.at(position) = static_cast<std::uint32_t>(i);
    }
    // Listed as a re-listing would list it: a name that leads into
    // another folder, hides the file or leaves the pattern is not.
    const auto listable = [&](std::string_view name) {
        return !HoldsSeparator(name) && !platform::hiddenByName(name) && matchesPattern(name, pattern_);
    };
    Listing after;
    after.text.reserve(text_.size() + text_.size() / 8);
    after.ends.reserve(ends_.size() + unlisted.size());
    for (std::uint32_t position = 0; position < ends_.size(); ++position) {
        if (moveAt[position] == UINT32_MAX) {
            append(after, read(position));
            continue;
        }
        const std::string_view name = newNameAt(moveAt[position]);
        if (listable(name)) append(after, name);
    }
    for (const std::uint32_t move : unlisted)
        if (const std::string_view name = newNameAt(move); listable(name)) append(after, name);
    std::vector<std::uint32_t>().swap(moveAt);
    sortByName(after);
    // Told only once nothing can fail: a list that could not be made leaves the names as they were.
    if (changingListener_) changingListener_();
    endKeptReading();
    text_.swap(after.text);
    ends_.swap(after.ends);
    error_.reset();
    assumed_ = true;
    if (listener_) listener_();
}

void FileList::assumeRenamed(std::size_t count, const std::function<std::string_view(std::size_t)>& oldNameAt,
                             const std::function<std::string_view(std::size_t)>& newNameAt) {
    const auto size = static_cast<std::uint32_t>(ends_.size());
    const auto listedAt = [&](std::uint32_t position, std::string_view name) { return position < size && read(position) == name; };
    // Files are mostly renamed in the list's order, or its reverse (an
    // undo): the neighbours of the last one found are tried first.
    std::uint32_t last = 0;
    std::vector<std::uint32_t> positions(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view name = oldNameAt(i);
        std::uint32_t found = UINT32_MAX;
        if (listedAt(last + 1, name)) found = last + 1;
        else if (last > 0 && listedAt(last - 1, name)) found = last - 1;
        else {
            std::uint32_t first = 0, end = size; // the list is in caseBlindLess order
            while (first < end) {
                const std::uint32_t middle = first + (end - first) / 2;
                if (caseBlindLess(read(middle), name)) first = middle + 1;
                else end = middle;
            }
            if (listedAt(first, name)) found = first;
        }
        positions[i] = found;
        if (found != UINT32_MAX) last = found;
    }
    assumeMoved(
        count, [&](std::size_t i) { return positions[i] == UINT32_MAX ? notListed : std::size_t{positions[i]}; }, newNameAt);
}

bool FileList::finishRelisting(Relisting& relisting) {
    // Listed again meanwhile: that listing is the newer one.
    if (!assumed_) {
        relisting.wait();
        return !error_;
    }
    std::optional<Listing> listing;
    std::exception_ptr failed;
    try {
        listing = relisting.get();
    } catch (...) {
        failed = std::current_exception();
    }
    if (listing && !listing->error && listing->text == text_ && listing->ends == ends_) {
        assumed_ = false;
        kept_ = std::move(listing->kept);
        return true;
    }
    return listAnew([&] {
        if (failed) std::rethrow_exception(failed);
        return std::move(*listing);
    });
}

} // namespace norvane
