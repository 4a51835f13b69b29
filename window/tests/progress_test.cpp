// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A long batch shows a progress dialog, keeps the window painting, drops the
// window's input and stops on Escape; a short one shows nothing.

#include "form1.h"
#include "input_guard.h"
#include "progress_window.h"
#include "slowed_file_system.h"
#include "window_test_support.h"

#include "norvane/journal.h"
#include "norvane/platform.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <chrono>

using window_test::BoxAnswerer;
using window_test::TempFolder;

namespace {

// Notes every progress dialog that comes up.
struct DialogWatch : QObject {
    int shown = 0;
    DialogWatch() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(watched)) ++shown;
        return false;
    }
};

std::size_t countEnding(const std::set<std::string>& names, const std::string& end) {
    std::size_t n = 0;
    for (const std::string& name : names) n += name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
    return n;
}

} // namespace

class ProgressTest : public QObject {
    Q_OBJECT

private slots:
    void longBatchShowsProgressAndStopsOnEscape();
    void shortBatchShowsNoDialog();
    void aSlowCardShowsTheDialogAndHearsEscapeAtOnce();
    void textAndBarFromOneReport_data();
    void textAndBarFromOneReport();
    void closingTheWindowStopsTheBatchAndSettlesItsJournal();

private:
    static void prepare(Form1& window, const TempFolder& folder) {
        // The folder first: a window that never shows must still not act on the program's own folder.
        // A failure here ends only this helper; the caller stops on QTest::currentTestFailed().
        window.openFolder(folder.text());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QLineEdit*>(QStringLiteral("Txt_replace"))->setText(QStringLiteral("bak"));
    }
};

void ProgressTest::longBatchShowsProgressAndStopsOnEscape() {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i) names.push_back("f" + std::to_string(10000 + i) + ".txt");
    folder.addFiles(names);
    window_test::SlowedFileSystem system;
    Form1 window(system);
    prepare(window, folder);
    if (QTest::currentTestFailed()) return;
    QPushButton* button = window.findChild<QPushButton*>(QStringLiteral("Command2"));

    DialogWatch dialogs;
    int paints = 0;
    QTimer painter; // stands for the window's painting: it can only fire if events go on
    QObject::connect(&painter, &QTimer::timeout, [&] { ++paints; });
    painter.start(10);
    int moves = 0;
    int paintsWhileMoving = 0;
    system.delay = std::chrono::milliseconds(1);
    system.duringMove = [&] {
        ++moves;
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || moves < 800 || paintsWhileMoving > 0) return;
        paintsWhileMoving = paints;
        // A click on the window, then Escape in the dialog.
        const QPoint centre = button->rect().center();
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, centre, button->mapToGlobal(centre),
                                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre),
                                                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        QTest::keyClick(dialog, Qt::Key_Escape);
    };
    BoxAnswerer answerer;
    QTest::mouseClick(button, Qt::LeftButton);
    system.duringMove = {};

    QCOMPARE(dialogs.shown, 1);
    QVERIFY2(paintsWhileMoving >= 3, "the window's events went on during the batch");
    const std::size_t renamed = countEnding(folder.names(), ".bak");
    QVERIFY2(renamed > 0 && renamed < names.size(), qPrintable(QString::number(renamed)));
    QCOMPARE(renamed + countEnding(folder.names(), ".txt"), names.size()); // every file under one name
    QCOMPARE(answerer.seen().size(), std::size_t{1}); // no second run from the click
    const QString box = answerer.seen().front().text;
    QVERIFY2(box.startsWith(QStringLiteral("Cancelled: %1 files were renamed").arg(renamed)), qPrintable(box));
    QVERIFY2(box.endsWith(QStringLiteral("Ctrl+Z puts them back.")), qPrintable(box));

    // Ctrl+Z, cancelled midway too: the box counts what came back and what waits.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWidget* file1 = window.findChild<QWidget*>(QStringLiteral("File1"));
    file1->setFocus();
    int undoMoves = 0;
    system.duringMove = [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && ++undoMoves == 50) QTest::keyClick(dialog, Qt::Key_Escape);
    };
    QTest::keyClick(file1, Qt::Key_Z, Qt::ControlModifier);
    system.duringMove = {};
    const std::size_t back = countEnding(folder.names(), ".txt") - (names.size() - renamed);
    QVERIFY(back > 0 && back < renamed);
    const QString undone = answerer.seen().back().text;
    QVERIFY2(undone.startsWith(QStringLiteral("%1 of %2 files in \"%3\" got their names back.")
                                   .arg(back)
                                   .arg(renamed)
                                   .arg(QString::fromStdString(folder.text()))),
             qPrintable(undone));
    QVERIFY2(undone.endsWith(QStringLiteral("The undo was cancelled: %1 files were not put back yet; another undo takes them back.")
                                 .arg(renamed - back)),
             qPrintable(undone));

    system.delay = std::chrono::milliseconds(0);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(file1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(folder.names(), std::set<std::string>(names.begin(), names.end()));
}

void ProgressTest::shortBatchShowsNoDialog() {
    TempFolder folder;
    folder.addFiles({"a.txt", "b.txt"});
    Form1 window;
    prepare(window, folder);
    if (QTest::currentTestFailed()) return;
    DialogWatch dialogs;
    BoxAnswerer answerer;
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    QCOMPARE(folder.names(), (std::set<std::string>{"a.bak", "b.bak"}));
    QCOMPARE(dialogs.shown, 0);
}

// A slow move, as through FUSE on a memory card: the dialog is up within the
// first few files, not after the sixteenth, and Escape stops the batch at the
// next file, even after a click on the window took the keyboard from the dialog.
void ProgressTest::aSlowCardShowsTheDialogAndHearsEscapeAtOnce() {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 24; ++i) names.push_back("f" + std::to_string(100 + i) + ".txt");
    folder.addFiles(names);
    window_test::SlowedFileSystem system;
    Form1 window(system);
    prepare(window, folder);
    if (QTest::currentTestFailed()) return;
    system.delay = std::chrono::milliseconds(150);
    int moves = 0;
    int dialogAt = 0;
    system.duringMove = [&] {
        ++moves;
        if (dialogAt == 0 && qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()) != nullptr) {
            dialogAt = moves;
            // A click on the window: some desktops give it the keyboard.
            window.activateWindow();
        } else if (dialogAt > 0 && moves == dialogAt + 2) {
            // Escape, through the window system to whichever window has the keyboard now.
            QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Escape);
        }
    };
    BoxAnswerer answerer;
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    system.duringMove = {};
    QVERIFY2(dialogAt > 0 && dialogAt <= 8, qPrintable(QString::number(dialogAt)));
    const std::size_t renamed = countEnding(folder.names(), ".bak");
    QVERIFY2(renamed <= static_cast<std::size_t>(dialogAt) + 3, qPrintable(QStringLiteral("%1 after %2").arg(renamed).arg(dialogAt)));
}

void ProgressTest::textAndBarFromOneReport_data() {
    QTest::addColumn<qreal>("fontScale");
    QTest::newRow("the desktop's font") << 1.0;
    QTest::newRow("a font twice as large") << 2.0;
}

// The count in the text and the bar's share are one figure, and the text is
// never cut off, at any stage or font; Escape stops it wherever it is aimed.
void ProgressTest::textAndBarFromOneReport() {
    QFETCH(qreal, fontScale);
    const QFont desktop = QApplication::font();
    QFont font = desktop;
    font.setPointSizeF(font.pointSizeF() * fontScale);
    QApplication::setFont(font);
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const InputGuard guard(&window);
    ProgressWindow progress(&window, QStringLiteral("Renaming"));
    const norvane::ProgressCallback report = progress.callback();
    QTest::qSleep(600); // past the half second a short batch shows nothing in

    using Stage = norvane::BatchProgress::Stage;
    const struct {
        norvane::BatchProgress progress;
        QString text;
    } reports[] = {{{Stage::Checking, 523000, 1000000}, QStringLiteral("Checking 523,000 of 1,000,000 files before moving any")},
                   {{Stage::Moving, 78912, 200000}, QStringLiteral("Renaming 78,912 of 200,000 files")},
                   {{Stage::Checking, 0, 1}, QStringLiteral("Checking 0 of 1 file before moving any")},
                   {{Stage::Moving, 132000, 1000000}, QStringLiteral("Renaming 132,000 of 1,000,000 files")}};
    for (const auto& [sent, text] : reports) {
        QTest::qWait(60); // the dialog is drawn at most every 50 ms
        QVERIFY(report(sent));
        auto* dialog = window.findChild<QProgressDialog*>();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        const QLabel* label = dialog->findChild<QLabel*>();
        QCOMPARE(label->text(), text);
        QCOMPARE(static_cast<double>(dialog->value()) / dialog->maximum(), static_cast<double>(sent.done) / sent.total);
        const QRect room = label->contentsRect().translated(label->pos());
        QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= room.width() && dialog->rect().contains(room),
                 qPrintable(QStringLiteral("%1 in %2 px").arg(text).arg(room.width())));
    }
    // Through the window system, as a key pressed while the desktop gives the
    // window the keyboard: Qt drops a blocked window's keys but asks it for shortcuts.
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    QVERIFY(!report({Stage::Moving, 132001, 1000000}));
    progress.close();
    QApplication::setFont(desktop);
}

// Closed while a batch works, as at the end of a session: the batch stops
// between two moves, no box comes, the window closes, and the journal knows
// how far the batch got, so a later start has nothing to settle.
void ProgressTest::closingTheWindowStopsTheBatchAndSettlesItsJournal() {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back("f" + std::to_string(1000 + i) + ".txt");
    folder.addFiles(names);
    window_test::SlowedFileSystem system;
    Form1 window(system);
    prepare(window, folder);
    system.delay = std::chrono::milliseconds(1);
    int moves = 0;
    system.duringMove = [&] {
        if (++moves == 50) window.close();
    };
    BoxAnswerer answerer;
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    system.duringMove = {};
    QTRY_VERIFY(!window.isVisible());
    norvane::platform::testing::forgetEnding();

    QVERIFY(answerer.seen().empty());
    const std::size_t renamed = countEnding(folder.names(), ".bak");
    QVERIFY2(renamed >= 50 && renamed < names.size(), qPrintable(QString::number(renamed))); // stopped at its next report
    QCOMPARE(renamed + countEnding(folder.names(), ".txt"), names.size());
    norvane::Journal journal(norvane::Journal::defaultFolder());
    QVERIFY(journal.open(norvane::platform::nativeFileSystem()).interrupted.empty());
    QCOMPARE(journal.latest(norvane::platform::nativeFileSystem())->files, std::uint64_t{renamed});
}

QTEST_MAIN(ProgressTest)
#include "progress_test.moc"
