// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A batch's journal file while the batch works: made and held by this
// process, its whole plan written and made durable before the first move,
// marks of the moves appended as they go, its end appended when it is over.

#include "journal/batch_file.h"
#include "journal/entry.h"
#include "norvane/journal.h"
#include "platform/own_files.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace norvane::journal {

class BatchWriter {
public:
    // Writes `header` and the steps `stepAt` gives, then makes them durable:
    // one sync of the file and one of its folder. Nothing may move before
    // this returns a writer; an error means the batch must not start.
    static std::variant<std::unique_ptr<BatchWriter>, platform::SystemError> plan(Journal& journal, BatchLog header,
                                                                                   const PlannedStepAt& stepAt);
    ~BatchWriter();
    BatchWriter(const BatchWriter&) = delete;
    BatchWriter& operator=(const BatchWriter&) = delete;

    // The moves made since the last mark, each file as found after its move
    // (`made` holds one entry a step, in order). Not made durable: marks
    // only spare a settle some looking; the folder tells the rest.
    void mark(const BatchRecord& made);
    // The batch is over: its last marks and its end. A batch that made no
    // move leaves nothing to take back, and its file goes.
    void end(const BatchRecord& made);

private:
    BatchWriter(Journal& journal, std::unique_ptr<platform::OwnFile> file, std::string path, Entry entry);

    Journal& journal_;
    std::unique_ptr<platform::OwnFile> file_;
    std::string path_;
    Entry entry_;
    std::size_t marked_ = 0;
    bool ended_ = false;
    bool everyAppendWritten_ = true; // entry_ then tells all the file holds
};

} // namespace norvane::journal
