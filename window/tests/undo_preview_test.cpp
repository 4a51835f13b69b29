// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Taking a batch back with Ctrl+Z or File1's context menu, and the tooltip that
// tells what a button would do.

#include "form1.h"
#include "window_test_support.h"

#include <QAction>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

using window_test::BoxAnswerer;
using window_test::TempFolder;

using Names = std::vector<std::string>;
Q_DECLARE_METATYPE(Names)

class UndoPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void ctrlZPutsTheBatchBack_data();
    void ctrlZPutsTheBatchBack();
    void ctrlZInATextFieldUndoesTypingOnly();
    void tooltipTellsWhatTheButtonWouldDo();

private:
    static void prepare(Form1& window, const TempFolder& folder, const QString& find, const QString& replace) {
        // The folder first: a window that never shows must still not act on the program's own folder.
        // A failure here ends only this helper; the caller stops on QTest::currentTestFailed().
        window.openFolder(folder.text());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window_test::child<QLineEdit>(window, "txt_find")->setText(find);
        window_test::child<QLineEdit>(window, "Txt_replace")->setText(replace);
    }
};

void UndoPreviewTest::ctrlZPutsTheBatchBack_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<Names>("files");
    QTest::newRow("Repalce") << "CmdChange" << "b" << Names{"a1.txt", "a2.txt"};
    QTest::newRow("Change File Name") << "Command1" << "" << Names{"002.txt", "b.txt", "c.txt"}; // a chain
    QTest::newRow("Change Extention") << "Command2" << "md" << Names{"a.txt", "b.txt"};
    QTest::newRow("Remove Hider") << "CmdRemoveExt" << "" << Names{"1.a.mp3", "2.b.mp3"};
}

void UndoPreviewTest::ctrlZPutsTheBatchBack() {
    QFETCH(QString, button);
    QFETCH(QString, replace);
    QFETCH(Names, files);
    TempFolder folder;
    folder.addFiles(files);
    Form1 window;
    prepare(window, folder, QStringLiteral("a"), replace);
    if (QTest::currentTestFailed()) return;
    QAction* undo = window_test::child<QAction>(window, "undoRename");
    QVERIFY(!undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("Undo Rename"));

    BoxAnswerer answerer;
    QTest::mouseClick(window_test::child<QPushButton>(window, button.toLatin1().constData()), Qt::LeftButton);
    QVERIFY(folder.names() != std::set<std::string>(files.begin(), files.end()));
    QVERIFY(undo->isEnabled());
    const QString shortName = QFileInfo(QString::fromStdString(folder.text())).fileName();
    QCOMPARE(undo->text(), QStringLiteral("Undo Rename (%1 files in %2)").arg(files.size()).arg(shortName));

    // From the list, where Ctrl+Z is the window's, once the window is active again after the box.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QListView* file1 = window_test::child<QListView>(window, "File1");
    file1->setFocus();
    QTest::keyClick(file1, Qt::Key_Z, Qt::ControlModifier);

    QCOMPARE(folder.names(), std::set<std::string>(files.begin(), files.end()));
    QVERIFY(!answerer.seen().empty());
    QCOMPARE(answerer.seen().back().text, QStringLiteral("All %1 files in \"%2\" got their names back.")
                                              .arg(files.size())
                                              .arg(QString::fromStdString(folder.text())));
    QCOMPARE(file1->model()->index(0, 0).data().toString(), QString::fromStdString(files.front())); // refreshed
    QVERIFY(!undo->isEnabled());
}

void UndoPreviewTest::ctrlZInATextFieldUndoesTypingOnly() {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    Form1 window;
    prepare(window, folder, QString(), QStringLiteral("md"));
    if (QTest::currentTestFailed()) return;
    BoxAnswerer answerer;
    QTest::mouseClick(window_test::child<QPushButton>(window, "Command2"), Qt::LeftButton);
    QCOMPARE(folder.names(), std::set<std::string>{"a.md"});

    QLineEdit* field = window_test::child<QLineEdit>(window, "txt_find");
    field->setFocus();
    QTest::keyClicks(field, "typed");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);

    QCOMPARE(field->text(), QString());
    QCOMPARE(folder.names(), std::set<std::string>{"a.md"});
    QVERIFY(window_test::child<QAction>(window, "undoRename")->isEnabled());
}

void UndoPreviewTest::tooltipTellsWhatTheButtonWouldDo() {
    TempFolder folder;
#ifdef Q_OS_WIN
    // Windows names cannot hold '<' or '>'; '&' is markup too.
    const std::string marked = "&b.txt";
    const QString markedLine = QStringLiteral("&amp;b.txt -&gt; &amp;b.md");
#else
    const std::string marked = "<b>.txt";
    const QString markedLine = QStringLiteral("&lt;b&gt;.txt -&gt; &lt;b&gt;.md");
#endif
    folder.addFiles({"a.txt", marked, "c"});
    Form1 window;
    prepare(window, folder, QString(), QStringLiteral("md"));
    if (QTest::currentTestFailed()) return;
    const auto tooltipOf = [&](const char* name) {
        QPushButton* button = window_test::child<QPushButton>(window, name);
        const QPoint at = button->rect().center();
        QHelpEvent event(QEvent::ToolTip, at, button->mapToGlobal(at));
        QCoreApplication::sendEvent(button, &event);
        return QToolTip::text();
    };

    const QString extension = tooltipOf("Command2");
    QVERIFY2(extension.contains(QStringLiteral("Would rename 3 files and leave 0 alone:")), qPrintable(extension));
    QVERIFY2(extension.contains(markedLine), qPrintable(extension)); // shown as written
    const QString header = tooltipOf("CmdRemoveExt");
    QVERIFY2(header.contains(QStringLiteral("Would stop before moving anything: Cannot rename")), qPrintable(header));
    QCOMPARE(folder.names(), (std::set<std::string>{"a.txt", marked, "c"}));
}

QTEST_MAIN(UndoPreviewTest)
#include "undo_preview_test.moc"
