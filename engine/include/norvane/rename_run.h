// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/batch_record.h"
#include "norvane/file_list.h"
#include "norvane/path.h"
#include "norvane/progress.h"
#include "norvane/rename_failure.h"
#include "norvane/rules.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace norvane {

class Journal;

// Where the run shows its modal "Done!".
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(const std::string& message) = 0;
};

// One application of one rule to every listed file.
class RenameRun {
public:
    RenameRun(Rule rule, FileList& files, RuleTexts texts, MessageSink& sink);

    // Plans every move, checks the whole plan, then moves the files in list
    // order, refreshes the list and, for three of the rules, says "Done!".
    // nullopt is completion.
    std::optional<RenameFailure> Run();

    // Told how the run goes now and then, and asked whether to go on.
    void setProgress(ProgressCallback progress) { progress_ = std::move(progress); }

    // Writes the batch down in `journal` before its first move, and marks its
    // moves there as it goes; a batch that cannot be written down does not start.
    void setJournal(Journal* journal) { journal_ = journal; }

    // What Run() moved, move by move, whether it completed or stopped midway.
    const BatchRecord& record() const { return record_; }
    BatchRecord takeRecord() { return std::move(record_); }

private:
    std::optional<RenameFailure> moveFiles();

    Rule rule_;
    FileList& files_;
    RuleTexts texts_; // a copy: the caller's texts may be gone before Run()
    MessageSink& sink_;
    ProgressCallback progress_;
    Journal* journal_ = nullptr;
    BatchRecord record_;
    std::optional<FileList::Relisting> relisting_; // the list read again after the last move
};

// The same as RenameRun(rule, files, texts, sink).Run().
std::optional<RenameFailure> Run(Rule rule, FileList& files, const RuleTexts& texts, MessageSink& sink);

} // namespace norvane
