#include "norvane/undo_history.h"

#include <utility>

namespace norvane {

void UndoHistory::push(BatchRecord record) {
    used_ += record.memoryUsed();
    records_.push_back(std::move(record));
    while (records_.size() > 1 && used_ > bound_) {
        used_ -= records_.front().memoryUsed();
        records_.pop_front();
    }
}

BatchRecord UndoHistory::takeLatest() {
    BatchRecord record = std::move(records_.back());
    records_.pop_back();
    used_ -= record.memoryUsed();
    return record;
}

} // namespace norvane
