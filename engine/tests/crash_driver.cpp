// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A Norvane without a window, for the kill -9 rounds: `batch FOLDER` renames
// every "f..." of the folder to "g..." with its journal where the program
// keeps it, saying "checked" once its check is done and "moved" after its
// last move, before the end is written; `undo` settles the
// journal as the program does at start ("interrupted N of M" for a batch,
// "undo interrupted N to go, K back, of M" for an undo), says "opened", then
// takes every batch back, latest first, until none is left or one is
// refused; `offered` opens the journal as a start does and names every batch
// it still offers.

#include "norvane/journal.h"
#include "norvane/rename_run.h"
#include "norvane/take_back.h"
#include "shown.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

struct Silent : norvane::MessageSink {
    void show(const std::string&) override {}
};

int batch(const char* folder) {
    norvane::Journal journal(norvane::Journal::defaultFolder());
    norvane::FileList list;
    list.setPath(folder);
    Silent sink;
    norvane::RenameRun run(norvane::Rule::ReplaceName, list, {"f", "g"}, sink);
    run.setJournal(&journal);
    bool checked = false;
    run.setProgress([&](const norvane::BatchProgress& progress) {
        if (progress.done != progress.total) return true;
        const bool checking = progress.stage == norvane::BatchProgress::Stage::Checking;
        if (checking && checked) return true;
        std::puts(checking ? "checked" : "moved");
        std::fflush(stdout);
        checked = checked || checking;
        return true;
    });
    const auto failure = run.Run();
    if (failure) std::fprintf(stderr, "%s\n", norvane::shown(*failure).c_str());
    return failure ? 1 : 0;
}

int undo() {
    norvane::Journal journal(norvane::Journal::defaultFolder());
    const norvane::Journal::Opening opening = journal.open(norvane::platform::nativeFileSystem());
    const auto count = [](std::uint64_t n) { return static_cast<unsigned long long>(n); };
    for (const auto& batch : opening.interrupted) {
        if (batch.undoing) std::printf("undo interrupted %llu to go, %llu back, of %llu\n", count(batch.renamed), count(batch.restored),
                                       count(batch.planned));
        else std::printf("interrupted %llu of %llu\n", count(batch.renamed), count(batch.planned));
        if (!batch.neitherFrom.empty()) std::printf("under neither name: %s\n", batch.neitherFrom.c_str());
    }
    for (const auto& file : opening.setAside)
        std::printf("set aside %s: reason %d, at %llu%s\n", file.file.c_str(), static_cast<int>(file.why), count(file.at),
                    file.left ? ", left where it is" : "");
    std::puts("opened");
    std::fflush(stdout);
    for (;;) {
        const norvane::TakeBackResult result = norvane::takeBackLatest(journal, norvane::platform::nativeFileSystem());
        if (!result.outcome) {
            if (result.refusal)
                std::fprintf(stderr, "batch %llu in %s refused: kind %d%s%s\n", count(result.sequence), result.folder.c_str(),
                             static_cast<int>(result.refusal->kind), result.refusal->error ? ": " : "",
                             result.refusal->error ? result.refusal->error->description.c_str() : "");
            return result.refusal ? 1 : 0;
        }
        std::printf("%s\n", norvane::shown(*result.outcome).c_str());
        std::fflush(stdout);
    }
}

int offered() {
    norvane::Journal journal(norvane::Journal::defaultFolder());
    journal.open(norvane::platform::nativeFileSystem());
    for (const auto& batch : journal.batches(norvane::platform::nativeFileSystem()))
        if (batch.state != norvane::Journal::Batch::State::TakenBack)
            std::printf("offered %llu files in %s (state %d)\n", static_cast<unsigned long long>(batch.files), batch.folder.c_str(),
                        static_cast<int>(batch.state));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "batch") == 0) return batch(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "undo") == 0) return undo();
    if (argc == 2 && std::strcmp(argv[1], "offered") == 0) return offered();
    std::fprintf(stderr, "usage: %s batch FOLDER | undo | offered\n", argv[0]);
    return 2;
}
