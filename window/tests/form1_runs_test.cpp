// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The four buttons end to end over a real folder, as a user drives them.

#include "form1.h"
#include "slowed_file_system.h"
#include "window_test_support.h"

#include "norvane/name_order.h"
#include "norvane/platform.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <QCloseEvent>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>
#include <utility>

using window_test::BoxAnswerer;
using window_test::displayed;
using window_test::shownRows;
using window_test::TempFolder;

using Names = std::vector<std::string>;
Q_DECLARE_METATYPE(Names)

class Form1RunsTest : public QObject {
    Q_OBJECT

private slots:
    void buttonRenamesTheFolder_data();
    void buttonRenamesTheFolder();
    void failedRunIsReportedAndTheWindowGoesOn_data();
    void failedRunIsReportedAndTheWindowGoesOn();
    void enterInATextFieldClicksNothing();
    void inputDuringARunIsDiscarded_data();
    void inputDuringARunIsDiscarded();
    void doubleClickRunsTheBatchOnce_data();
    void doubleClickRunsTheBatchOnce();

private:
    // The window, shown, at `folder`, with the two texts typed in.
    static void prepare(Form1& window, const TempFolder& folder, const QString& find, const QString& replace) {
        // The folder first: a window that never shows must still not act on the program's own folder.
        // A failure here ends only this helper; the caller stops on QTest::currentTestFailed().
        window.openFolder(folder.text());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        type(window_test::child<QLineEdit>(window, "txt_find"), find);
        type(window_test::child<QLineEdit>(window, "Txt_replace"), replace);
    }
    // Key by key, as a keyboard would; keyClicks takes only ASCII.
    static void type(QWidget* field, const QString& text) {
        for (const QChar character : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
};

void Form1RunsTest::buttonRenamesTheFolder_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<Names>("files");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<Names>("after"); // as File1 lists them
    QTest::addColumn<bool>("saysDone");

    QTest::newRow("Repalce") << "CmdChange" << Names{"a_x.txt", "b_x.txt", "c.txt"} << "_x" << "_y"
                             << Names{"a_y.txt", "b_y.txt", "c.txt"} << false;
    QTest::newRow("Repalce, typed non-ASCII") << "CmdChange" << Names{"café.txt"} << "é" << "e"
                                              << Names{"cafe.txt"} << false;
    QTest::newRow("Change File Name") << "Command1" << Names{"c.txt", "A.txt", "b.txt"} << "" << ""
                                      << Names{"001.txt", "002.txt", "003.txt"} << true;
    // Bytes that are not UTF-8 reach the disk as they are, though shown decoded.
    QTest::newRow("Change File Name, non-UTF-8 name") << "Command1" << Names{"\xff.txt", "b.txt"} << "" << ""
                                                      << Names{"001.txt", "002.txt"} << true;
    QTest::newRow("Change Extention") << "Command2" << Names{"a.txt", "b.tar.gz"} << "" << "md"
                                      << Names{"a.md", "b.md"} << true;
    QTest::newRow("Remove Hider") << "CmdRemoveExt" << Names{"01.Intro.mp3", "02.Outro.mp3"} << "" << ""
                                  << Names{"Intro.mp3", "Outro.mp3"} << true;
    QTest::newRow("Change File Name, empty folder") << "Command1" << Names{} << "" << "" << Names{} << true;
}

void Form1RunsTest::buttonRenamesTheFolder() {
    QFETCH(QString, button);
    QFETCH(Names, files);
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(Names, after);
    QFETCH(bool, saysDone);
    for (const std::string& name : files)
        if (!window_test::possibleName(name)) QSKIP("Windows names are UTF-16: no name holds bytes that are not UTF-8");

    TempFolder folder;
    folder.addFiles(files);
    Form1 window;
    prepare(window, folder, find, replace);
    if (QTest::currentTestFailed()) return;
    QListView* file1 = window_test::child<QListView>(window, "File1");
    QCOMPARE(file1->model()->rowCount(), static_cast<int>(files.size()));
    // A selection changes nothing: every listed file is renamed.
    if (!files.empty()) file1->setCurrentIndex(file1->model()->index(0, 0));

    BoxAnswerer answerer;
    QTest::mouseClick(window_test::child<QPushButton>(window, button.toLatin1().constData()), Qt::LeftButton);

    QCOMPARE(shownRows(file1), displayed(after));
    QCOMPARE(folder.names(), std::set<std::string>(after.begin(), after.end()));
    QCOMPARE(answerer.seen().size(), saysDone ? std::size_t{1} : std::size_t{0});
    if (saysDone) {
        const window_test::SeenBox& box = answerer.seen().front();
        QCOMPARE(box.title, QStringLiteral("Norvane"));
        QCOMPARE(box.text, QStringLiteral("Done!"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttons, 1);
    }
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void Form1RunsTest::failedRunIsReportedAndTheWindowGoesOn_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<Names>("files");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QStringList>("reportNames");

    QTest::newRow("name taken") << "Command1" << Names{"000.txt", "001.txt"} << ""
                                << QStringList{"000.txt", "001.txt", "already exists", "No file was renamed"};
    QTest::newRow("missing part") << "CmdRemoveExt" << Names{"a.b.c", "d.e.f", "single.txt"} << ""
                                  << QStringList{"single.txt", "file 3 of 3", "no part 2", "No file was renamed"};
    QTest::newRow("same new name twice") << "CmdRemoveExt" << Names{"1.a.txt", "2.a.txt"} << ""
                                         << QStringList{"1.a.txt", "2.a.txt", "would get the same name", "No file was renamed"};
}

void Form1RunsTest::failedRunIsReportedAndTheWindowGoesOn() {
    QFETCH(QString, button);
    QFETCH(Names, files);
    QFETCH(QString, find);
    QFETCH(QStringList, reportNames);

    TempFolder folder;
    folder.addFiles(files);
    Form1 window;
    prepare(window, folder, find, QString());
    if (QTest::currentTestFailed()) return;
    QListView* file1 = window_test::child<QListView>(window, "File1");
    // Appears behind the list's back; only a refresh shows it.
    folder.addFiles({"late.txt"});

    QStringList rowsWhileShown;
    BoxAnswerer answerer([&] { rowsWhileShown = shownRows(file1); });
    QTest::mouseClick(window_test::child<QPushButton>(window, button.toLatin1().constData()), Qt::LeftButton);

    QCOMPARE(answerer.seen().size(), std::size_t{1});
    const window_test::SeenBox& box = answerer.seen().front();
    QCOMPARE(box.title, QStringLiteral("Norvane"));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, 1);
    for (const QString& part : reportNames) QVERIFY2(box.text.contains(part), qPrintable(box.text));
    QCOMPARE(rowsWhileShown, displayed(files));

    // After the box: the window is there, the list shows the folder's real names.
    QVERIFY(window.isVisible());
    Names real(files);
    real.push_back("late.txt");
    std::sort(real.begin(), real.end(), norvane::caseBlindLess);
    QCOMPARE(shownRows(file1), displayed(real));
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // ...and the next run works, with the texts typed now.
    type(window_test::child<QLineEdit>(window, "txt_find"), QStringLiteral("."));
    type(window_test::child<QLineEdit>(window, "Txt_replace"), QStringLiteral("_"));
    QTest::mouseClick(window_test::child<QPushButton>(window, "CmdChange"), Qt::LeftButton);
    QCOMPARE(answerer.seen().size(), std::size_t{1});
    for (const std::string& name : folder.names()) QVERIFY2(name.find('.') == std::string::npos, name.c_str());
    QCOMPARE(folder.names().size(), real.size());
}

void Form1RunsTest::enterInATextFieldClicksNothing() {
    TempFolder folder;
    folder.addFiles({"a.txt", "b.txt"});
    Form1 window;
    prepare(window, folder, QStringLiteral("a"), QStringLiteral("z"));
    if (QTest::currentTestFailed()) return;

    std::vector<std::unique_ptr<QSignalSpy>> clicks;
    for (const char* name : {"CmdChange", "Command1", "Command2", "CmdRemoveExt"})
        clicks.push_back(std::make_unique<QSignalSpy>(window_test::child<QPushButton>(window, name), &QPushButton::clicked));
    BoxAnswerer answerer;
    for (const char* name : {"txt_find", "Txt_replace"}) {
        QLineEdit* field = window_test::child<QLineEdit>(window, name);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Enter);
    }
    for (const auto& spy : clicks) QCOMPARE(spy->count(), 0);
    QVERIFY(answerer.seen().empty());
    QCOMPARE(folder.names(), (std::set<std::string>{"a.txt", "b.txt"}));
}

void Form1RunsTest::inputDuringARunIsDiscarded_data() {
    // Queued: waits, as in the window system's queue, until the run lets events
    // through. At once: reaches the window in the middle of the run.
    QTest::addColumn<QString>("input");
    // A close request is no input to discard: it stops the batch and closes the window (progress_test).
    for (const char* input : {"click, queued", "click, at once", "Space, at once"})
        QTest::newRow(input) << QString::fromLatin1(input);
}

void Form1RunsTest::inputDuringARunIsDiscarded() {
    QFETCH(QString, input);
    TempFolder folder;
    folder.addFiles({"fox.png"});
    window_test::SlowedFileSystem system;
    Form1 window(system);
    prepare(window, folder, QStringLiteral("x"), QStringLiteral("xy"));
    if (QTest::currentTestFailed()) return;
    QPushButton* button = window_test::child<QPushButton>(window, "CmdChange");
    button->setFocus();
    const QPoint centre = button->rect().center();

    bool delivered = false;
    system.duringMove = [&] {
        if (std::exchange(delivered, true)) return;
        if (input == "click, queued") {
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(button, new QMouseEvent(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                                                                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                                    Qt::NoModifier));
        } else if (input == "click, at once") { // through the window system, as a user's click comes
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button->mapTo(&window, centre));
        } else {
            QTest::keyClick(window.windowHandle(), Qt::Key_Space);
        }
    };
    BoxAnswerer answerer;
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();

    // A second run would have substituted twice, or found 'fox.png' gone.
    QCOMPARE(folder.names(), std::set<std::string>{"foxy.png"});
    QVERIFY(answerer.seen().empty());
    QVERIFY(window.isVisible());
    // Once the run is over the window takes input again.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(folder.names(), std::set<std::string>{"foxyy.png"});
}

void Form1RunsTest::doubleClickRunsTheBatchOnce_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("secondPressToo"); // the second press reaches the button before the double click
    QTest::addColumn<Names>("afterOne");      // 'fox.png' after one run with Find x, replace xy

    QTest::newRow("Repalce") << "CmdChange" << false << Names{"foxy.png"};
    QTest::newRow("Change File Name") << "Command1" << false << Names{"001.png"};
    QTest::newRow("Change Extention") << "Command2" << true << Names{"fox.xy"};
    QTest::newRow("Remove Hider") << "CmdRemoveExt" << true << Names{"fox.png"}; // stops: no part 2
}

void Form1RunsTest::doubleClickRunsTheBatchOnce() {
    QFETCH(QString, button);
    QFETCH(bool, secondPressToo);
    QFETCH(Names, afterOne);

    TempFolder folder;
    folder.addFiles({"fox.png"});
    Form1 window;
    prepare(window, folder, QStringLiteral("x"), QStringLiteral("xy"));
    if (QTest::currentTestFailed()) return;
    QPushButton* target = window_test::child<QPushButton>(window, button.toLatin1().constData());
    QSignalSpy clicks(target, &QPushButton::clicked);
    BoxAnswerer answerer;

    // As a widget gets a double click: press, release, double click, release.
    QTest::mouseClick(target, Qt::LeftButton);
    if (secondPressToo) QTest::mousePress(target, Qt::LeftButton);
    QTest::mouseDClick(target, Qt::LeftButton);
    if (secondPressToo) QTest::mouseMove(target, target->rect().center() + QPoint(1, 1)); // a hand is never quite still
    QTest::mouseRelease(target, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(folder.names(), std::set<std::string>(afterOne.begin(), afterOne.end()));

    // A separate click later is a click.
    QTest::mouseClick(target, Qt::LeftButton);
    QCOMPARE(clicks.count(), 2);
}

QTEST_MAIN(Form1RunsTest)
#include "form1_runs_test.moc"
