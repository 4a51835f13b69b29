// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// "About Norvane" from F1 and from the file list's menu, with the licence and
// the notices; and the box that asks about a file another program holds open.

#include "command_line.h"
#include "form1.h"
#include "held_file_question.h"
#include "window_test_support.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using window_test::TempFolder;

class AboutAndHeldFileTest : public QObject {
    Q_OBJECT

private slots:
    void f1ShowsTheVersionTheLicenceAndTheNotices();
    void theFileListsMenuOffersAboutAfterUndo();
    void aHeldFileIsAskedAbout_data();
    void aHeldFileIsAskedAbout();
};

void AboutAndHeldFileTest::f1ShowsTheVersionTheLicenceAndTheNotices() {
    QVERIFY(versionText().contains(QStringLiteral("GPL-3.0-or-later")));
    QCOMPARE(licenceLine().count(QLatin1Char('\n')), 0);
    TempFolder folder;
    Form1 window(folder.text());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QString about, notices;
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() != QLatin1String("aboutNorvane")) return;
        for (const QLabel* label : dialog->findChildren<QLabel*>()) about += label->text();
        QTimer::singleShot(100, [&] {
            auto* shown = QApplication::activeModalWidget();
            if (auto* text = shown ? shown->findChild<QPlainTextEdit*>(QStringLiteral("notices")) : nullptr) notices = text->toPlainText();
            if (shown) shown->close();
            dialog->close();
        });
        dialog->findChild<QPushButton*>(QStringLiteral("showNotices"))->click();
    });
    QTest::keyClick(&window, Qt::Key_F1);
    QVERIFY2(about.contains(QStringLiteral(NORVANE_VERSION)) && about.contains(QStringLiteral("GPL-3.0-or-later")), qPrintable(about));
    QVERIFY(notices.contains(QStringLiteral("GNU GENERAL PUBLIC LICENSE")));
#ifdef _WIN32
    // What norvane.exe carries, Qt first.
    QVERIFY(notices.contains(QStringLiteral("GNU LESSER GENERAL PUBLIC LICENSE")));
    QVERIFY(notices.contains(QStringLiteral("FreeType")));
#endif
}

void AboutAndHeldFileTest::theFileListsMenuOffersAboutAfterUndo() {
    TempFolder folder;
    folder.addFiles({"a.txt"});
    Form1 window(folder.text());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QStringList items;
    QTimer::singleShot(100, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        for (const QAction* action : menu->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        menu->close();
    });
    QListView* file1 = window_test::child<QListView>(window, "File1");
    file1->setFocus();
    QTest::keyClick(file1, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(items, (QStringList{QStringLiteral("Undo Rename"), QStringLiteral("Undo History..."), QStringLiteral("-"),
                             QStringLiteral("About Norvane")}));
}

void AboutAndHeldFileTest::aHeldFileIsAskedAbout_data() {
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("says");
    using A = norvane::HeldFile::Answer;
    QTest::newRow("no program known, Try Again") << QStringList{} << "Try Again" << int(A::TryAgain)
                                                  << "\"<b>.jpg\" is open in another program, which keeps it from being renamed.";
    QTest::newRow("Photos, Stop") << QStringList{"Photos"} << "Stop" << int(A::Stop) << "\"<b>.jpg\" is open in Photos, which";
    QTest::newRow("two programs, Escape") << QStringList{"Photos", "Paint"} << "" << int(A::Stop) << "is open in Photos, Paint, which";
}

void AboutAndHeldFileTest::aHeldFileIsAskedAbout() {
    QFETCH(QStringList, programs);
    QFETCH(QString, button);
    QFETCH(int, answer);
    QFETCH(QString, says);
    norvane::HeldFile held{"<b>.jpg", "<b>.png", {}, 32, "The process cannot access the file"};
    for (const QString& program : programs) held.programs.push_back(program.toStdString());
    QString text;
    QTimer::singleShot(100, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        text = box->text();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* candidate : box->buttons())
            if (candidate->text() == button) chosen = candidate;
        if (chosen) chosen->click();
        else QTest::keyClick(box, Qt::Key_Escape);
    });
    askAboutHeldFile(nullptr, held);
    QVERIFY2(text.contains(says), qPrintable(text));
    QCOMPARE(int(held.answer), answer);
}

QTEST_MAIN(AboutAndHeldFileTest)
#include "about_and_held_file_test.moc"
