#include "norvane/file_list.h"

#include "norvane/name_order.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

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

std::string normalFolderPath(std::string path) {
    const char separator = platform::directorySeparator();
    while (path.size() > 1 && (path.back() == separator || path.back() == '/')) {
        const std::string_view rest(path.data(), path.size() - 1);
        // A drive root keeps its own separator ("C:\").
        if (rest.size() == 2 && rest[1] == ':') break;
        path.pop_back();
    }
    return path;
}

namespace {

// Eight bytes of a key from `from` on as one number that orders as the bytes
// do; past the end it is padded with 0, below any byte a name can hold, so a
// shorter key orders first as it does in a byte compare.
std::uint64_t bigEndianHead(std::string_view key, std::size_t from) {
    std::uint64_t head = 0;
    for (std::size_t i = from; i < from + 8; ++i) head = head << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return head;
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

bool FileList::refresh() {
    if (changingListener_) changingListener_();
    try {
        relist();
    } catch (...) {
        // A listing cut short lists nothing; the listeners still hear that it ended.
        names_.clear();
        if (listener_) listener_();
        throw;
    }
    if (listener_) listener_();
    return !error_;
}

void FileList::relist() {
    names_.clear();
    error_.reset();
    if (!path_.empty()) {
        platform::FolderRead read = fileSystem_.readFolder(path_);
        if (read.error) {
            error_ = ListingError{path_, std::move(*read.error)};
        } else {
            // Folded once per name, the sort's comparisons are plain byte
            // compares; folding inside each comparison made the sort most of a
            // large folder's listing. Folding is byte by byte, so the listed
            // names are folded in one piece, and the sort moves small records;
            // the names themselves move once, into place.
            struct Listed {
                std::uint64_t head[2]; // the key's first 16 bytes: most comparisons end here, in the record
                std::string_view key;
                std::string_view name;
                std::size_t entry;
            };
            std::vector<Listed> listed;
            std::string joined;
            for (std::size_t i = 0; i < read.entries.size(); ++i) {
                const platform::FolderEntry& entry = read.entries[i];
                if (entry.kind == platform::EntryKind::File && !entry.hidden && matchesPattern(entry.name, pattern_)) {
                    listed.push_back({{0, 0}, {}, entry.name, i});
                    joined += entry.name;
                }
            }
            const std::string keys = caseBlindKey(joined);
            joined = {};
            for (std::size_t at = 0; Listed& each : listed) {
                each.key = std::string_view(keys).substr(at, each.name.size());
                at += each.name.size();
                each.head[0] = bigEndianHead(each.key, 0);
                each.head[1] = bigEndianHead(each.key, 8);
            }
            std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
                return std::tie(a.head[0], a.head[1], a.key, a.name) < std::tie(b.head[0], b.head[1], b.key, b.name);
            });
            names_.reserve(listed.size());
            for (const Listed& at : listed) names_.push_back(std::move(read.entries[at.entry].name));
        }
    }
}

} // namespace norvane
