// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window from the keyboard: the file list's menu keys, the preview that
// follows the focus onto a button, and the whole of a long name.

#include "focus_preview.h"
#include "form1.h"
#include "slowed_file_system.h"
#include "tooltip_text.h"
#include "window_test_support.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <future>

using window_test::BoxAnswerer;
using window_test::TempFolder;

namespace {

void tabTo(const char* name) {
    for (int step = 0; step < 10 && QApplication::focusWidget()->objectName() != QLatin1String(name); ++step)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void menuKeysOpenTheMenuWithUndoActive_data();
    void menuKeysOpenTheMenuWithUndoActive();
    void theFocusShowsAndDescribesThePreview();
    void tabNeverWaitsForAPreview();
    void aRowsTooltipHoldsTheWholeName();

private:
    static void showAt(Form1& window) {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

void KeyboardTest::menuKeysOpenTheMenuWithUndoActive_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
}

void KeyboardTest::menuKeysOpenTheMenuWithUndoActive() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    TempFolder folder;
    folder.addFiles({"a.txt"});
    Form1 window(folder.text());
    showAt(window);
    window_test::child<QLineEdit>(window, "Txt_replace")->setText(QStringLiteral("md"));
    {
        BoxAnswerer answerer;
        window_test::child<QPushButton>(window, "Command2")->click();
    }
    QCOMPARE(folder.names(), std::set<std::string>{"a.md"});
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // One Enter in the menu runs the item that was active when it opened.
    QAction* undo = window_test::child<QAction>(window, "undoRename");
    QAction* active = nullptr;
    QTimer::singleShot(100, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        active = menu->activeAction();
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QListView* file1 = window_test::child<QListView>(window, "File1");
    file1->setFocus();
    BoxAnswerer answerer;
    QTest::keyClick(file1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(active, undo);
    QCOMPARE(folder.names(), std::set<std::string>{"a.txt"});
}

void KeyboardTest::theFocusShowsAndDescribesThePreview() {
    TempFolder folder;
    folder.addFiles({"a_draft.txt", "b.txt"});
    Form1 window(folder.text());
    showAt(window);
    QTest::keyClicks(QApplication::focusWidget(), "_draft");
    QPushButton* repalce = window_test::child<QPushButton>(window, "CmdChange");
    const QString ownDescription = repalce->accessibleDescription();

    tabTo("CmdChange");
    QTRY_VERIFY(repalce->accessibleDescription().startsWith(QStringLiteral("Would rename 1 file")));
    QVERIFY2(repalce->accessibleDescription().contains(QStringLiteral("a_draft.txt -> a.txt")),
             qPrintable(repalce->accessibleDescription()));
    QVERIFY(QToolTip::isVisible());
    QVERIFY(withoutIsolates(QToolTip::text()).contains(QStringLiteral("a_draft.txt -&gt; a.txt")));

    QTest::keyClick(repalce, Qt::Key_Tab);
    QCOMPARE(repalce->accessibleDescription(), ownDescription);
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(folder.names(), (std::set<std::string>{"a_draft.txt", "b.txt"}));
}

void KeyboardTest::tabNeverWaitsForAPreview() {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    window_test::SlowedFileSystem disk;
    Form1 window(folder.text(), disk);
    showAt(window);
    QPushButton* repalce = window_test::child<QPushButton>(window, "CmdChange");
    const QString ownDescription = repalce->accessibleDescription();

    // The preview's looks at the disk are held until the focus has moved
    // on, as a slow disk at a million files would hold them; for at most 5
    // seconds, should the window wait for them.
    std::promise<void> tabbed;
    std::shared_future<void> movedOn = tabbed.get_future().share();
    disk.duringProbe = [movedOn] { movedOn.wait_for(std::chrono::seconds(5)); };
    tabTo("CmdChange");
    QElapsedTimer waited;
    waited.start();
    QTest::qWait(FocusPreview::restMs * 2);
    QTest::keyClick(repalce, Qt::Key_Tab);
    const qint64 took = waited.elapsed();
    tabbed.set_value();
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Dir1"));
    QVERIFY2(took < 3000, qPrintable(QString::number(took)));

    // What came back after the focus left is dropped.
    QTest::qWait(200);
    QCOMPARE(repalce->accessibleDescription(), ownDescription);
    QVERIFY(!QToolTip::isVisible());
}

void KeyboardTest::aRowsTooltipHoldsTheWholeName() {
    TempFolder folder;
    // '&' to escape, and a name Windows can hold too (no '<' or '>').
    const std::string name = "Ferienhaus Übersicht_draft & more, a name far wider than the list.txt";
    folder.addFiles({name});
    Form1 window(folder.text());
    QListView* file1 = window_test::child<QListView>(window, "File1");
    QCOMPARE(file1->model()->rowCount(), 1);
    const QString tooltip = file1->model()->index(0, 0).data(Qt::ToolTipRole).toString();
    QVERIFY2(tooltip.contains(QString::fromStdString(name).toHtmlEscaped()), qPrintable(tooltip));
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
