// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace norvane {

// An open-addressing table of small numbers (indices into the caller's own
// data) under their keys' hashes: eight bytes a slot, where a node-based map
// of strings takes a hundred, which tells at a million files. The table keeps
// only 32 bits of each hash and no keys: the caller confirms each hit
// against its own key, so a shared hash costs a comparison, never a mistake.
class HashIndex {
public:
    // Room for `expected` entries at most half full, so probes stay short.
    explicit HashIndex(std::size_t expected) {
        std::size_t capacity = 16;
        while (capacity < 2 * expected) capacity *= 2;
        slots_.resize(capacity);
    }

    bool empty() const { return size_ == 0; }

    // The value stored under `hash` whose key `matches(value)` says is the one.
    template <typename Matches>
    std::optional<std::uint32_t> find(std::uint64_t fullHash, Matches matches) const {
        const std::uint32_t hash = stored(fullHash);
        for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
            const Slot& slot = slots_[at];
            if (slot.hash == 0) return std::nullopt;
            if (slot.hash == hash && matches(slot.value)) return slot.value;
        }
    }

    // Stores `value` under its key: in place of the entry that `matches`, or anew.
    template <typename Matches>
    void assign(std::uint64_t fullHash, std::uint32_t value, Matches matches) {
        const std::uint32_t hash = stored(fullHash);
        for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
            Slot& slot = slots_[at];
            if (slot.hash == 0) {
                slot = Slot{hash, value};
                if (++size_ * 2 > slots_.size()) grow();
                return;
            }
            if (slot.hash == hash && matches(slot.value)) {
                slot.value = value;
                return;
            }
        }
    }

    // Asks the processor for the slot where `fullHash` begins, ahead of a find
    // or an insert: at a million entries the table is far larger than its
    // caches, and a lookup that waits for memory costs more than its work.
    void prefetch(std::uint64_t fullHash) const {
#if defined(__GNUC__) || defined(__clang__)
        __builtin_prefetch(&slots_[stored(fullHash) & mask()]);
#else
        static_cast<void>(fullHash);
#endif
    }
    // How many keys ahead of its turn a key's slot is asked for.
    static constexpr std::size_t askedAhead = 8;

    // each(i, hashAt(i)) for every i below `count`, in order, the slot of
    // each hash asked for askedAhead turns before its own.
    template <typename HashAt, typename Each>
    void inTurnAskingAhead(std::size_t count, HashAt hashAt, Each each) const {
        std::array<std::uint64_t, askedAhead> hashes{};
        for (std::size_t i = 0; i < count + askedAhead; ++i) {
            if (i >= askedAhead) each(i - askedAhead, hashes[i % askedAhead]);
            if (i < count) {
                hashes[i % askedAhead] = hashAt(i);
                prefetch(hashes[i % askedAhead]);
            }
        }
    }

    // Stores `value` anew, for keys known to be new.
    void insert(std::uint64_t hash, std::uint32_t value) {
        assign(hash, value, [](std::uint32_t) { return false; });
    }

private:
    struct Slot {
        std::uint32_t hash = 0; // 0: empty
        std::uint32_t value = 0;
    };

    // The high half is mixed in: the low bits also pick the slot.
    static std::uint32_t stored(std::uint64_t hash) {
        const auto folded = static_cast<std::uint32_t>(hash ^ (hash >> 32));
        return folded == 0 ? 1 : folded;
    }
    std::size_t mask() const { return slots_.size() - 1; }

    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.hash == 0) continue;
            std::size_t at = slot.hash & mask();
            while (slots_[at].hash != 0) at = (at + 1) & mask();
            slots_[at] = slot;
        }
    }

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

} // namespace norvane
