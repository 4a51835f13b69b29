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
//   norvane_window_bench             every size, 5 repetitions
//   norvane_window_bench --smoke     1,000 files once
//
// Runs without a display (QT_QPA_PLATFORM=offscreen unless set otherwise).

#include "form1.h"

#include "norvane/platform.h"
#include "norvane/file_list.h"
#include "norvane/folder_list.h"
#include "norvane_bench/sample_folder.h"
#include "norvane_bench/samples.h"

#include <QDir>
#include <QTemporaryDir>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QToolTip>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace norvane;
using namespace norvane::bench;

constexpr std::size_t kTargetSize = 100000;
constexpr double kOwnWorkTargetSeconds = 0.5;
constexpr double kTooltipTargetSeconds = 0.3;

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
    const QString everyFileRenamed = QStringLiteral("Would rename %1 files").arg(size);

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
    std::printf("%-22s %7zu files  project %10s  baseline %10s  ratio %5.2f  (the engine's listing)",
                "tooltip of \"Repalce\"", size, milliseconds(tooltip).c_str(), milliseconds(figures.engine.median()).c_str(),
                tooltip / figures.engine.median());
    if (size == kTargetSize)
        std::printf("  < %.1f s %s", kTooltipTargetSeconds, tooltip < kTooltipTargetSeconds ? "met" : "MISSED");
    std::printf("\n");
}

} // namespace

int main(int argc, char* argv[]) {
    // As the program does: freed memory is kept for the next batch.
    norvane::platform::keepFreedMemoryForBatches();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window writes every batch down as the program does, beside the sample folders, never in the user's journal.
    QTemporaryDir state(QDir::tempPath() + QStringLiteral("/norvane-bench-state-XXXXXX"));
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication application(argc, argv);
    const bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const std::vector<std::size_t> sizes = smoke ? std::vector<std::size_t>{1000} : std::vector<std::size_t>{1000, 10000, 100000};
    const int repeats = smoke ? 1 : 5;
    std::printf("Norvane window benchmark: %u cores, platform %s, median of %d repetitions\n\n",
                std::thread::hardware_concurrency(), qPrintable(QApplication::platformName()), repeats);
    try {
        for (const std::size_t size : sizes) measure(size, repeats);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "norvane_window_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
