// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The ways back after a crash and across folders: the box at start, the file
// list's menu naming the folder.

#include "form1.h"
#include "undo_history.h"
#include "slowed_file_system.h"
#include "window_test_support.h"

#include "norvane/journal.h"
#include "norvane/rename_run.h"

#include <QAction>
#include <QFileInfo>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QTest>

#include <stdexcept>

using window_test::BoxAnswerer;
using window_test::TempFolder;

namespace {

struct Crash : std::runtime_error {
    Crash() : std::runtime_error("the process died here") {}
};

struct Silent : norvane::MessageSink {
    void show(const std::string&) override {}
};

// A batch of "Change Extention" to ".md" that dies before move `diesAt` (counted from 1), as a kill leaves it: no end in its journal.
void crashedBatch(const TempFolder& folder, int diesAt) {
    norvane::Journal journal(norvane::Journal::defaultFolder());
    journal.open(norvane::platform::nativeFileSystem());
    window_test::SlowedFileSystem dying;
    int moves = 0;
    dying.duringMove = [&] {
        if (++moves == diesAt) throw Crash();
    };
    norvane::FileList list(dying);
    list.setPath(folder.text());
    Silent sink;
    norvane::RenameRun run(norvane::Rule::ExtensionName, list, {"", "md"}, sink);
    run.setJournal(&journal);
    QVERIFY_THROWS_EXCEPTION(Crash, run.Run());
}

// A whole batch of "Change Extention" to `extension`, through the journal, as the window runs it.
void wholeBatch(const TempFolder& folder, const std::string& extension) {
    norvane::Journal journal(norvane::Journal::defaultFolder());
    journal.open(norvane::platform::nativeFileSystem());
    norvane::FileList list;
    list.setPath(folder.text());
    Silent sink;
    norvane::RenameRun run(norvane::Rule::ExtensionName, list, {"", extension}, sink);
    run.setJournal(&journal);
    QVERIFY(!run.Run().has_value());
}

void show(Form1& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

} // namespace

class WayBackTest : public QObject {
    Q_OBJECT

private slots:
    void theCrashBoxOffersTheWayBack_data();
    void theCrashBoxOffersTheWayBack();
    void theMenuNamesTheFolder();
    void theHistoryTakesBackAnOlderBatch();
};

void WayBackTest::theCrashBoxOffersTheWayBack_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter: put them back") << int(Qt::Key_Return);
    QTest::newRow("Escape: keep them, then Ctrl+Z in the list") << int(Qt::Key_Escape);
}

// The box after a crash names the ways that work, and each does.
void WayBackTest::theCrashBoxOffersTheWayBack() {
    QFETCH(int, key);
    TempFolder folder;
    const std::vector<std::string> files = {"a.txt", "b.txt", "c.txt", "d.txt"};
    folder.addFiles(files);
    crashedBatch(folder, 3);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(folder.names(), (std::set<std::string>{"a.md", "b.md", "c.txt", "d.txt"}));

    BoxAnswerer answerer;
    answerer.pressKey = Qt::Key(key);
    Form1 window(folder.text());
    show(window);
    if (QTest::currentTestFailed()) return;
    QTRY_VERIFY(!answerer.seen().empty() && QApplication::activeModalWidget() == nullptr);
    const window_test::SeenBox crash = answerer.seen().front();
    QCOMPARE(crash.buttons, 2);
    QCOMPARE(crash.defaultButton, QStringLiteral("Put Them Back"));
    QVERIFY2(crash.text.contains(QStringLiteral("2 of 4 files were renamed")), qPrintable(crash.text));
    for (const char* way : {"\"Put Them Back\"", "\"Undo Rename\" in the file list's menu", "Ctrl+Z in the file list"})
        QVERIFY2(crash.text.contains(QLatin1String(way)), qPrintable(crash.text));
    if (key == Qt::Key_Escape) {
        QCOMPARE(answerer.seen().size(), std::size_t{1});
        QCOMPARE(folder.names().count("a.md"), std::size_t{1}); // kept as they are
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QListView* file1 = window_test::child<QListView>(window, "File1");
        file1->setFocus();
        QTest::keyClick(file1, Qt::Key_Z, Qt::ControlModifier);
    }
    QCOMPARE(folder.names(), std::set<std::string>(files.begin(), files.end()));
    QCOMPARE(answerer.seen().size(), std::size_t{2});
    QCOMPARE(answerer.seen().back().text,
             QStringLiteral("All 2 files in \"%1\" got their names back.").arg(QString::fromStdString(folder.text())));
    QVERIFY(!window_test::child<QAction>(window, "undoRename")->isEnabled());
}

// The menu follows the journal when it opens: a batch another Norvane made meanwhile is offered, by its folder.
void WayBackTest::theMenuNamesTheFolder() {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    Form1 window(folder.text());
    show(window);
    if (QTest::currentTestFailed()) return;
    QAction* undo = window_test::child<QAction>(window, "undoRename");
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(undo->text(), QStringLiteral("Undo Rename"));
    wholeBatch(folder, "md");
    if (QTest::currentTestFailed()) return;

    QString shown, tip;
    QTimer::singleShot(100, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        shown = menu->actions().front()->text();
        tip = menu->actions().front()->toolTip();
        menu->close();
    });
    QListView* file1 = window_test::child<QListView>(window, "File1");
    QTest::keyClick(file1, Qt::Key_Menu);
    const QString name = QFileInfo(QString::fromStdString(folder.text())).fileName();
    QCOMPARE(shown, QStringLiteral("Undo Rename (1 file in %1)").arg(name));
    QCOMPARE(tip, QStringLiteral("Puts back the name of the 1 file \"Change Extention\" renamed in \"%1\".")
                      .arg(QString::fromStdString(folder.text())));
}

// Two batches in two folders: Ctrl+H lists both, the latest first and chosen; the older one goes back from there alone.
void WayBackTest::theHistoryTakesBackAnOlderBatch() {
    TempFolder older, latest;
    older.addFiles({"a.txt", "b.txt"});
    latest.addFiles({"c.txt"});
    wholeBatch(older, "md");
    wholeBatch(latest, "md");
    if (QTest::currentTestFailed()) return;
    Form1 window(latest.text());
    show(window);
    if (QTest::currentTestFailed()) return;
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);

    QStringList folders, files;
    int selected = -1;
    QTimer::singleShot(100, [&] {
        auto* history = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (history == nullptr || history->objectName() != QStringLiteral("undoHistory")) return;
        auto* view = history->findChild<QTreeView*>(QStringLiteral("batches"));
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            folders << view->model()->index(row, UndoHistoryModel::Folder).data().toString();
            files << view->model()->index(row, UndoHistoryModel::Files).data().toString();
        }
        selected = view->currentIndex().row();
        view->setCurrentIndex(view->model()->index(1, 0));
        history->findChild<QPushButton*>(QStringLiteral("takeBack"))->click();
    });
    BoxAnswerer answerer;
    QTest::keyClick(window_test::child<QListView>(window, "File1"), Qt::Key_H, Qt::ControlModifier);
    // The batches of the tests before follow, their folders gone.
    QCOMPARE(folders.mid(0, 2), QStringList({QString::fromStdString(latest.text()), QString::fromStdString(older.text())}));
    QCOMPARE(files.mid(0, 2), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
    QCOMPARE(selected, 0);
    QCOMPARE(older.names(), (std::set<std::string>{"a.txt", "b.txt"}));
    QCOMPARE(latest.names(), std::set<std::string>{"c.md"});
    QVERIFY(!answerer.seen().empty());
    QCOMPARE(answerer.seen().back().text,
             QStringLiteral("All 2 files in \"%1\" got their names back.").arg(QString::fromStdString(older.text())));
}

QTEST_MAIN(WayBackTest)
#include "way_back_test.moc"
