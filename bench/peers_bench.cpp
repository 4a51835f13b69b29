// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Norvane beside other renamers, over one and the same batch: a folder of N empty
// files "f000000.txt", "f000001.txt", ... each renamed to ".bak", at 10,000,
// 100,000 and 1,000,000 files. In one run, taking turns, the folder put back
// and checked after every repetition:
//  - the bare loop: renameat2(fd, name, fd, new name, RENAME_NOREPLACE) relative
//    to the open folder, the cheapest way a program can make these moves; every
//    ratio is to it;
//  - the same loop over full paths, the engine benchmark's baseline, for comparison;
//  - Norvane's engine: RenameRun with "Change Extention"'s rule and "bak", progress
//    reporting on, "Done!" answered at once; the folder is listed before the timer,
//    as a user's folder is listed before the click;
//  - the engine again with its journal, as the window runs it: the window's
//    own share of its batch is its time beside this one;
//  - the bare loop with one statx a file after its move, which a batch makes
//    to record which file it moved: what that record costs beside the loop;
//  - the bare loop with that statx on a second thread, right behind each
//    move, as a large batch makes it: what looking while moving costs the
//    system itself;
//  - Norvane's window (where built): the click on "Change Extention" until the
//    "Done!" box shows;
//  - Debian's file-rename (package rename), as a process from its start to its
//    exit, the names given NUL-separated on its standard input;
//  - mmv '*.txt' '#1.bak', as a process.
//
//   norvane_peers_bench                       10,000, 100,000 (5 repetitions), 1,000,000 (3)
//   norvane_peers_bench --smoke               1,000 files once
//   norvane_peers_bench --sizes 10000,100000 --repeat 3 [--repeat-large N]
//   norvane_peers_bench --only look,behind,engine,journal,window,file-rename,mmv,paths  (the bare loop always runs)
//
// A tool that is not installed is skipped with a line saying so.

#ifndef _GNU_SOURCE
#define _GNU_SOURCE // renameat2, posix_spawn_file_actions_addchdir_np
#endif

#include "norvane/platform.h"
#include "norvane/file_list.h"
#include "norvane/journal.h"
#include "norvane/progress.h"
#include "norvane/rename_run.h"
#include "norvane/rules.h"
#include "norvane_bench/bare_loops.h"
#include "norvane_bench/options.h"
#include "norvane_bench/peak_memory.h"
#include "norvane_bench/samples.h"

#ifdef NORVANE_PEERS_WINDOW
#include "form1.h"
#include "norvane_bench/box_watcher.h"

#include <QDir>
#include <QTemporaryDir>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace norvane;
using namespace norvane::bench;

constexpr double kEngineRatioTarget = 1.10;      // to the bare loop, at 100,000 files and more
constexpr double kWindowToEngineTarget = 1.05;   // the window's whole batch beside the engine's
constexpr double kWindowRatioTarget = 1.10;      // click to "Done!", to the bare loop, at 100,000 files and more
constexpr double kWindowRatioTargetInMemory = 1.25; // the same on tmpfs, where a move costs the system far less
constexpr double kToBestPeerTarget = 0.90;       // Norvane's window beside the faster of the other renamers
constexpr double kGrowthTarget = 11.0;           // from 100,000 to 1,000,000 files
constexpr std::size_t kTargetFrom = 100000;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// ---------------------------------------------------------------------------
// The folder of the batch, and putting it back.

// Six digits at least, more where the size needs them, so every name has the same length.
int digitsFor(std::size_t size) {
    int digits = 1;
    for (std::size_t top = size > 0 ? size - 1 : 0; top >= 10; top /= 10) ++digits;
    return std::max(6, digits);
}

class BatchFolder {
public:
    explicit BatchFolder(std::size_t size) : size_(size) {
        std::string pattern = (std::filesystem::temp_directory_path() / "norvane-peers-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) fail(systemError("cannot make a folder under the temporary directory"));
        base_ = pattern;
        folder_ = base_ + "/files";
        namesFile_ = base_ + "/names";
        logFile_ = base_ + "/tool.log";
        if (::mkdir(folder_.c_str(), 0755) != 0) fail(systemError("cannot make " + folder_));
        fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) fail(systemError("cannot open " + folder_));

        const std::size_t digits = static_cast<std::size_t>(digitsFor(size));
        pairs_.reserve(size);
        std::string names;
        for (std::size_t i = 0; i < size; ++i) {
            const std::string number = std::to_string(i);
            std::string stem(1 + std::max(digits, number.size()), '0');
            stem[0] = 'f';
            stem.replace(stem.size() - number.size(), number.size(), number);
            pairs_.push_back({stem + ".txt", stem + ".bak"});
            names += pairs_.back().from;
            names += '\0';
        }
        for (const RenamePair& pair : pairs_) {
            const int file = ::openat(fd_, pair.from.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (file < 0) fail(systemError("cannot create " + pair.from));
            ::close(file);
        }
        std::FILE* out = std::fopen(namesFile_.c_str(), "wb");
        if (out == nullptr || std::fwrite(names.data(), 1, names.size(), out) != names.size() || std::fclose(out) != 0)
            fail(systemError("cannot write " + namesFile_));
    }
    BatchFolder(const BatchFolder&) = delete;
    BatchFolder& operator=(const BatchFolder&) = delete;

    ~BatchFolder() {
        if (fd_ >= 0) ::close(fd_);
        std::error_code ignored;
        std::filesystem::remove_all(base_, ignored);
    }

    std::size_t size() const { return size_; }
    const std::string& base() const { return base_; }
    const std::string& path() const { return folder_; }
    const std::string& namesFile() const { return namesFile_; }
    const std::string& logFile() const { return logFile_; }
    const std::vector<RenamePair>& pairs() const { return pairs_; }

    // After a tool's turn: every file must be under its ".bak" name, and
    // nothing else in the folder. Each goes back to ".txt", so the next turn
    // has the same work.
    void putBack(const std::string& tool) const {
        for (const RenamePair& pair : pairs_) {
            if (::renameat2(fd_, pair.to.c_str(), fd_, pair.from.c_str(), RENAME_NOREPLACE) != 0)
                fail(tool + " did not leave " + pair.to + " (" + std::strerror(errno) + ")");
        }
        const std::size_t entries = countEntries();
        if (entries != size_) fail(tool + " left " + std::to_string(entries) + " entries in a folder of " + std::to_string(size_) + " files");
    }

private:
    std::size_t countEntries() const {
        DIR* directory = ::opendir(folder_.c_str());
        if (directory == nullptr) fail(systemError("cannot read " + folder_));
        std::size_t count = 0;
        while (const dirent* entry = ::readdir(directory)) {
            const char* name = entry->d_name;
            if (!(name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))) ++count;
        }
        ::closedir(directory);
        return count;
    }

    std::size_t size_;
    std::string base_, folder_, namesFile_, logFile_;
    int fd_ = -1;
    std::vector<RenamePair> pairs_;
};

// ---------------------------------------------------------------------------
// Other programs, each run from its start to its exit.

std::optional<std::string> findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t from = 0;
    while (from <= dirs.size()) {
        const std::size_t colon = std::min(dirs.find(':', from), dirs.size());
        const std::string candidate = dirs.substr(from, colon - from) + "/" + name;
        if (colon > from && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        from = colon + 1;
    }
    return std::nullopt;
}

// The first line the program prints for --version; also brings it into the
// page cache, so no turn pays for loading it from disk.
std::string versionOf(const std::string& program) {
    std::string line;
    if (std::FILE* pipe = ::popen(("'" + program + "' --version 2>&1").c_str(), "r")) {
        char text[256];
        if (std::fgets(text, sizeof text, pipe) != nullptr) line = text;
        while (std::fgets(text, sizeof text, pipe) != nullptr) {
        }
        ::pclose(pipe);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

std::string readAll(const std::string& path) {
    std::string text;
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0 && text.size() < 4000) text.append(buffer, got);
        std::fclose(in);
    }
    return text;
}

// Runs the program in the folder, standard input from `input`, its output to
// the log; the time from just before it starts to just after it has exited.
Clock::duration runProcess(const std::string& program, const std::vector<std::string>& args, const BatchFolder& folder,
                           const std::string& input) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.path().c_str());
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, folder.logFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    int status = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    if (spawned == 0) ::waitpid(pid, &status, 0);
    const Clock::time_point end = Clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) fail("cannot start " + program + ": " + std::strerror(spawned));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail(program + " failed (status " + std::to_string(status) + "): " + readAll(folder.logFile()));
    return end - start;
}

// ---------------------------------------------------------------------------
// Norvane.

class DoneSink final : public MessageSink {
public:
    void show(const std::string& message) override {
        if (message == "Done!") ++done;
    }
    int done = 0;
};

Clock::duration runEngine(const BatchFolder& folder, Journal* journal) {
    FileList files; // listed before the click, as the window's list is
    files.setPath(folder.path());
    if (files.count() != folder.size()) fail("the engine lists " + std::to_string(files.count()) + " files");
    DoneSink sink;
    std::size_t reports = 0;
    std::optional<RenameFailure> failure;
    const Clock::duration taken = timed([&] {
        RenameRun run(Rule::ExtensionName, files, RuleTexts{"", "bak"}, sink);
        run.setJournal(journal);
        run.setProgress([&](const BatchProgress&) {
            ++reports;
            return true;
        });
        failure = run.Run();
    });
    if (failure) fail("the engine's run: " + ("failure of kind " + std::to_string(static_cast<int>(failure->kind)) + " at \"" + failure->name + "\""));
    if (sink.done != 1) fail("the engine's run did not say \"Done!\" once");
    if (reports == 0) fail("the engine's run reported no progress");
    if (files.count() != folder.size() || files.name(0) != folder.pairs().front().to)
        fail("the engine's list does not show the new names");
    return taken;
}

#ifdef NORVANE_PEERS_WINDOW

class WindowTurn {
public:
    WindowTurn() {
        window_.show();
        replace_ = window_.findChild<QLineEdit*>(QStringLiteral("Txt_replace"));
        change_ = window_.findChild<QPushButton*>(QStringLiteral("Command2"));
        if (replace_ == nullptr || change_ == nullptr) fail("the window has no Txt_replace or Command2");
        if (change_->text() != QStringLiteral("Change Extention")) fail("Command2 is not \"Change Extention\"");
    }

    Clock::duration run(const BatchFolder& folder) {
        // The folder opened afresh, so the list shows its ".txt" names.
        window_.openFolder(folder.base());
        window_.openFolder(folder.path());
        replace_->setText(QStringLiteral("bak"));
        QApplication::processEvents();
        if (window_.fileList().count() != folder.size()) fail("the window lists the wrong count");

        BoxWatcher watcher;
        const Clock::time_point clicked = Clock::now();
        change_->click(); // returns once the box is closed
        if (!watcher.shownAt) fail("the window showed no box");
        if (watcher.text != QStringLiteral("Done!")) fail("the window said: " + watcher.text.toStdString());
        if (window_.fileList().count() != folder.size() || window_.fileList().name(0) != folder.pairs().front().to)
            fail("the window's list does not show the new names");
        return *watcher.shownAt - clicked;
    }

private:
    Form1 window_;
    QLineEdit* replace_ = nullptr;
    QPushButton* change_ = nullptr;
};

#endif

// ---------------------------------------------------------------------------
// Taking turns and reporting.

struct Contender {
    enum class Kind { Bare, Loop, Engine, EngineWithJournal, Window, Peer };
    Kind kind;
    std::string name; // for --only
    std::string label;
    std::string note;
    std::function<Clock::duration(const BatchFolder&)> run;
    bool skipped = false;
};


// By label, then size; Norvane's labels start with "Norvane".
using Medians = std::map<std::string, std::map<std::size_t, double>>;

std::string verdict(bool met) { return met ? "met" : "MISSED"; }

// Whether the folder is in memory (tmpfs), where the window's target is wider.
bool inMemory(const std::string& folder) {
    struct statfs about {};
    constexpr long tmpfsMagic = 0x01021994;
    return ::statfs(folder.c_str(), &about) == 0 && static_cast<long>(about.f_type) == tmpfsMagic;
}

void measure(std::size_t size, int repeats, std::vector<Contender>& contenders, Medians& medians) {
    std::printf("\n%zu files \"f%0*d.txt\"... renamed to \".bak\" (median of %d; spread fastest-slowest; load %s)\n", size,
                digitsFor(size), 0, repeats, machineLoad().c_str());
    std::fflush(stdout);
    const BatchFolder folder(size);
    std::vector<Samples> samples(contenders.size());
    for (int r = 0; r < repeats; ++r) {
        // Each repetition starts with another contender, so drift spreads over all.
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const std::size_t c = (k + static_cast<std::size_t>(r)) % contenders.size();
            if (contenders[c].skipped) continue;
            samples[c].add(contenders[c].run(folder));
            folder.putBack(contenders[c].label);
        }
    }

    const double bare = samples[0].median();
    double engine = 0, engineWithJournal = 0, window = 0, lookingBehind = 0;
    std::vector<std::pair<std::string, double>> peers;
    for (std::size_t c = 0; c < contenders.size(); ++c) {
        const Contender& contender = contenders[c];
        if (contender.skipped) {
            std::printf("  %-36s skipped: %s\n", contender.label.c_str(), contender.note.c_str());
            continue;
        }
        const double median = samples[c].median();
        medians[contender.label][size] = median;
        std::string target;
        if (contender.kind == Contender::Kind::Engine) {
            engine = median;
            if (size >= kTargetFrom) target = "<= 1.10 " + verdict(median / bare <= kEngineRatioTarget);
        } else if (contender.kind == Contender::Kind::EngineWithJournal) {
            engineWithJournal = median;
        } else if (contender.kind == Contender::Kind::Window) {
            window = median;
            const double windowTarget = inMemory(folder.path()) ? kWindowRatioTargetInMemory : kWindowRatioTarget;
            char limit[16];
            std::snprintf(limit, sizeof limit, "<= %.2f ", windowTarget);
            if (size >= kTargetFrom) target = limit + verdict(median / bare <= windowTarget);
        } else if (contender.kind == Contender::Kind::Peer) {
            peers.emplace_back(contender.label, median);
        } else if (contender.name == "behind") {
            lookingBehind = median;
        }
        std::printf("  %-36s %10s  ratio %5.2f  %-11s (%s-%s)\n", contender.label.c_str(), milliseconds(median).c_str(),
                    median / bare, target.c_str(), milliseconds(samples[c].fastest()).c_str(),
                    milliseconds(samples[c].slowest()).c_str());
    }
    if (engine > 0 && window > 0)
        std::printf("  window / engine: %.3f  (target <= %.2f) %s\n", window / engine, kWindowToEngineTarget,
                    verdict(window / engine <= kWindowToEngineTarget).c_str());
    if (engineWithJournal > 0 && window > 0)
        std::printf("  window / engine with its journal (the window's own share): %.3f\n", window / engineWithJournal);
    if (window > 0 && lookingBehind > 0)
        std::printf("  window / the loop looking on a second thread (beyond what the looks cost the system): %.3f\n",
                    window / lookingBehind);
    if (engine > 0 && engineWithJournal > 0)
        std::printf("  engine with its journal / engine without: %.3f\n", engineWithJournal / engine);
    if (window > 0 && !peers.empty()) {
        const auto best = std::min_element(peers.begin(), peers.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        std::printf("  Norvane's window beside the faster renamer (%s): %.2f of its time  (target <= %.2f) %s\n",
                    best->first.c_str(), window / best->second, kToBestPeerTarget,
                    verdict(window / best->second <= kToBestPeerTarget).c_str());
    }
    std::printf("  load at the end of this size: %s\n", machineLoad().c_str());
    for (const auto& [label, median] : peers) {
        const auto ahead = [&](const char* who, double norvane) {
            if (norvane > 0)
                std::printf("  Norvane's %s ahead of %s: %.2f of its time  %s\n", who, label.c_str(), norvane / median,
                            verdict(norvane < median).c_str());
        };
        ahead("engine", engine);
        ahead("window", window);
    }
    std::fflush(stdout);
}

void printGrowth(const Medians& medians) {
    bool header = false;
    for (const auto& [label, bySize] : medians) {
        const auto small = bySize.find(kTargetFrom), large = bySize.find(kLargeSize);
        if (small == bySize.end() || large == bySize.end()) continue;
        if (!header) std::printf("\ngrowth from 100,000 to 1,000,000 files (target <= %.0fx for Norvane's):\n", kGrowthTarget);
        header = true;
        const double growth = large->second / small->second;
        const bool norvanes = label.rfind("Norvane", 0) == 0;
        std::printf("  %-36s %5.1fx  %s\n", label.c_str(), growth, norvanes ? verdict(growth <= kGrowthTarget).c_str() : "");
    }
}

// The bare loop at the folder descriptor comes first: every ratio is to it.
std::vector<Contender> contenders([[maybe_unused]] void* window) {
    using Kind = Contender::Kind;
    std::vector<Contender> all;
    all.push_back({Kind::Bare, "bare", "bare loop, renameat2 at the folder fd", "",
                   [](const BatchFolder& f) { return timed([&] { bareRenamesAt(f.path(), f.pairs()); }); }});
    all.push_back({Kind::Loop, "paths", "bare loop, renameat2 over full paths", "",
                   [](const BatchFolder& f) { return timed([&] { bareRenames(f.path(), f.pairs()); }); }});
    all.push_back({Kind::Loop, "look", "bare loop and a statx a file", "",
                   [](const BatchFolder& f) { return timed([&] { bareRenamesAtAndLook(f.path(), f.pairs()); }); }});
    all.push_back({Kind::Loop, "behind", "bare loop, statx behind, 2nd thread", "",
                   [](const BatchFolder& f) { return timed([&] { bareRenamesAtLookingBehind(f.path(), f.pairs()); }); }});
    all.push_back({Kind::Engine, "engine", "Norvane engine, progress on", "", [](const BatchFolder& f) { return runEngine(f, nullptr); }});
    all.push_back({Kind::EngineWithJournal, "journal", "Norvane engine with its journal", "", [](const BatchFolder& f) {
                       // Beside the folder, as the window's is; the oldest batches go as the journal keeps its bounds.
                       Journal journal(f.base() + "/journal");
                       return runEngine(f, &journal);
                   }});
#ifdef NORVANE_PEERS_WINDOW
    auto* turn = static_cast<WindowTurn*>(window);
    all.push_back({Kind::Window, "window", "Norvane window, click to \"Done!\"", "", [turn](const BatchFolder& f) { return turn->run(f); }});
#endif
    if (const auto program = findProgram("file-rename")) {
        all.push_back({Kind::Peer, "file-rename", "file-rename -0 (Debian's rename)", versionOf(*program), [program](const BatchFolder& f) {
                           return runProcess(*program, {"-0", "s/\\.txt\\z/.bak/"}, f, f.namesFile());
                       }});
    } else {
        all.push_back({Kind::Peer, "file-rename", "file-rename -0 (Debian's rename)", "not installed (Debian package rename)", {}, true});
    }
    if (const auto program = findProgram("mmv")) {
        all.push_back({Kind::Peer, "mmv", "mmv '*.txt' '#1.bak'", versionOf(*program), [program](const BatchFolder& f) {
                           return runProcess(*program, {"*.txt", "#1.bak"}, f, "/dev/null");
                       }});
    } else {
        all.push_back({Kind::Peer, "mmv", "mmv '*.txt' '#1.bak'", "not installed (Debian package mmv)", {}, true});
    }
    return all;
}

int run(int argc, char** argv) {
    // At 1,000,000 files one turn takes many seconds.
    const Options options =
        parseOptions(argc, argv, {.sizes = {10000, 100000, 1000000}, .largeRepeats = 3}, "norvane_peers_bench");
#ifdef NORVANE_PEERS_WINDOW
    WindowTurn window; // gone before the application object
    std::vector<Contender> all = contenders(&window);
#else
    std::vector<Contender> all = contenders(nullptr);
#endif
    for (std::size_t c = 1; c < all.size(); ++c)
        if (!options.wanted(all[c].name) && !all[c].skipped) {
            all[c].skipped = true;
            all[c].note = "not asked for (--only)";
        }
    std::printf("Norvane beside other renamers: %u cores, folders under %s, times from start to finish of the whole batch;\n"
                "every ratio is to the bare renameat2 loop at the folder descriptor\n",
                std::thread::hardware_concurrency(), std::filesystem::temp_directory_path().string().c_str());
    for (const Contender& contender : all)
        if (!contender.skipped && !contender.note.empty()) std::printf("  %s: %s\n", contender.label.c_str(), contender.note.c_str());
    Medians medians;
    for (const std::size_t size : options.sizes) measure(size, options.repeatsAt(size), all, medians);
    printGrowth(medians);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // As the program does: freed memory is kept for the next batch.
    norvane::platform::keepFreedMemoryForBatches();
#ifdef NORVANE_PEERS_WINDOW
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window writes every batch down as the program does, beside the sample folders, never in the user's journal.
    QTemporaryDir state(QDir::tempPath() + QStringLiteral("/norvane-bench-state-XXXXXX"));
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    // The offscreen platform's notes on every window shown would bury the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication application(argc, argv);
#endif
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "norvane_peers_bench: %s\n", e.what());
        return 1;
    }
}
