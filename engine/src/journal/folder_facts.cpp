// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/folder_facts.h"

namespace norvane::journal {

OwnFileBytes::OwnFileBytes(platform::OwnFile& file) : file_(file) {
    auto read = file_.read();
    if (auto* error = std::get_if<platform::SystemError>(&read)) error_ = *error;
    else whole_ = std::move(std::get<std::string>(read));
    size_ = whole_.size();
}

std::string_view OwnFileBytes::at(std::uint64_t offset, std::size_t length) {
    if (offset >= whole_.size()) return {};
    return std::string_view(whole_).substr(static_cast<std::size_t>(offset), length);
}

} // namespace norvane::journal
