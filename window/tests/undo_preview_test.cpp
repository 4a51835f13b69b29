// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Taking a batch back with Ctrl+Z or File1's context menu, and the tooltip that
// tells what a button would do.

#include "form1.h"
#include "tooltip_text.h"
#include "window_test_support.h"

#include <QAction>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
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
    void ctrlZWithNothingOfItsOwnTellsWithoutABox_data();
    void ctrlZWithNothingOfItsOwnTellsWithoutABox();
    void ctrlZInATextFieldUndoesTypingOnly();
    void tooltipTellsWhatTheButtonWouldDo();
    void previewLinesKeepTheirOrder();
    void aPreviewGoesWhenTheListChanges();

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

void UndoPreviewTest::ctrlZWithNothingOfItsOwnTellsWithoutABox_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("Find") << "txt_find";
    QTest::newRow("replace") << "Txt_replace";
}

// Ctrl+Z in the list with nothing left, and in a field with no typing of its
// own: a tooltip at the control and an announcement say what the list's
// Ctrl+Z would take back, and nothing moves.
void UndoPreviewTest::ctrlZWithNothingOfItsOwnTellsWithoutABox() {
    QFETCH(QString, field);
    TempFolder folder;
    folder.addFiles({"a.txt", "b.txt", "c.txt"});
    Form1 window;
    prepare(window, folder, QString(), QStringLiteral("md"));
    if (QTest::currentTestFailed()) return;
    QListView* file1 = window_test::child<QListView>(window, "File1");
    QLineEdit* edit = window_test::child<QLineEdit>(window, field.toLatin1().constData());
    const auto said = [&](const QString& text) {
        bool announced = false;
        for (const QWidget* notice : window.findChildren<QWidget*>(QStringLiteral("announcement")))
            announced = announced || notice->accessibleName() == text;
        return announced && QToolTip::isVisible() && QToolTip::text() == asTooltip(text);
    };
    const auto ctrlZ = [&](QWidget* control) {
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Z, Qt::ControlModifier);
    };
    BoxAnswerer answerer;

    ctrlZ(file1);
    QVERIFY2(said(QStringLiteral("Nothing to take back: the journal keeps no batch now.")), qPrintable(QToolTip::text()));
    // The tree and the buttons have no use for the key: it reaches the window, which tells the same.
    for (const char* control : {"Dir1", "Command2"}) {
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
        ctrlZ(window_test::child<QWidget>(window, control));
        QVERIFY2(said(QStringLiteral("Nothing to take back: the journal keeps no batch now.")), control);
    }
    ctrlZ(edit);
    QVERIFY2(said(QStringLiteral("Ctrl+Z in the file list has nothing to take back: the journal keeps no batch now.")),
             qPrintable(QToolTip::text()));
    QVERIFY(answerer.seen().empty());

    QTest::mouseClick(window_test::child<QPushButton>(window, "Command2"), Qt::LeftButton); // "Done!"
    const std::set<std::string> renamed{"a.md", "b.md", "c.md"};
    QCOMPARE(folder.names(), renamed);
    ctrlZ(edit);
    const QString shortName = QFileInfo(QString::fromStdString(folder.text())).fileName();
    QVERIFY2(said(QStringLiteral("Ctrl+Z in the file list takes back \"Change Extention\" in %1, 3 files.").arg(shortName)),
             qPrintable(QToolTip::text()));
    QCOMPARE(folder.names(), renamed);
    QCOMPARE(edit->text(), field == QLatin1String("Txt_replace") ? QStringLiteral("md") : QString());
    QCOMPARE(answerer.seen().size(), std::size_t{1});

    ctrlZ(file1); // takes it back, and says so in a box
    QCOMPARE(folder.names(), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
    QCOMPARE(answerer.seen().size(), std::size_t{2});
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
    QVERIFY2(withoutIsolates(extension).contains(markedLine), qPrintable(extension)); // shown as written
    const QString header = tooltipOf("CmdRemoveExt");
    QVERIFY2(header.contains(QStringLiteral("Would stop before moving anything: Cannot rename")), qPrintable(header));
    QCOMPARE(folder.names(), (std::set<std::string>{"a.txt", marked, "c"}));
}

// "009.טקסט -> 001.טקסט" reads left to right in a left-to-right window: the
// Hebrew letters do not take the arrow and the new name along with them.
void UndoPreviewTest::previewLinesKeepTheirOrder() {
    TempFolder folder;
    folder.addFiles({"009.\xD7\x98\xD7\xA7\xD7\xA1\xD7\x98"}); // 009.טקסט
    Form1 window;
    prepare(window, folder, QString(), QString());
    if (QTest::currentTestFailed()) return;
    QPushButton* button = window_test::child<QPushButton>(window, "Command1");
    const QPoint at = button->rect().center();
    QHelpEvent event(QEvent::ToolTip, at, button->mapToGlobal(at));
    QCoreApplication::sendEvent(button, &event);
    QTextDocument tip;
    tip.setHtml(QToolTip::text());
    QString line;
    for (QTextBlock block = tip.firstBlock(); block.isValid(); block = block.next())
        if (block.text().contains(QStringLiteral(" -> "))) line = block.text();
    QVERIFY2(!line.isEmpty(), qPrintable(QToolTip::text()));
    QTextLayout layout(line, QGuiApplication::font());
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine drawn = layout.createLine();
    layout.endLayout();
    const auto x = [&](qsizetype position) { return drawn.cursorToX(static_cast<int>(position)); };
    const qsizetype arrow = line.indexOf(QStringLiteral("->"));
    const qreal oldLetters = x(line.indexOf(QChar(0x05E7))), arrowAt = x(arrow), newDigits = x(line.indexOf(u'1', arrow));
    QVERIFY2(oldLetters < arrowAt && arrowAt < newDigits,
             qPrintable(QStringLiteral("%1 %2 %3").arg(oldLetters).arg(arrowAt).arg(newDigits)));
}

// A button's preview, shown while the pointer rests on it, goes once the list
// changes under it, and none is worked out while a box holds the window.
void UndoPreviewTest::aPreviewGoesWhenTheListChanges() {
    TempFolder folder, other;
    folder.addFiles({"a.txt"});
    other.addFiles({"b.txt"});
    Form1 window;
    prepare(window, folder, QString(), QStringLiteral("md"));
    if (QTest::currentTestFailed()) return;
    QPushButton* button = window_test::child<QPushButton>(window, "Command2");
    const auto rest = [&] {
        const QPoint at = button->rect().center();
        QHelpEvent event(QEvent::ToolTip, at, button->mapToGlobal(at));
        QCoreApplication::sendEvent(button, &event);
    };
    rest();
    QVERIFY(QToolTip::isVisible());
    QVERIFY2(QToolTip::text().contains(QStringLiteral("a.txt")), qPrintable(QToolTip::text()));
    window.openFolder(other.text());
    QTRY_VERIFY(!QToolTip::isVisible());

    bool shownUnderBox = true;
    BoxAnswerer answerer([&] {
        rest();
        shownUnderBox = QToolTip::isVisible();
    });
    QTest::mouseClick(button, Qt::LeftButton); // "Done!"
    QCOMPARE(answerer.seen().size(), std::size_t{1});
    QVERIFY(!shownUnderBox);
}

QTEST_MAIN(UndoPreviewTest)
#include "undo_preview_test.moc"
