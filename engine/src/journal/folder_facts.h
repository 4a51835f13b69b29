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

// A journal file read a piece at a time: what is held is the piece last
// read, a mebibyte, or one record where a record is longer (records.h bounds
// how long), and never more than the file has.
class OwnFileBytes final : public Bytes {
public:
    static constexpr std::size_t pieceSize = std::size_t{1} << 20;

    explicit OwnFileBytes(platform::OwnFile& file) : file_(file), size_(file.size()) {}
    std::uint64_t size() const override { return size_; }
    std::string_view at(std::uint64_t offset, std::size_t length) override;
    bool failed() const override { return error_.has_value(); }
    const std::optional<platform::SystemError>& error() const { return error_; }

private:
    platform::OwnFile& file_;
    std::uint64_t size_ = 0;    // as the file was when held: no other process appends to a held file
    std::uint64_t start_ = 0;   // where piece_ begins in the file
    std::string piece_;
    std::optional<platform::SystemError> error_;
};

} // namespace norvane::journal
