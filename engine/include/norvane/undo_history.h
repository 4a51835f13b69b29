#pragma once

#include "norvane/batch_record.h"

#include <cstddef>
#include <deque>

namespace norvane {

// The batches that can still be taken back, latest last. What they hold in
// memory is bounded: past the bound the oldest go first, and the latest is
// always kept whole, however large.
class UndoHistory {
public:
    // 256 MiB: the latest few batches of a million files, dozens of a hundred thousand.
    static constexpr std::size_t defaultBound = std::size_t{256} << 20;

    explicit UndoHistory(std::size_t memoryBound = defaultBound) : bound_(memoryBound) {}

    void push(BatchRecord record);
    bool empty() const { return records_.empty(); }
    std::size_t size() const { return records_.size(); }
    const BatchRecord& latest() const { return records_.back(); }
    BatchRecord takeLatest();
    std::size_t memoryUsed() const { return used_; }

private:
    std::size_t bound_;
    std::size_t used_ = 0;
    std::deque<BatchRecord> records_;
};

} // namespace norvane
