// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/posix/posix.h"

#include <cerrno>
#include <cstring>

namespace norvane::platform {

namespace posix {

SystemError errorOf(int number) { return SystemError{number, std::strerror(number)}; }

std::string relativeName(std::string_view name) {
    std::string relative;
    assignRelativeName(relative, name);
    return relative;
}

void assignRelativeName(std::string& into, std::string_view name) {
    const std::size_t start = name.find_first_not_of('/');
    if (start == std::string_view::npos) {
        into.clear();
        return;
    }
    into.assign(name.substr(start));
}

bool usable(std::string_view name) { return name.find('\0') == std::string_view::npos; }

} // namespace posix

ErrorKind errorKind(const SystemError& error) {
    switch (error.number) {
    case ENOENT: return ErrorKind::NotFound;
    case EEXIST:
    case ENOTEMPTY: return ErrorKind::Exists;
    case ENAMETOOLONG: return ErrorKind::NameTooLong;
    case EACCES:
    case EPERM:
    case EROFS: return ErrorKind::NoPermission;
    case ENOTDIR: return ErrorKind::NotAFolder;
    case ELOOP: return ErrorKind::TooManyLinks;
    case EINVAL:
    case EILSEQ: return ErrorKind::BadName;
    default: return ErrorKind::Other;
    }
}

} // namespace norvane::platform

namespace norvane::platform {

// No lock a program takes on POSIX keeps a file from being renamed.
bool heldByAnotherProgram(const SystemError&) { return false; }

} // namespace norvane::platform
