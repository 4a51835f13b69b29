// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a file of the program's own promises, written once over each
// platform's reads, writes, size and flush.

#include "platform/own_files.h"

namespace norvane::platform {

std::variant<std::string, SystemError> OwnFile::read() {
    std::string content(static_cast<std::size_t>(size_), '\0');
    std::size_t have = 0;
    for (;;) {
        // Another process may have appended since: read on until the end.
        if (have == content.size()) content.resize(content.size() + 65536);
        const auto got = readAt(have, content.data() + have, content.size() - have);
        if (const auto* error = std::get_if<SystemError>(&got)) return *error;
        if (std::get<std::size_t>(got) == 0) break;
        have += std::get<std::size_t>(got);
    }
    content.resize(have);
    return content;
}

std::optional<SystemError> OwnFile::append(std::string_view bytes) {
    if (failed_) return failed_;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto wrote = writeAt(size_ + done, bytes.data() + done, bytes.size() - done);
        if (const auto* error = std::get_if<SystemError>(&wrote)) {
            if (setSize(size_)) failed_ = *error;
            return *error;
        }
        done += std::get<std::size_t>(wrote);
    }
    size_ += done;
    return std::nullopt;
}

std::optional<SystemError> OwnFile::cut(std::uint64_t size) {
    if (failed_) return failed_;
    if (size > size_) return SystemError{0, {}, SystemError::Reason::CutPastSize};
    if (auto error = setSize(size)) return error;
    size_ = size;
    return std::nullopt;
}

std::optional<SystemError> OwnFile::sync() {
    if (failed_) return failed_;
    failed_ = flush();
    return failed_;
}

} // namespace norvane::platform
