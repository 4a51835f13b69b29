// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "local_folder.h"

#include "engine_text.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileInfo>
#endif

#ifdef Q_OS_WIN
LocalFolder localFolder(const std::string& path) {
    const QFileInfo info(toDisplayText(path));
    if (!info.exists()) return {std::nullopt, std::generic_category().message(ENOENT)};
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return {toEngineText(QDir::toNativeSeparators(QDir::cleanPath(folder))), {}};
}
#else
// By bytes all the way: a name that is not UTF-8 stays as the file system holds it.
LocalFolder localFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::path full(path);
    if (full.empty()) return {std::nullopt, std::generic_category().message(ENOENT)};
    if (full.is_relative()) full = std::filesystem::current_path(error) / full;
    if (error) return {std::nullopt, error.message()};
    full = full.lexically_normal();
    const std::filesystem::file_status status = std::filesystem::status(full, error);
    if (error) return {std::nullopt, error.message()};
    if (!std::filesystem::exists(status)) return {std::nullopt, std::generic_category().message(ENOENT)};
    // A trailing separator leaves no last name: the folder is the path itself.
    if (!std::filesystem::is_directory(status) || (!full.has_filename() && full != full.root_path()))
        full = full.parent_path();
    return {full.string(), {}};
}
#endif
