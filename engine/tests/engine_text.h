#pragma once

// Between the engine's path text (bytes on POSIX, UTF-8 on Windows) and
// std::filesystem paths, so tests reach exactly the files the engine names.

#include <filesystem>
#include <string>

namespace norvane::testing {

inline std::filesystem::path diskPath(const std::string& text) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
    return std::filesystem::path(text);
#endif
}

// With "/" between components on every platform.
inline std::string engineText(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
#else
    return path.generic_string();
#endif
}

} // namespace norvane::testing
