// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The engine at 1,000, 10,000, 100,000 and 1,000,000 files, each measurement
// beside the platform's bare loop over the same folder, in the same process.
// The peak memory of a listing and the four runs, with the undo record of the
// last batch kept as the window keeps it, is measured in a fresh process of
// this program over the same folders.
//
//   norvane_engine_bench             every size, 5 repetitions (1 at 1,000,000 files)
//   norvane_engine_bench --smoke     1,000 files once: checks the benchmark still works
//   norvane_engine_bench --sizes 1000,10000 --repeat 3 [--repeat-large N]
//   norvane_engine_bench --only undo,journal   (listing, rules, journal, undo, memory)
//
// The journal's cost at 100,000 files is taken over at least 21 turns, and
// its ratio is the median of each turn's own ratio.

#include "norvane/platform.h"
#include "norvane/file_list.h"
#include "norvane/journal.h"
#include "norvane/rename_run.h"
#include "norvane/rules.h"
#include "norvane/session.h"
#include "norvane_bench/bare_loops.h"
#include "norvane_bench/options.h"
#include "norvane_bench/peak_memory.h"
#include "norvane_bench/sample_folder.h"
#include "norvane_bench/samples.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <variant>
#include <vector>

extern char** environ;

namespace {

using namespace norvane;
using namespace norvane::bench;

constexpr std::size_t kTargetSize = 100000;
constexpr double kRunRatioTarget = 1.3;
constexpr double kListingRatioTarget = 2.0;
constexpr double kGrowthTarget = 12.0;      // from 10,000 to 100,000 files
constexpr double kLargeGrowthTarget = 11.0; // from 100,000 to 1,000,000 files
constexpr double kPeakMemoryTargetMiB = 64.0;
constexpr double kLargePeakMemoryTargetMiB = 400.0;
constexpr double kJournalRatioTarget = 1.03; // a batch with its journal, beside the same batch without
constexpr double kUndoRatioTarget = 1.10;    // a whole batch taken back, beside the batch, at 100,000 files and more
// What the journal costs is a few hundredths, while one run of 100,000 moves
// varies by a tenth from the next on a shared disk: so many pairs at least.
constexpr int kJournalPairsAtTarget = 21;


// "Done!" answered at once.
class CountingSink final : public MessageSink {
public:
    void show(const std::string& message) override {
        if (message == "Done!") ++done;
    }
    int done = 0;
};

struct RuleCase {
    const char* label;
    Rule rule;
    NameMix mix;
    RuleTexts texts;
};

const std::vector<RuleCase>& ruleCases() {
    static const std::vector<RuleCase> cases{
        {"ReplaceName", Rule::ReplaceName, NameMix::Mixed, {"_", " "}},
        {"NumberName", Rule::NumberName, NameMix::Dotted, {}},
        {"ExtensionName", Rule::ExtensionName, NameMix::Mixed, {"", "bak"}},
        {"HeaderName", Rule::HeaderName, NameMix::Dotted, {}},
    };
    return cases;
}

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

// The moves a run of the rule makes over the folder as listed now, from the
// engine's own rules, so the bare loop does exactly the same renames.
std::vector<RenamePair> movesOf(const RuleCase& rc, const FileList& files) {
    std::vector<RenamePair> pairs;
    for (std::size_t i = 0; i < files.count(); ++i) {
        RuleResult result = apply(rc.rule, files.name(i), i, rc.texts);
        const auto* renamed = std::get_if<NewName>(&result);
        if (std::holds_alternative<MissingPart>(result)) fail(std::string(rc.label) + " fails on " + std::string(files.name(i)));
        if (renamed && renamed->name != files.name(i)) pairs.push_back({std::string(files.name(i)), renamed->name});
    }
    return pairs;
}

// One whole run, checked: it must complete, say "Done!" where it should and
// leave the list showing as many files as before.
void runChecked(const RuleCase& rc, FileList& files, Journal* journal = nullptr) {
    const std::size_t before = files.count();
    CountingSink sink;
    RenameRun run(rc.rule, files, rc.texts, sink);
    run.setJournal(journal);
    if (auto failure = run.Run()) fail(rc.label + std::string(": ") + ("failure of kind " + std::to_string(static_cast<int>(failure->kind)) + " at \"" + failure->name + "\""));
    if (sink.done != (announcesDone(rc.rule) ? 1 : 0)) fail(rc.label + std::string(": wrong number of \"Done!\""));
    if (files.count() != before) fail(rc.label + std::string(": the list lost files"));
}

struct Measurement {
    std::string label;
    std::size_t size;
    Samples project;
    Samples baseline;
    double ratioTarget; // 0: none at this size
    bool paired = false; // the ratio of each turn's two runs, not of the two medians

    double ratio() const { return paired ? medianOfRatios(project, baseline) : project.median() / baseline.median(); }
};

std::string spread(const Samples& s) { return milliseconds(s.fastest()) + "-" + milliseconds(s.slowest()); }

void print(const Measurement& m) {
    const double ratio = m.ratio();
    std::string verdict;
    if (m.ratioTarget > 0) {
        char text[48];
        std::snprintf(text, sizeof text, "<= %.3g %s", m.ratioTarget, ratio <= m.ratioTarget ? "met" : "MISSED");
        verdict = text;
    }
    std::printf("%-14s %7zu files  project %10s  baseline %10s  ratio %5.*f  %-11s  (spread: project %s, baseline %s; load %s)%s\n",
                m.label.c_str(), m.size, milliseconds(m.project.median()).c_str(), milliseconds(m.baseline.median()).c_str(),
                m.paired ? 3 : 2, ratio, verdict.c_str(), spread(m.project).c_str(), spread(m.baseline).c_str(),
                machineLoad().c_str(),
                m.paired ? ("\n               the median of " + std::to_string(m.project.size()) + " turns' ratios").c_str() : "");
    std::fflush(stdout);
}

// Project and bare loop take turns, so drift on a shared machine hits both alike.
template <typename Project, typename Baseline>
void interleave(Measurement& m, int repeats, Project project, Baseline baseline) {
    for (int r = 0; r < repeats; ++r) {
        if (r % 2 == 0) {
            m.project.add(project());
            m.baseline.add(baseline());
        } else {
            m.baseline.add(baseline());
            m.project.add(project());
        }
    }
}

Measurement measureListing(const SampleFolder& folder, int repeats) {
    Measurement m{"listing", folder.listed(), {}, {}, folder.listed() >= kTargetSize ? kListingRatioTarget : 0};
    interleave(
        m, repeats,
        [&] {
            FileList files;
            const auto taken = timed([&] { files.setPath(folder.path()); });
            if (files.count() != folder.listed()) fail("the list shows " + std::to_string(files.count()) + " files");
            return taken;
        },
        [&] {
            std::size_t counted = 0;
            const auto taken = timed([&] { counted = bareListing(folder.path()); });
            if (counted != folder.listed()) fail("the bare listing counts " + std::to_string(counted) + " files");
            return taken;
        });
    return m;
}

Measurement measureRun(const RuleCase& rc, const SampleFolder& folder, int repeats) {
    Measurement m{rc.label, folder.listed(), {}, {}, folder.listed() == kTargetSize ? kRunRatioTarget : 0};
    std::vector<RenamePair> pairs;
    {
        FileList files;
        files.setPath(folder.path());
        pairs = movesOf(rc, files);
    }
    // Every rule is meant to rename every listed file.
    if (pairs.size() != folder.listed()) fail(std::string(rc.label) + " would move only " + std::to_string(pairs.size()) + " files");

    interleave(
        m, repeats,
        [&] {
            FileList files; // the list as the window shows it before the click
            files.setPath(folder.path());
            const auto taken = timed([&] { runChecked(rc, files); });
            undoRenames(folder.path(), pairs);
            return taken;
        },
        [&] {
            const auto taken = timed([&] { bareRenames(folder.path(), pairs); });
            undoRenames(folder.path(), pairs);
            return taken;
        });
    if (!folder.holdsItsOwnNames()) fail(std::string(rc.label) + ": the folder was not restored");
    return m;
}

// The same batch with its journal and without, in turns: what writing the
// whole plan down and syncing it once before the first move costs. The
// journal lies beside the folder, on the same disk, as a user's state folder
// does beside their files.
Measurement measureJournal(const SampleFolder& folder, int repeats) {
    const RuleCase& rc = ruleCases()[2]; // ExtensionName, every file renamed
    const bool atTarget = folder.listed() == kTargetSize;
    Measurement m{"with journal", folder.listed(), {}, {}, atTarget ? kJournalRatioTarget : 0, true};
    if (atTarget) repeats = std::max(repeats, kJournalPairsAtTarget);
    std::vector<RenamePair> pairs;
    {
        FileList files;
        files.setPath(folder.path());
        pairs = movesOf(rc, files);
    }
    const std::filesystem::path state = std::filesystem::temp_directory_path() / ("norvane-bench-state-" + std::to_string(::getpid()));
    std::filesystem::create_directories(state);
    interleave(
        m, repeats,
        [&] {
            FileList files;
            files.setPath(folder.path());
            Journal journal(state.string());
            const auto taken = timed([&] { runChecked(rc, files, &journal); });
            undoRenames(folder.path(), pairs);
            std::filesystem::remove_all(state / "batches");
            return taken;
        },
        [&] {
            FileList files;
            files.setPath(folder.path());
            const auto taken = timed([&] { runChecked(rc, files); });
            undoRenames(folder.path(), pairs);
            return taken;
        });
    std::filesystem::remove_all(state);
    if (!folder.holdsItsOwnNames()) fail("with journal: the folder was not restored");
    return m;
}

// A whole batch, then its undo, as the window makes them: the batch through
// the session with its journal, then Ctrl+Z's latest batch taken back and the
// list read again. The ratio is each turn's undo to its own batch.
Measurement measureUndo(const SampleFolder& folder, int repeats) {
    const RuleCase& rc = ruleCases()[2]; // ExtensionName, every file renamed
    Measurement m{"undo / batch", folder.listed(), {}, {}, folder.listed() >= kTargetSize ? kUndoRatioTarget : 0, true};
    const std::filesystem::path state = std::filesystem::temp_directory_path() / ("norvane-bench-undo-" + std::to_string(::getpid()));
    for (int r = 0; r < repeats; ++r) {
        std::filesystem::create_directories(state);
        Session session(platform::nativeFileSystem(), state.string());
        session.openFolder(folder.path());
        CountingSink sink;
        Session::RunResult ran;
        m.baseline.add(timed([&] { ran = session.run(rc.rule, rc.texts, sink); }));
        if (ran.failure) fail("undo: the batch failed: kind " + std::to_string(static_cast<int>(ran.failure->kind)) + " at \"" + ran.failure->name + "\"");
        if (ran.renamed != folder.listed()) fail("undo: the batch renamed " + std::to_string(ran.renamed) + " files");
        Session::TakeBackResult back;
        m.project.add(timed([&] {
            const std::optional<Session::Batch> latest = session.latest();
            if (!latest) fail("undo: the journal offers no batch");
            back = session.takeBack(latest->sequence);
            session.refresh();
        }));
        if (back.refusal || !back.outcome) fail("undo: refused");
        if (back.outcome->restored != folder.listed() || !back.outcome->leftAlone.empty())
            fail("undo: " + std::to_string(back.outcome->restored) + " files back of " + std::to_string(folder.listed()));
        if (session.files().count() != folder.listed()) fail("undo: the list lost files");
        std::filesystem::remove_all(state);
    }
    if (!folder.holdsItsOwnNames()) fail("undo: the folder was not restored");
    return m;
}

// One run kept whole: it must complete and say "Done!" where it should; its
// record is what an undo of it would need.
BatchRecord runKeepingRecord(const RuleCase& rc, FileList& files) {
    const std::size_t before = files.count();
    CountingSink sink;
    RenameRun run(rc.rule, files, rc.texts, sink);
    if (auto failure = run.Run()) fail(rc.label + std::string(": ") + ("failure of kind " + std::to_string(static_cast<int>(failure->kind)) + " at \"" + failure->name + "\""));
    if (sink.done != (announcesDone(rc.rule) ? 1 : 0)) fail(rc.label + std::string(": wrong number of \"Done!\""));
    if (files.count() != before) fail(rc.label + std::string(": the list lost files"));
    return run.takeRecord();
}

// In a process of its own, so the peak is the engine's and nothing of the
// benchmark's: list the folders and run every rule once, each over the names
// the previous one left, every one renaming every file. The record of the
// last batch stays alive while the next runs, as the window keeps it for an
// undo, so the peak holds two records at once.
int peakMemoryChild(const std::string& mixedPath, const std::string& dottedPath, std::size_t size) {
    const std::size_t atStart = residentKiB();
    std::vector<std::pair<const char*, double>> bytesPerFile;
    {
        BatchRecord kept;
        const auto keep = [&](const RuleCase& rc, FileList& files) {
            kept = runKeepingRecord(rc, files);
            if (kept.size() != size) fail(std::string(rc.label) + ": the record holds " + std::to_string(kept.size()) + " moves");
            bytesPerFile.emplace_back(rc.label, static_cast<double>(kept.memoryUsed()) / static_cast<double>(size));
        };
        FileList files;
        files.setPath(mixedPath);
        if (files.count() != size) fail("the list shows " + std::to_string(files.count()) + " files");
        keep(ruleCases()[0], files); // ReplaceName: "IMG_000000.Holiday.jpg" -> "IMG 000000.Holiday.jpg"
        keep(ruleCases()[2], files); // ExtensionName: -> "IMG 000000.bak"
        files.setPath(dottedPath);
        keep(ruleCases()[3], files); // HeaderName: "00.Intro_000000.mp3" -> "Intro_000000.mp3"
        keep(ruleCases()[1], files); // NumberName: -> "001.mp3"
    }
    const double peakMiB = static_cast<double>(peakResidentKiB()) / 1024;
    std::printf("peak memory    %7zu files  %.1f MiB resident at most, an undo record kept (%.1f MiB at the process's start)",
                size, peakMiB, static_cast<double>(atStart) / 1024);
    const double target = size == kTargetSize ? kPeakMemoryTargetMiB : size == kLargeSize ? kLargePeakMemoryTargetMiB : 0;
    if (target > 0) std::printf("  < %.0f MiB %s", target, peakMiB < target ? "met" : "MISSED");
    std::printf("\n  undo record, bytes a file:");
    for (const auto& [label, bytes] : bytesPerFile) std::printf("  %s %.0f", label, bytes);
    std::printf("\n");
    std::fflush(stdout);
    return 0;
}

// Runs this program again as the peak memory's own process over the folders,
// which it leaves renamed.
void measurePeakMemory(const SampleFolder& mixed, const SampleFolder& dotted) {
    std::fflush(stdout);
    const std::string self = "/proc/self/exe", size = std::to_string(mixed.listed());
    std::vector<char*> argv{const_cast<char*>("norvane_engine_bench"), const_cast<char*>("--peak-memory-of"),
                            const_cast<char*>(mixed.path().c_str()), const_cast<char*>(dotted.path().c_str()),
                            const_cast<char*>(size.c_str()), nullptr};
    pid_t pid = 0;
    if (const int error = ::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ))
        fail("cannot start the peak memory's process: " + std::string(std::strerror(error)));
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail("the peak memory's process failed");
}

using Medians = std::map<std::pair<std::string, std::size_t>, std::pair<double, double>>; // project, baseline

void printGrowth(const Medians& medians, std::size_t from, std::size_t to, double target) {
    bool header = false;
    for (const auto& [key, large] : medians) {
        if (key.second != to) continue;
        const auto small = medians.find({key.first, from});
        if (small == medians.end()) continue;
        if (!header)
            std::printf("\ngrowth from %zu to %zu files (target <= %.0fx for the project):\n", from, to, target);
        header = true;
        const double growth = large.first / small->second.first;
        std::printf("%-14s project %5.1fx  %-6s  (baseline %4.1fx)\n", key.first.c_str(), growth,
                    growth <= target ? "met" : "MISSED", large.second / small->second.second);
    }
}

void runAll(const Options& options) {
    std::printf("Norvane engine benchmark: %u cores, folders under %s, times for the whole folder; load %s\n",
                std::thread::hardware_concurrency(), std::filesystem::temp_directory_path().string().c_str(),
                machineLoad().c_str());

    Medians medians;
    const std::size_t largest = *std::max_element(options.sizes.begin(), options.sizes.end());
    for (const std::size_t size : options.sizes) {
        const int repeats = options.repeatsAt(size);
        std::printf("\n%zu files, median of %d repetition%s\n", size, repeats, repeats == 1 ? "" : "s");
        const SampleFolder mixed(NameMix::Mixed, size);
        const SampleFolder dotted(NameMix::Dotted, size);
        std::vector<Measurement> results;
        if (options.wanted("listing")) {
            results.push_back(measureListing(mixed, repeats));
            print(results.back());
        }
        for (const RuleCase& rc : ruleCases()) {
            if (!options.wanted("rules")) break;
            results.push_back(measureRun(rc, rc.mix == NameMix::Mixed ? mixed : dotted, repeats));
            print(results.back());
        }
        if (options.wanted("journal")) {
            results.push_back(measureJournal(mixed, repeats));
            print(results.back());
        }
        if (options.wanted("undo")) {
            results.push_back(measureUndo(mixed, repeats));
            print(results.back());
            std::printf("               project: the undo with the list read again; baseline: the batch it took back\n");
        }
        for (const Measurement& m : results) medians[{m.label, m.size}] = {m.project.median(), m.baseline.median()};
        // Last for these folders: it leaves them renamed.
        if ((size == kTargetSize || size == kLargeSize || size == largest) && options.wanted("memory"))
            measurePeakMemory(mixed, dotted);
    }
    printGrowth(medians, 10000, kTargetSize, kGrowthTarget);
    printGrowth(medians, kTargetSize, kLargeSize, kLargeGrowthTarget);
}

} // namespace

int main(int argc, char** argv) {
    // As the program does: freed memory is kept for the next batch.
    norvane::platform::keepFreedMemoryForBatches();
    try {
        if (argc == 5 && std::string(argv[1]) == "--peak-memory-of")
            return peakMemoryChild(argv[2], argv[3], static_cast<std::size_t>(std::stoull(argv[4])));
        // At 1,000,000 files one repetition moves every file four times for each
        // rule, a few minutes on a plain disk.
        runAll(parseOptions(argc, argv, {.sizes = {1000, 10000, 100000, 1000000}, .largeRepeats = 1},
                            "norvane_engine_bench"));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "norvane_engine_bench: %s\n", e.what());
        return 1;
    }
}
