// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace norvane {

// The components of a file name cut at every ".", numbered from 0. A name with
// k dots has exactly k + 1 components; any of them may be empty. The parts
// view into the name given, which must outlive them. They are found when
// asked for: the rules want the first three at most, and a list of them for
// every name of a large folder would cost an allocation each.
class NameParts {
public:
    explicit NameParts(std::string_view name) : name_(name) {}

    std::size_t count() const;

    // nullopt when the name has no component at that index.
    std::optional<std::string_view> component(std::size_t index) const;

private:
    std::string_view name_;
};

} // namespace norvane
