#pragma once

// A real folder under the system's temporary directory, removed with its
// contents at the end of the test. Names are raw bytes, as the engine uses them.

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace norvane::testing {

class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& under = std::filesystem::temp_directory_path()) {
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (;;) {
            path_ = under / ("norvane-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }
    std::string text() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // A file whose content is its own name, so a lost or overwritten file shows.
    void addFile(const std::string& name, const std::string& content = {}) const {
        std::ofstream(path_ / name, std::ios::binary) << (content.empty() ? name : content);
    }
    void addFiles(const std::vector<std::string>& names) const {
        for (const std::string& name : names) addFile(name);
    }
    void addFolder(const std::string& name) const { std::filesystem::create_directories(path_ / name); }

    std::string contentOf(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The names of everything directly in the folder, sorted by bytes.
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) result.insert(entry.path().filename().string());
        return result;
    }

private:
    std::filesystem::path path_;
};

} // namespace norvane::testing
