// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A folder dragged from a file manager onto the window opens in Dir1.

#include "form1.h"
#include "window_test_support.h"

#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWindow>

using window_test::TempFolder;

class FolderDropTest : public QObject {
    Q_OBJECT

private slots:
    void dropOpensTheFolder_data();
    void dropOpensTheFolder();
};

void FolderDropTest::dropOpensTheFolder_data() {
    QTest::addColumn<QString>("target");
    // Under the test folder, percent-encoded as a file manager sends it; a whole address; or "text:" and text.
    QTest::addColumn<QByteArray>("dragged");
    QTest::addColumn<int>("offered"); // Qt::DropActions
    // The folder that opens, under the test folder; empty: the drop is refused.
    QTest::addColumn<QByteArray>("opens");

    const int all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QTest::newRow("folder") << "Form1" << QByteArray("inner") << all << QByteArray("inner");
    QTest::newRow("folder, trailing slash") << "Form1" << QByteArray("inner/") << all << QByteArray("inner");
    QTest::newRow("file opens its folder") << "Form1" << QByteArray("inner/x.txt") << all << QByteArray("inner");
    QTest::newRow("onto a field") << "txt_find" << QByteArray("inner") << all << QByteArray("inner");
    QTest::newRow("name not UTF-8") << "Form1" << QByteArray("%FF%FEraw") << all << QByteArray("\xFF\xFEraw");
    QTest::newRow("copy offered only") << "Form1" << QByteArray("inner") << int(Qt::CopyAction) << QByteArray("inner");
    // A file manager that offers only a move (Xfe's plain drag) is answered with a copy.
    QTest::newRow("move offered only") << "Form1" << QByteArray("inner") << int(Qt::MoveAction) << QByteArray("inner");
    QTest::newRow("move offered only, onto a list") << "File1" << QByteArray("inner") << int(Qt::MoveAction)
                                                    << QByteArray("inner");
    QTest::newRow("gone") << "Form1" << QByteArray("gone") << all << QByteArray();
    QTest::newRow("another machine") << "Form1" << QByteArray("file://elsewhere/tmp") << all << QByteArray();
    QTest::newRow("web address") << "txt_find" << QByteArray("https://example.org/inner") << all << QByteArray();
    QTest::newRow("text onto a field") << "Txt_replace" << QByteArray("text:md") << all << QByteArray();
}

void FolderDropTest::dropOpensTheFolder() {
    QFETCH(QString, target);
    QFETCH(QByteArray, dragged);
    QFETCH(int, offered);
    QFETCH(QByteArray, opens);

    if (!window_test::possibleName(opens.toStdString()))
        QSKIP("Windows names are UTF-16: no name holds bytes that are not UTF-8");
    TempFolder folder;
    folder.addFolder("inner");
    if (window_test::possibleName("\xFF\xFEraw")) folder.addFolder("\xFF\xFEraw");
    std::ofstream(folder.path() / "inner" / "x.txt") << "x";

    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.openFolder(folder.text());
    QWidget* onto = target == QLatin1String("Form1") ? &window : window.findChild<QWidget*>(target);
    QVERIFY(onto != nullptr);

    QMimeData data;
#ifdef Q_OS_WIN
    const QByteArray root = QUrl::fromLocalFile(QString::fromStdString(folder.text())).toEncoded();
#else
    // By bytes, as a file manager sends a name that is not UTF-8.
    const QByteArray root = "file://" + QUrl::toPercentEncoding(QByteArray::fromStdString(folder.text()), "/");
#endif
    const bool text = dragged.startsWith("text:");
    if (text) data.setText(QString::fromUtf8(dragged.mid(5)));
    else data.setUrls({QUrl::fromEncoded(dragged.contains("://") ? dragged : root + '/' + dragged)});
    const auto actions = Qt::DropActions(offered);
    // As the window system hands a drag to the window, which passes it to the control under it.
    const QPoint at = onto->mapTo(&window, onto->rect().center());
    QWindow* handle = window.windowHandle();

    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &enter);
    QCOMPARE(enter.isAccepted(), !opens.isEmpty() || text);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &drop);
    QCOMPARE(drop.isAccepted(), !opens.isEmpty() || text);
    QCoreApplication::processEvents(); // the folder opens once the drop is over

    if (opens.isEmpty()) {
        QCOMPARE(window.folderList().path(), folder.text());
        // Dragged text still goes into the field.
        if (text) QCOMPARE(qobject_cast<QLineEdit*>(onto)->text(), QString::fromUtf8(dragged.mid(5)));
        return;
    }
    // Never a move: the file manager must not think the folder went anywhere.
    for (const QDropEvent* answered : {static_cast<QDropEvent*>(&enter), static_cast<QDropEvent*>(&move), &drop})
        QVERIFY(answered->dropAction() == Qt::LinkAction || answered->dropAction() == Qt::CopyAction);
    const std::string expected = window_test::toUtf8(folder.path() / window_test::fromUtf8(opens.toStdString()));
    QCOMPARE(window.folderList().path(), expected);
    QCOMPARE(window.fileList().path(), expected);
    QCOMPARE(window.findChild<QLineEdit*>("txt_find")->text(), QString()); // no address typed into a field
}

QTEST_MAIN(FolderDropTest)
#include "folder_drop_test.moc"
