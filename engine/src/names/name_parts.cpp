// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/name_parts.h"

#include <algorithm>

namespace norvane {

std::size_t NameParts::count() const { return static_cast<std::size_t>(std::count(name_.begin(), name_.end(), '.')) + 1; }

std::optional<std::string_view> NameParts::component(std::size_t index) const {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t dot = name_.find('.', start);
        if (dot == std::string_view::npos) return std::nullopt;
        start = dot + 1;
    }
    return name_.substr(start, name_.find('.', start) - start);
}

} // namespace norvane
