// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window at 1,000, 10,000 and 100,000 files, in the same process as its baselines:
//  - opening a folder in Dir1 until File1 has painted it, beside the engine's own
//    listing of that folder (the tree's and the file list's, as the window asks for them);
//    the difference is the window's own work;
//  - scrolling File1 from top to bottom a page at a time, beside the same view over
//    Qt's own string list model holding the same names;
//  - the tooltip of "Repalce" (Find "_", replace " ", which would rename every file),
//    from the moment it is asked for until it is shown, beside the engine's listing:
//    the preview plans and checks the whole batch, reading the folder once.
//
//  - start-up: the program's window made over a folder of 100,000 and of
//    1,000,000 files, with a journal holding ten batches of 100,000 files, in a
//    process of its own, from its start until the window is shown, its list
//    filled and painted and the journal read (Ctrl+Z offered);
//  - at 1,000,000 files, in a process of its own, the peak resident memory of
//    the preview (the tooltip of "Repalce"), of the batch ("Change Extention",
//    click to "Done!") and of its undo (Ctrl+Z), each phase's peak on its own,
//    with the batch's and the undo's times.
//
//   norvane_window_bench             every size, 5 repetitions
//   norvane_window_bench --smoke     1,000 files once, start-up and memory at 1,000 files
//   norvane_window_bench [--sizes N,N] [--repeat N] [--start-up-sizes N,N] [--memory-size N]
//                        (a size of 0, or "none", leaves that measurement out)
//
// Runs without a display (QT_QPA_PLATFORM=offscreen unless set otherwise).

#include "form1.h"

#include "norvane/platform.h"
#include "norvane/file_list.h"
#include "norvane/folder_list.h"
#include "norvane/session.h"
#include "norvane_bench/box_watcher.h"
#include "norvane_bench/peak_memory.h"
#include "norvane_bench/sample_folder.h"
#include "norvane_bench/samples.h"

#include <QDir>
#include <QTemporaryDir>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QToolTip>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace norvane;
using namespace norvane::bench;

constexpr std::size_t kTargetSize = 100000;
constexpr double kOwnWorkTargetSeconds = 0.5;
constexpr double kTooltipTargetSeconds = 0.3;
constexpr std::size_t kLargeSize = 1000000;
constexpr double kStartUpTargetSeconds = 0.25;      // 100,000 files
constexpr double kLargeStartUpTargetSeconds = 1.5;  // 1,000,000 files
constexpr int kJournalBatches = 10;                 // the journal at start-up: ten batches...
constexpr std::size_t kJournalBatchFiles = 100000;  // ...of 100,000 files each
constexpr double kPeakMemoryTargetMiB = 300.0;      // each of preview, batch and undo at 1,000,000 files

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

// Paints a list view page by page from the top row to the bottom one.
void scrollToBottom(QListView& view) {
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(0);
    view.repaint();
    while (bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + bar->pageStep());
        view.repaint();
    }
}

// Asks `button` for its tooltip as resting the pointer on it does; returns once it shows.
void askForTooltip(QPushButton& button) {
    QToolTip::hideText();
    const QPoint middle = button.rect().center();
    QHelpEvent event(QEvent::ToolTip, middle, button.mapToGlobal(middle));
    QApplication::sendEvent(&button, &event);
}

template <typename T>
T& child(QWidget& parent, const char* name) {
    auto* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) throw std::runtime_error(std::string(name) + " not found");
    return *found;
}

struct Figures {
    Samples engine, window, ownWork, scroll, scrollBaseline, tooltip;
};

void measure(std::size_t size, int repeats) {
    const SampleFolder sample(NameMix::Mixed, size);
    const std::string elsewhere = std::filesystem::temp_directory_path().string();

    Form1 window;
    window.show();
    auto* file1 = &child<QListView>(window, "File1");
    auto& replaceButton = child<QPushButton>(window, "CmdChange");
    child<QLineEdit>(window, "txt_find").setText(QStringLiteral("_"));
    child<QLineEdit>(window, "Txt_replace").setText(QStringLiteral(" "));
    const QString everyFileRenamed = QStringLiteral("Would rename %1 files").arg(QLocale().toString(static_cast<qulonglong>(size)));

    QListView plain;
    plain.setUniformItemSizes(true);
    plain.setGeometry(file1->geometry());
    plain.show();

    Figures figures;
    for (int repeat = 0; repeat < repeats; ++repeat) {
        const Clock::duration engine = timed([&] {
            FolderList folders;
            FileList files;
            folders.onChange([&](const std::string& path) { files.setPath(path); });
            folders.setPath(sample.path());
            if (files.count() != size) throw std::runtime_error("the engine listed the wrong count");
        });

        window.openFolder(elsewhere);
        QApplication::processEvents();
        const Clock::duration opened = timed([&] {
            window.openFolder(sample.path());
            QApplication::processEvents(); // the view's delayed layout
            window.repaint();
        });
        if (file1->model()->rowCount() != static_cast<int>(size)) throw std::runtime_error("File1 shows the wrong count");

        figures.engine.add(engine);
        figures.window.add(opened);
        figures.ownWork.add(opened - engine);
        figures.scroll.add(timed([&] { scrollToBottom(*file1); }));
        figures.tooltip.add(timed([&] { askForTooltip(replaceButton); }));
        if (!QToolTip::text().contains(everyFileRenamed)) throw std::runtime_error("the tooltip says something else");

        QStringList names;
        names.reserve(static_cast<qsizetype>(size));
        for (const std::string& name : window.fileList().names()) names.append(QFile::decodeName(QByteArray::fromStdString(name)));
        QStringListModel model(names);
        plain.setModel(&model);
        QApplication::processEvents();
        figures.scrollBaseline.add(timed([&] { scrollToBottom(plain); }));
        plain.setModel(nullptr);
    }

    std::printf("%-22s %7zu files  project %10s  baseline %10s  ratio %5.2f  (the engine's listing; spread %s-%s)\n",
                "open folder in Dir1", size, milliseconds(figures.window.median()).c_str(),
                milliseconds(figures.engine.median()).c_str(), figures.window.median() / figures.engine.median(),
                milliseconds(figures.window.fastest()).c_str(), milliseconds(figures.window.slowest()).c_str());
    const double own = figures.ownWork.median();
    // The window lists through the same engine calls, so its own work is the
    // difference of two noisy figures and can come out below zero.
    std::printf("%-22s %7zu files  window's own work %s%s", "  of which the window", size, milliseconds(own).c_str(),
                own < 0 ? " (within the timing noise)" : "");
    if (size == kTargetSize)
        std::printf("  < %.1f s %s", kOwnWorkTargetSeconds, own < kOwnWorkTargetSeconds ? "met" : "MISSED");
    std::printf("\n");
    std::printf("%-22s %7zu files  project %10s  baseline %10s  ratio %5.2f  (the same view over a QStringListModel)\n",
                "scroll File1 to bottom", size, milliseconds(figures.scroll.median()).c_str(),
                milliseconds(figures.scrollBaseline.median()).c_str(),
                figures.scroll.median() / figures.scrollBaseline.median());
    const double tooltip = figures.tooltip.median();
    std::printf("%-22s %7zu files  project %10s  baseline %10s  ratio %5.2f  (the engine's listing; load %s)",
                "tooltip of \"Repalce\"", size, milliseconds(tooltip).c_str(), milliseconds(figures.engine.median()).c_str(),
                tooltip / figures.engine.median(), machineLoad().c_str());
    if (size == kTargetSize)
        std::printf("  < %.1f s %s", kTooltipTargetSeconds, tooltip < kTooltipTargetSeconds ? "met" : "MISSED");
    std::printf("\n");
}

// ---------------------------------------------------------------------------
// Start-up and peak memory, each in a process of its own: this program again.

// Until the events queued so far are handled: the window's start queues the
// reading of the journal, which is then done.
void handleQueuedEvents(QWidget& window) {
    bool reached = false;
    QMetaObject::invokeMethod(&window, [&reached] { reached = true; }, Qt::QueuedConnection);
    while (!reached) QApplication::processEvents();
}

std::int64_t nanoseconds(Clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

// The child's side: the window as main() makes it over `folder`, shown; it
// prints the moments it was shown and was ready, on the clock every process
// of the machine shares.
int startUpChild(const std::string& folder, std::size_t size) {
    Form1 window(folder);
    window.show();
    window.repaint();
    const Clock::time_point shown = Clock::now();
    handleQueuedEvents(window); // the view's delayed layout, and the journal
    window.repaint();
    const Clock::time_point ready = Clock::now();
    const auto* file1 = &child<QListView>(window, "File1");
    if (file1->model()->rowCount() != static_cast<int>(size)) fail("File1 shows the wrong count");
    if (!file1->indexAt(QPoint(2, 2)).isValid()) fail("File1 painted no row");
    const auto* undo = window.findChild<QAction*>(QStringLiteral("undoRename"));
    if (undo == nullptr || !undo->isEnabled()) fail("Ctrl+Z is not offered: the journal was not read");
    std::printf("%lld %lld\n", static_cast<long long>(nanoseconds(shown)), static_cast<long long>(nanoseconds(ready)));
    return 0;
}

// Runs this program again with `args` and its XDG_STATE_HOME at `state`;
// what it prints, or its failure.
std::string runChild(const std::vector<std::string>& args, const std::string& state, Clock::time_point* started = nullptr) {
    std::fflush(stdout);
    int out[2];
    if (::pipe(out) != 0) fail("cannot make a pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "XDG_STATE_HOME=", 15) != 0) environment.emplace_back(*e);
    environment.push_back("XDG_STATE_HOME=" + state);
    std::vector<char*> envp, argv{const_cast<char*>("norvane_window_bench")};
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (started) *started = Clock::now();
    const int error = ::posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (error != 0) {
        ::close(out[0]);
        fail("cannot start a process of its own: " + std::string(std::strerror(error)));
    }
    std::string printed;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(out[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0) printed.append(buffer, static_cast<std::size_t>(got));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail("the process of its own failed: " + printed);
    return printed;
}

void measureStartUp(std::size_t size, int repeats, bool smoke) {
    const std::size_t journalFiles = smoke ? size : kJournalBatchFiles;
    QTemporaryDir state(QDir::tempPath() + QStringLiteral("/norvane-bench-start-XXXXXX"));
    const std::string statePath = state.path().toStdString();
    const SampleFolder sample(NameMix::Mixed, size);
    // Ten batches over a folder of their own, each renaming every file: the
    // folder back and forth between two extensions.
    const SampleFolder journalFolder(NameMix::Mixed, journalFiles);
    const std::uintmax_t journalBytes = [&] {
        norvane::Session session(norvane::platform::nativeFileSystem(), statePath + "/norvane");
        session.openFolder(journalFolder.path());
        struct Quiet final : norvane::MessageSink {
            void show(const std::string&) override {}
        } sink;
        for (int batch = 0; batch < kJournalBatches; ++batch) {
            const norvane::Session::RunResult ran =
                session.run(norvane::Rule::ExtensionName, norvane::RuleTexts{"", batch % 2 == 0 ? "bak" : "txt"}, sink);
            if (ran.failure || ran.renamed != journalFiles) fail("a batch for the journal failed");
        }
        std::uintmax_t bytes = 0;
        for (const auto& entry : std::filesystem::directory_iterator(statePath + "/norvane/batches")) bytes += entry.file_size();
        return bytes;
    }();

    Samples shown, ready;
    for (int r = 0; r < repeats; ++r) {
        Clock::time_point started;
        const std::string printed = runChild({"--start-up-child", sample.path(), std::to_string(size)}, statePath, &started);
        long long shownAt = 0, readyAt = 0;
        if (std::sscanf(printed.c_str(), "%lld %lld", &shownAt, &readyAt) != 2) fail("the start-up's process said: " + printed);
        shown.add(std::chrono::nanoseconds(shownAt) - started.time_since_epoch());
        ready.add(std::chrono::nanoseconds(readyAt) - started.time_since_epoch());
    }
    std::printf("%-22s %7zu files  ready %10s  (shown %s; spread %s-%s; a journal of %d batches of %zu files, %.1f MB; load %s)",
                "start-up", size, milliseconds(ready.median()).c_str(), milliseconds(shown.median()).c_str(),
                milliseconds(ready.fastest()).c_str(), milliseconds(ready.slowest()).c_str(), kJournalBatches, journalFiles,
                static_cast<double>(journalBytes) / 1e6, machineLoad().c_str());
    const double target = size == kTargetSize ? kStartUpTargetSeconds : size == kLargeSize ? kLargeStartUpTargetSeconds : 0;
    if (target > 0 && !smoke) std::printf("  <= %.2f s %s", target, ready.median() <= target ? "met" : "MISSED");
    std::printf("\n");
    std::fflush(stdout);
}

double mib(std::size_t kib) { return static_cast<double>(kib) / 1024; }

// The child's side: preview, batch and undo in the window over `folder`, the
// peak of each phase alone; the folder ends with the names it had.
int memoryChild(const std::string& folder, std::size_t size) {
    const std::size_t atStart = residentKiB();
    Form1 window(folder);
    window.show();
    handleQueuedEvents(window);
    const std::size_t shownKiB = residentKiB();
    const bool eachPhase = restartPeak();

    child<QLineEdit>(window, "txt_find").setText(QStringLiteral("_"));
    child<QLineEdit>(window, "Txt_replace").setText(QStringLiteral(" "));
    askForTooltip(child<QPushButton>(window, "CmdChange"));
    if (!QToolTip::text().contains(QStringLiteral("Would rename %1 files").arg(QLocale().toString(static_cast<qulonglong>(size))))) fail("the tooltip says something else");
    QToolTip::hideText();
    const std::size_t previewKiB = peakResidentKiB();

    restartPeak();
    child<QLineEdit>(window, "Txt_replace").setText(QStringLiteral("bak"));
    QApplication::processEvents();
    Clock::duration batchTime{};
    {
        BoxWatcher watcher;
        const Clock::time_point clicked = Clock::now();
        child<QPushButton>(window, "Command2").click();
        if (!watcher.shownAt || watcher.text != QStringLiteral("Done!")) fail("the batch said: " + watcher.text.toStdString());
        batchTime = *watcher.shownAt - clicked;
    }
    if (window.fileList().count() != size) fail("the list lost files in the batch");
    const std::size_t batchKiB = peakResidentKiB();

    restartPeak();
    Clock::duration undoTime{};
    {
        auto* undo = window.findChild<QAction*>(QStringLiteral("undoRename"));
        if (undo == nullptr || !undo->isEnabled()) fail("Ctrl+Z is not offered after the batch");
        BoxWatcher watcher;
        const Clock::time_point pressed = Clock::now();
        undo->trigger(); // returns once its box is closed
        undoTime = (watcher.shownAt ? *watcher.shownAt : Clock::now()) - pressed;
        if (watcher.text.contains(QStringLiteral("not put back")) || watcher.text.contains(QStringLiteral("No file")))
            fail("the undo said: " + watcher.text.toStdString());
    }
    if (window.fileList().count() != size) fail("the list lost files in the undo");
    const std::size_t undoKiB = peakResidentKiB();

    std::printf("peak memory            %7zu files  preview %.1f MiB, batch %.1f MiB, undo %.1f MiB%s", size, mib(previewKiB),
                mib(batchKiB), mib(undoKiB), eachPhase ? "" : " (each the process's peak so far: the system cannot restart it)");
    const double largest = mib(std::max({previewKiB, batchKiB, undoKiB}));
    if (size == kLargeSize) std::printf("  < %.0f MiB %s", kPeakMemoryTargetMiB, largest < kPeakMemoryTargetMiB ? "met" : "MISSED");
    std::printf("\n                                     (%.1f MiB at the process's start, %.1f MiB with the window shown; load %s)\n",
                mib(atStart), mib(shownKiB), machineLoad().c_str());
    const double batchSeconds = std::chrono::duration<double>(batchTime).count();
    const double undoSeconds = std::chrono::duration<double>(undoTime).count();
    std::printf("undo / batch, window   %7zu files  undo %s, batch %s (click to \"Done!\"), ratio %.2f, one turn\n", size,
                milliseconds(undoSeconds).c_str(), milliseconds(batchSeconds).c_str(), undoSeconds / batchSeconds);
    return 0;
}

void measureMemory(std::size_t size) {
    const SampleFolder sample(NameMix::Mixed, size);
    QTemporaryDir state(QDir::tempPath() + QStringLiteral("/norvane-bench-memory-XXXXXX"));
    std::fputs(runChild({"--memory-child", sample.path(), std::to_string(size)}, state.path().toStdString()).c_str(), stdout);
    if (!sample.holdsItsOwnNames()) fail("the undo did not give every file its name back");
    std::fflush(stdout);
}

std::vector<std::size_t> sizesOf(const std::string& text) {
    std::vector<std::size_t> sizes;
    if (text == "none") return sizes;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::size_t size = std::stoul(text.substr(from, comma - from));
        if (size > 0) sizes.push_back(size);
        from = comma + 1;
    }
    return sizes;
}

struct WindowOptions {
    bool smoke = false;
    std::vector<std::size_t> sizes{1000, 10000, 100000};
    int repeats = 5;
    std::vector<std::size_t> startUpSizes{kTargetSize, kLargeSize};
    std::vector<std::size_t> memorySizes{kLargeSize};
};

WindowOptions parseWindowOptions(const std::vector<std::string>& args) {
    WindowOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool valued = i + 1 < args.size();
        if (arg == "--smoke") {
            options.smoke = true;
            options.sizes = options.startUpSizes = options.memorySizes = {1000};
            options.repeats = 1;
        } else if (arg == "--sizes" && valued) {
            options.sizes = sizesOf(args[++i]);
        } else if (arg == "--repeat" && valued) {
            options.repeats = std::max(1, std::stoi(args[++i]));
        } else if (arg == "--start-up-sizes" && valued) {
            options.startUpSizes = sizesOf(args[++i]);
        } else if (arg == "--memory-size" && valued) {
            options.memorySizes = sizesOf(args[++i]);
        } else {
            fail("usage: norvane_window_bench [--smoke] [--sizes N,N,...] [--repeat N] [--start-up-sizes N,N,...] "
                 "[--memory-size N]");
        }
    }
    return options;
}

} // namespace

int main(int argc, char* argv[]) {
    // As the program does: freed memory is kept for the next batch.
    norvane::Session::prepareProcess();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool startUp = args.size() == 3 && args[0] == "--start-up-child";
    const bool memory = args.size() == 3 && args[0] == "--memory-child";
    // The window writes every batch down as the program does, beside the sample folders, never in the user's
    // journal; a process of its own is given its folder.
    std::optional<QTemporaryDir> state;
    if (!startUp && !memory) {
        state.emplace(QDir::tempPath() + QStringLiteral("/norvane-bench-state-XXXXXX"));
        qputenv("XDG_STATE_HOME", state->path().toLocal8Bit());
    }
    QApplication application(argc, argv);
    try {
        if (startUp) return startUpChild(args[1], std::stoul(args[2]));
        if (memory) return memoryChild(args[1], std::stoul(args[2]));
        const WindowOptions options = parseWindowOptions(args);
        std::printf("Norvane window benchmark: %u cores, platform %s, median of %d repetitions; load %s\n\n",
                    std::thread::hardware_concurrency(), qPrintable(QApplication::platformName()), options.repeats,
                    machineLoad().c_str());
        for (const std::size_t size : options.sizes) measure(size, options.repeats);
        for (const std::size_t size : options.startUpSizes) measureStartUp(size, options.repeats, options.smoke);
        for (const std::size_t size : options.memorySizes) measureMemory(size);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "norvane_window_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
