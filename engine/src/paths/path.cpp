// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/path.h"

namespace norvane {

namespace {

#ifdef _WIN32
constexpr std::string_view separators = "\\/";
#else
constexpr std::string_view separators = "/";
#endif

} // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path += pathSeparator;
    path.append(name);
    return path;
}

// One separator is looked for as one byte: find_first_of() would search the
// set of separators once for every byte of the name, on every move of a batch.
bool HoldsSeparator(std::string_view name) {
    if constexpr (separators.size() == 1) return name.find(separators[0]) != std::string_view::npos;
    return name.find_first_of(separators) != std::string_view::npos;
}

std::size_t LastSeparator(std::string_view path) {
    if constexpr (separators.size() == 1) return path.rfind(separators[0]);
    return path.find_last_of(separators);
}

std::string_view LastComponent(std::string_view path) {
    const std::size_t last = LastSeparator(path);
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string_view FolderPart(std::string_view path) {
    const std::size_t last = LastSeparator(path);
    return last == std::string_view::npos ? std::string_view{} : path.substr(0, last);
}

std::size_t RootLength(std::string_view path) {
#ifdef _WIN32
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() >= 2 && path[1] == ':' && letter(path[0])) return path.size() >= 3 && IsPathSeparator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        // A share: the server's name, the share's, and the separator after it.
        const std::size_t server = path.find_first_of(separators, 2);
        if (server == std::string_view::npos) return path.size();
        const std::size_t share = path.find_first_of(separators, server + 1);
        return share == std::string_view::npos ? path.size() : share + 1;
    }
#endif
    return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
}

std::string_view WithoutTrailingSeparators(std::string_view path) {
    const std::size_t root = RootLength(path);
    while (path.size() > root && IsPathSeparator(path.back())) path.remove_suffix(1);
    return path;
}

std::string_view ParentFolder(std::string_view path) {
    path = WithoutTrailingSeparators(path);
    const std::size_t root = RootLength(path);
    if (path.size() <= root) return {};
    const std::size_t last = LastSeparator(path);
    if (last == std::string_view::npos) return {};
    if (last < root) return path.substr(0, root);
    return WithoutTrailingSeparators(path.substr(0, last));
}

} // namespace norvane
