// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/rename_run.h"

#include "batch/batch_act.h"
#include "batch/check/batch_check.h"
#include "batch/planner.h"
#include "journal/batch_writer.h"
#include "norvane/journal.h"

#include <utility>
#include <vector>

namespace norvane {

namespace {

RenameFailure cancelled(const Planner& planner, std::size_t renamed) {
    RenameFailure failure;
    failure.kind = RenameFailure::Kind::Cancelled;
    failure.count = planner.fileCount();
    failure.name = planner.folder();
    failure.renamed = renamed;
    return failure;
}

} // namespace

RenameRun::RenameRun(Rule rule, FileList& files, RuleTexts texts, MessageSink& sink)
    : rule_(rule), files_(files), texts_(std::move(texts)), sink_(sink) {}

std::optional<RenameFailure> RenameRun::Run() {
    const std::size_t count = files_.count();
    if (auto failure = moveFiles()) return failure;
    const auto refreshFailed = [&] {
        RenameFailure failure;
        failure.kind = RenameFailure::Kind::RefreshFailed;
        failure.position = count;
        failure.count = count;
        failure.name = files_.path();
        failure.error = files_.error()->error;
        failure.renamed = record_.size();
        return failure;
    };
    if (relisting_) {
        FileList::Relisting relisting = std::move(*relisting_);
        relisting_.reset();
        // The list shows what the moves left while the folder is read again:
        // "Done!" need not wait for the read, which is done, and taken in,
        // by the time the box is closed. A folder no longer at its path is
        // waited for: its read fails, and that is told instead of "Done!".
        const bool folderThere = files_.fileSystem().probeFolder(files_.path()).isFolder;
        if (!folderThere && !files_.finishRelisting(relisting)) return refreshFailed();
        if (announcesDone(rule_)) sink_.show("Done!");
        if (folderThere && !files_.finishRelisting(relisting)) return refreshFailed();
        return std::nullopt;
    }
    if (!files_.refresh()) return refreshFailed();
    if (announcesDone(rule_)) sink_.show("Done!");
    return std::nullopt;
}

// Plan, check and act, all through the folder opened once: its check's read
// and its last move reach the same folder, whatever happens to its path
// meanwhile. The plan and the check's findings are gone before the list is
// read again: in a large folder they would double what that costs.
std::optional<RenameFailure> RenameRun::moveFiles() {
    const Planner planner(rule_, files_, texts_);
    const Plan plan = planner.plan();
    const PlannedSteps planned = planner.steps(plan);
    const batch::Steps steps = planned.all();
    const std::unique_ptr<platform::Folder> folder = files_.fileSystem().openFolder(files_.path());

    // One answer for each folder the names lie in, from the check to the last move.
    batch::Places places(*folder);
    // The list's own read answers the check where the folder has not changed since.
    folder->answerFrom(files_.keptReading());
    batch::Checked checked =
        batch::check(*folder, places, steps, batch::OnProblem::StopBatch, nullptr, progress_, journal_ != nullptr);
    if (checked.cancelled) return cancelled(planner, 0);
    if (auto failure = planner.refusal(plan, checked)) return failure;
    // Files are about to move: the list's read is of no more use, and its watch would be told of every move.
    folder->answerFrom(nullptr);
    files_.endKeptReading();
    // Recorded as resolved: a link repointed later cannot lead the undo to another folder.
    const auto resolved = files_.fileSystem().resolveFolder(files_.path());
    record_.folder = std::holds_alternative<std::string>(resolved) ? std::get<std::string>(resolved) : files_.path();
    record_.folderIdentity = folder->about().identity;
    record_.folderTrust = folder->about().trust;

    std::unique_ptr<journal::BatchWriter> writer;
    if (journal_) {
        journal::BatchLog header;
        header.what = captionOf(rule_);
        header.folder = record_.folder;
        header.folderIdentity = record_.folderIdentity;
        header.folderTrust = record_.folderTrust;
        header.volumeId = folder->volumeId();
        header.stepCount = steps.size();
        auto planned = journal::BatchWriter::plan(*journal_, std::move(header), [&](std::size_t i) {
            const batch::Step step = steps[i]; // made from the plan at each asking: asked once
            return journal::PlannedStep{step.from, step.to, places.trustOf(step.from), checked.sources[i]};
        });
        if (auto* error = std::get_if<platform::SystemError>(&planned)) {
            RenameFailure failure;
            failure.kind = RenameFailure::Kind::JournalUnwritable;
            failure.count = planner.fileCount();
            failure.name = planner.folder();
            failure.destination = journal_->folder().value_or("");
            failure.error = std::move(*error);
            return failure;
        }
        writer = std::move(std::get<std::unique_ptr<journal::BatchWriter>>(planned));
        // Written down and synced: what the check found of each source is not
        // needed again, and its memory (tens of bytes a file) goes before the
        // record of the moves grows.
        std::vector<std::optional<platform::FileIdentity>>().swap(checked.sources);
    }
    // The journal marks the moves as the record of them grows.
    batch::RecordGrew grew;
    if (writer) grew = [&](const BatchRecord& made) { writer->mark(made); };
    const batch::Acted acted = batch::act(*folder, places, steps, &record_, progress_, grew);
    if (writer) writer->end(record_);
    if (acted.cancelled) return cancelled(planner, acted.done);
    if (acted.error) {
        RenameFailure failure = planner.failureOf(plan, acted.done, RenameFailure::Kind::MoveRefused);
        failure.error = acted.error;
        failure.renamed = acted.done;
        return failure;
    }
    // A large list is read again on a second thread while it shows the
    // names the plan gave, which the read then confirms.
    if (files_.relistsApart()) {
        relisting_ = files_.relistLater();
        files_.assumeMoved(
            plan.size(), [&](std::size_t move) { return plan.positions[move]; },
            [&](std::size_t move) { return plan.newName(move); });
    }
    return std::nullopt;
}

std::optional<RenameFailure> Run(Rule rule, FileList& files, const RuleTexts& texts, MessageSink& sink) {
    return RenameRun(rule, files, texts, sink).Run();
}

} // namespace norvane
