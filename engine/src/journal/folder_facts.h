// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A journal file read a piece at a time, so that no file is held whole.

#include "journal/records.h"
#include "norvane/platform.h"
#include "platform/own_files.h"

#include <cstdint>
#include <optional>
#include <string>

namespace norvane::journal {

// A journal file read a piece at a time.
class OwnFileBytes final : public Bytes {
public:
    explicit OwnFileBytes(platform::OwnFile& file);
    std::uint64_t size() const override { return size_; }
    std::string_view at(std::uint64_t offset, std::size_t length) override;
    bool failed() const override { return error_.has_value(); }
    const std::optional<platform::SystemError>& error() const { return error_; }

private:
    platform::OwnFile& file_;
    std::uint64_t size_ = 0;
    std::string whole_; // until the platform reads a piece at a time
    std::string piece_;
    std::optional<platform::SystemError> error_;
};

} // namespace norvane::journal
