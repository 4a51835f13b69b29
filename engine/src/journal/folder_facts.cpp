// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/folder_facts.h"

#include <algorithm>

namespace norvane::journal {

std::string_view OwnFileBytes::at(std::uint64_t offset, std::size_t length) {
    if (error_ || offset >= size_) return {};
    // Whatever a damaged length claims, no more than the file has is asked for.
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
    if (offset < start_ || offset - start_ + length > piece_.size()) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(length, pieceSize), size_ - offset));
        piece_.resize(want);
        std::size_t have = 0;
        while (have < want) {
            const auto got = file_.readSome(offset + have, piece_.data() + have, want - have);
            if (const auto* error = std::get_if<platform::SystemError>(&got)) {
                error_ = *error;
                piece_.clear();
                return {};
            }
            if (std::get<std::size_t>(got) == 0) break; // shorter than it was: what is there is all there is
            have += std::get<std::size_t>(got);
        }
        piece_.resize(have);
        start_ = offset;
    }
    return std::string_view(piece_).substr(static_cast<std::size_t>(offset - start_), length);
}

} // namespace norvane::journal
