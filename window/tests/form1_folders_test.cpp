// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up listing, opening folders in Dir1, and a folder that cannot be read.

#include "form1.h"
#include "window_test_support.h"

#include "norvane/platform.h"

#include <QFileInfo>
#include <QListView>
#include <QTest>

using window_test::BoxAnswerer;
using window_test::shownRows;
using window_test::TempFolder;

class Form1FoldersTest : public QObject {
    Q_OBJECT

private slots:
    void startsAtTheApplicationFolder();
    void openingAFolderInDir1RelistsFile1_data();
    void openingAFolderInDir1RelistsFile1();
    void aFolderThatCannotBeReadIsReported();
    void modelsAnnounceAResetWhileStillShowingTheOldRows();
    void theListsOutliveTheViewsThatReadThem();

private:
    static QListView* view(Form1& window, const char* name) {
        return window.findChild<QListView*>(QString::fromLatin1(name));
    }
    static QModelIndex rowShowing(QListView* view, const QString& text) {
        const QModelIndexList found = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, text, 1,
                                                           Qt::MatchExactly);
        return found.isEmpty() ? QModelIndex() : found.first();
    }
    static void open(QListView* view, const QModelIndex& index, bool withEnter) {
        if (withEnter) {
            view->setCurrentIndex(index);
            QTest::keyClick(view, Qt::Key_Return);
        } else {
            // What the system sends for a double click: press, release, double click, release.
            const QPoint at = view->visualRect(index).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
        }
    }
};

void Form1FoldersTest::startsAtTheApplicationFolder() {
    Form1 window;
    const std::string folder = norvane::platform::applicationFolder();
    QCOMPARE(window.folderList().path(), folder);
    QCOMPARE(window.fileList().path(), folder);
    QCOMPARE(window.fileList().pattern(), std::string("*.*"));

    // The program's own executable is among the files shown.
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QVERIFY2(shownRows(view(window, "File1")).contains(self), qPrintable(self));

    // Dir1: the chain from the root, ending at the current folder, which is selected.
    QListView* dir1 = view(window, "Dir1");
    const QStringList rows = shownRows(dir1);
    QCOMPARE(rows.first(), window_test::rootRow(folder));
    const QString leaf = QFileInfo(QString::fromStdString(folder)).fileName();
    QCOMPARE(dir1->currentIndex().data().toString(), leaf);
    QCOMPARE(static_cast<std::size_t>(dir1->currentIndex().row()), window.folderList().chainLength() - 1);
}

void Form1FoldersTest::openingAFolderInDir1RelistsFile1_data() {
    QTest::addColumn<bool>("withEnter");
    QTest::newRow("double click") << false;
    QTest::newRow("Enter") << true;
}

void Form1FoldersTest::openingAFolderInDir1RelistsFile1() {
    QFETCH(bool, withEnter);
    TempFolder folder;
    folder.addFiles({"top.txt"});
    folder.addFolder("inner");
    std::ofstream(folder.path() / "inner" / "x.txt") << "x";
    std::ofstream(folder.path() / "inner" / "Y.txt") << "y";

    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.openFolder(folder.text());
    QListView* dir1 = view(window, "Dir1");
    QListView* file1 = view(window, "File1");
    QCOMPARE(shownRows(file1), QStringList{QStringLiteral("top.txt")});

    // Down into a subfolder...
    const QModelIndex inner = rowShowing(dir1, QStringLiteral("inner"));
    QVERIFY(inner.isValid());
    open(dir1, inner, withEnter);
    QCOMPARE(window.folderList().path(), window_test::toUtf8(folder.path() / "inner"));
    QCOMPARE(shownRows(file1), (QStringList{QStringLiteral("x.txt"), QStringLiteral("Y.txt")}));
    QCOMPARE(dir1->currentIndex().data().toString(), QStringLiteral("inner"));

    // ...and back up through the chain.
    const QModelIndex parent = dir1->model()->index(dir1->currentIndex().row() - 1, 0);
    open(dir1, parent, withEnter);
    QCOMPARE(window.folderList().path(), folder.text());
    QCOMPARE(shownRows(file1), QStringList{QStringLiteral("top.txt")});
}

void Form1FoldersTest::aFolderThatCannotBeReadIsReported() {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    folder.addFolder("gone");
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.openFolder(folder.text());
    QListView* dir1 = view(window, "Dir1");
    QListView* file1 = view(window, "File1");

    // Removed after the tree listed it: permissions would not stop a test run as root.
    const QModelIndex gone = rowShowing(dir1, QStringLiteral("gone"));
    QVERIFY(gone.isValid());
    std::filesystem::remove(folder.path() / "gone");
    int rowsWhileShown = -1;
    BoxAnswerer answerer([&] { rowsWhileShown = file1->model()->rowCount(); });
    open(dir1, gone, false);

    QCOMPARE(answerer.seen().size(), std::size_t{1});
    const window_test::SeenBox& box = answerer.seen().front();
    QCOMPARE(box.title, QStringLiteral("Norvane"));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, 1);
    QVERIFY2(box.text.contains(QString::fromStdString(window_test::toUtf8(folder.path() / "gone"))), qPrintable(box.text));
#ifdef Q_OS_WIN
    // The system's words for it differ between Windows versions and Wine; its number does not.
    QVERIFY2(box.text.contains(QStringLiteral("(error 2")) || box.text.contains(QStringLiteral("(error 3")), qPrintable(box.text));
#else
    QVERIFY2(box.text.contains(QStringLiteral("No such file or directory")), qPrintable(box.text));
#endif
    QCOMPARE(rowsWhileShown, 0);
    QCOMPARE(file1->model()->rowCount(), 0);

    // The window goes on: back to the parent, which lists as before.
    open(dir1, dir1->model()->index(dir1->currentIndex().row() - 1, 0), false);
    QCOMPARE(shownRows(file1), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(answerer.seen().size(), std::size_t{1});
}

void Form1FoldersTest::modelsAnnounceAResetWhileStillShowingTheOldRows() {
    TempFolder folder;
    folder.addFiles({"top.txt"});
    folder.addFolder("inner");
    folder.addFolder("other");
    Form1 window;
    window.openFolder(folder.text());

    // A view saves its selection and current row when a reset is announced,
    // so the model must still answer with the rows it showed: Dir1's, then File1's.
    QStringList shown, announced;
    for (const char* name : {"Dir1", "File1"}) {
        QListView* list = view(window, name);
        shown << shownRows(list);
        connect(list->model(), &QAbstractItemModel::modelAboutToBeReset, this, [&announced, list] { announced << shownRows(list); });
    }
    window.openFolder(window_test::toUtf8(folder.path() / "inner"));
    QCOMPARE(announced, shown);
}

void Form1FoldersTest::theListsOutliveTheViewsThatReadThem() {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    auto* window = new Form1;
    window->openFolder(folder.text());

    // A view going away may still ask its model (focus, accessibility): the
    // engine's lists behind the models must still be there.
    QStringList firstRows;
    for (const char* name : {"Dir1", "File1"}) {
        const QAbstractItemModel* model = view(*window, name)->model();
        connect(view(*window, name), &QObject::destroyed, this, [&firstRows, model] { firstRows << model->index(0, 0).data().toString(); });
    }
    delete window;
    QCOMPARE(firstRows, (QStringList{window_test::rootRow(folder.text()), QStringLiteral("a.txt")}));
}

QTEST_MAIN(Form1FoldersTest)
#include "form1_folders_test.moc"
