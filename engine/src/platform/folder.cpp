// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/platform.h"

namespace norvane::platform {

void Folder::probeNames(std::size_t count, const NameAt& nameAt, const NameProbed& each) {
    for (std::size_t i = 0; i < count; ++i) each(i, probe(nameAt(i)));
}

void Folder::probeInOrder(std::size_t count, const NameAt& nameAt, const NameProbedUntil& each) {
    for (std::size_t i = 0; i < count; ++i)
        if (!each(i, probe(nameAt(i)))) return;
}

bool isPlaceholder(PathKind kind, const std::optional<FileIdentity>& identity) {
    return kind == PathKind::File && identity && identity->stamp && identity->stamp->size == 0 &&
           identity->stamp->modified == placeholderTime;
}

// Asked of the folder held open, so a fake file system's folders answer for it too.
Durability FileSystem::makeNamesDurable(const std::string& folder) {
    const std::unique_ptr<Folder> opened = openFolder(folder);
    if (!opened->about().isFolder) return Durability{Durability::Answer::NotPromised, opened->about().error};
    return opened->makeNamesDurable();
}

std::optional<std::string> FileSystem::volumeId(const std::string& folder) {
    const std::unique_ptr<Folder> opened = openFolder(folder);
    return opened->about().isFolder ? opened->volumeId() : std::nullopt;
}

bool FileSystem::isOwnPlaceholder(const std::string& folder, std::string_view name) {
    const std::unique_ptr<Folder> opened = openFolder(folder);
    return opened->about().isFolder && opened->isOwnPlaceholder(name);
}

PlaceholderRemoval FileSystem::removeOwnPlaceholder(const std::string& folder, std::string_view name) {
    const std::unique_ptr<Folder> opened = openFolder(folder);
    if (!opened->about().isFolder) return PlaceholderRemoval{false, opened->about().error};
    return opened->removeOwnPlaceholder(name);
}

} // namespace norvane::platform
