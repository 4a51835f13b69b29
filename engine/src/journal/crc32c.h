// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// CRC-32C (Castagnoli): the checksum of the journal's records. It finds every
// burst of up to 32 flipped bits, and the hardware of most machines knows it.

#include <cstdint>
#include <string_view>

namespace norvane::journal {

class Crc32c {
public:
    void update(std::string_view bytes);
    std::uint32_t value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};

inline std::uint32_t crc32c(std::string_view bytes) {
    Crc32c crc;
    crc.update(bytes);
    return crc.value();
}

} // namespace norvane::journal
