// The engine at 1,000, 10,000 and 100,000 files, each measurement beside the
// platform's bare loop over the same folder, in the same process.
//
//   norvane_engine_bench             every size, 5 repetitions
//   norvane_engine_bench --smoke     1,000 files once: checks the benchmark still works
//   norvane_engine_bench --sizes 1000,10000 --repeat 3

#include "norvane/file_list.h"
#include "norvane/rename_run.h"
#include "norvane/rules.h"
#include "norvane_bench/bare_loops.h"
#include "norvane_bench/peak_memory.h"
#include "norvane_bench/sample_folder.h"
#include "norvane_bench/samples.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace {

using namespace norvane;
using namespace norvane::bench;

struct Options {
    std::vector<std::size_t> sizes{1000, 10000, 100000};
    int repeats = 5;
};

constexpr std::size_t kTargetSize = 100000;
constexpr double kRunRatioTarget = 1.3;
constexpr double kListingRatioTarget = 2.0;
constexpr double kGrowthTarget = 12.0;
constexpr double kPeakMemoryTargetMiB = 64.0;

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
void runChecked(const RuleCase& rc, FileList& files) {
    const std::size_t before = files.count();
    CountingSink sink;
    if (auto failure = Run(rc.rule, files, rc.texts, sink)) fail(rc.label + std::string(": ") + describe(*failure));
    if (sink.done != (announcesDone(rc.rule) ? 1 : 0)) fail(rc.label + std::string(": wrong number of \"Done!\""));
    if (files.count() != before) fail(rc.label + std::string(": the list lost files"));
}

struct Measurement {
    std::string label;
    std::size_t size;
    Samples project;
    Samples baseline;
    double ratioTarget; // 0: none at this size
};

std::string spread(const Samples& s) { return milliseconds(s.fastest()) + "-" + milliseconds(s.slowest()); }

void print(const Measurement& m) {
    const double ratio = m.project.median() / m.baseline.median();
    std::string verdict;
    if (m.ratioTarget > 0) {
        char text[48];
        std::snprintf(text, sizeof text, "<= %.1f %s", m.ratioTarget, ratio <= m.ratioTarget ? "met" : "MISSED");
        verdict = text;
    }
    std::printf("%-14s %7zu files  project %10s  baseline %10s  ratio %5.2f  %-11s  (spread: project %s, baseline %s)\n",
                m.label.c_str(), m.size, milliseconds(m.project.median()).c_str(), milliseconds(m.baseline.median()).c_str(),
                ratio, verdict.c_str(), spread(m.project).c_str(), spread(m.baseline).c_str());
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
    Measurement m{"listing", folder.listed(), {}, {}, folder.listed() == kTargetSize ? kListingRatioTarget : 0};
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

// Before any bookkeeping of the timed part exists: list the folders and run
// every rule once at the given size, with nothing kept but the folders, so the
// peak is the engine's. The rules are chained, each over the names the
// previous one left, and every one of them renames every file.
void measurePeakMemory(std::size_t size) {
    const std::size_t atStart = residentKiB();
    {
        const SampleFolder mixed(NameMix::Mixed, size);
        const SampleFolder dotted(NameMix::Dotted, size);
        FileList files;
        files.setPath(mixed.path());
        runChecked(ruleCases()[0], files); // ReplaceName: "IMG_000000.Holiday.jpg" -> "IMG 000000.Holiday.jpg"
        runChecked(ruleCases()[2], files); // ExtensionName: -> "IMG 000000.bak"
        files.setPath(dotted.path());
        runChecked(ruleCases()[3], files); // HeaderName: "00.Intro_000000.mp3" -> "Intro_000000.mp3"
        runChecked(ruleCases()[1], files); // NumberName: -> "001.mp3"
    }
    const double peakMiB = static_cast<double>(peakResidentKiB()) / 1024;
    std::printf("peak memory    %7zu files  %.1f MiB resident at most (%.1f MiB before the folders)", size, peakMiB,
                static_cast<double>(atStart) / 1024);
    if (size == kTargetSize) std::printf("  < %.0f MiB %s", kPeakMemoryTargetMiB, peakMiB < kPeakMemoryTargetMiB ? "met" : "MISSED");
    std::printf("\n");
    std::fflush(stdout);
}

using Medians = std::map<std::pair<std::string, std::size_t>, std::pair<double, double>>; // project, baseline

void printGrowth(const Medians& medians) {
    bool header = false;
    for (const auto& [key, large] : medians) {
        if (key.second != 100000) continue;
        const auto small = medians.find({key.first, 10000});
        if (small == medians.end()) continue;
        if (!header) std::printf("\ngrowth from 10,000 to 100,000 files (target <= %.0fx for the project):\n", kGrowthTarget);
        header = true;
        const double growth = large.first / small->second.first;
        std::printf("%-14s project %5.1fx  %-6s  (baseline %4.1fx)\n", key.first.c_str(), growth,
                    growth <= kGrowthTarget ? "met" : "MISSED", large.second / small->second.second);
    }
}

std::vector<std::size_t> parseSizes(const std::string& text) {
    std::vector<std::size_t> sizes;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const unsigned long long size = std::stoull(text.substr(from, comma - from));
        if (size == 0) fail("a size must be at least 1");
        sizes.push_back(static_cast<std::size_t>(size));
        from = comma + 1;
    }
    return sizes;
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--smoke") {
            options.sizes = {1000};
            options.repeats = 1;
        } else if (arg == "--sizes" && i + 1 < argc) {
            options.sizes = parseSizes(argv[++i]);
        } else if (arg == "--repeat" && i + 1 < argc) {
            options.repeats = std::max(1, std::atoi(argv[++i]));
        } else {
            fail("usage: norvane_engine_bench [--smoke] [--sizes N,N,...] [--repeat N]");
        }
    }
    return options;
}

void runAll(const Options& options) {
    std::printf("Norvane engine benchmark: %u cores, folders under %s, median of %d repetitions, times for the whole folder\n\n",
                std::thread::hardware_concurrency(), std::filesystem::temp_directory_path().string().c_str(),
                options.repeats);
    measurePeakMemory(*std::max_element(options.sizes.begin(), options.sizes.end()));

    Medians medians;
    for (const std::size_t size : options.sizes) {
        std::printf("\n");
        const SampleFolder mixed(NameMix::Mixed, size);
        const SampleFolder dotted(NameMix::Dotted, size);
        std::vector<Measurement> results;
        results.push_back(measureListing(mixed, options.repeats));
        print(results.back());
        for (const RuleCase& rc : ruleCases()) {
            results.push_back(measureRun(rc, rc.mix == NameMix::Mixed ? mixed : dotted, options.repeats));
            print(results.back());
        }
        for (const Measurement& m : results) medians[{m.label, m.size}] = {m.project.median(), m.baseline.median()};
    }
    printGrowth(medians);
}

} // namespace

int main(int argc, char** argv) {
    try {
        runAll(parse(argc, argv));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "norvane_engine_bench: %s\n", e.what());
        return 1;
    }
}
