#include "norvane/file_list.h"

#include "norvane/name_order.h"

#include <algorithm>
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
    names_.clear();
    error_.reset();
    if (!path_.empty()) {
        platform::FolderRead read = fileSystem_.readFolder(path_);
        if (read.error) {
            error_ = ListingError{path_, std::move(*read.error)};
        } else {
            // Folded once per name, the sort's comparisons are plain byte
            // compares; folding inside each comparison made the sort most of a
            // large folder's listing.
            struct Keyed {
                std::string key;
                std::string name;
                bool operator<(const Keyed& other) const { return std::tie(key, name) < std::tie(other.key, other.name); }
            };
            std::vector<Keyed> listed;
            listed.reserve(read.entries.size());
            for (platform::FolderEntry& entry : read.entries) {
                if (entry.kind == platform::EntryKind::File && !entry.hidden && matchesPattern(entry.name, pattern_))
                    listed.push_back({caseBlindKey(entry.name), std::move(entry.name)});
            }
            read.entries = {};
            std::sort(listed.begin(), listed.end());
            names_.reserve(listed.size());
            for (Keyed& entry : listed) names_.push_back(std::move(entry.name));
        }
    }
    if (listener_) listener_();
    return !error_;
}

} // namespace norvane
