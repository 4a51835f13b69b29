// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a screen reader finds in the window, walked through QAccessible, and
// every button worked from the keyboard alone.

#include "form1.h"
#include "slowed_file_system.h"
#include "window_test_support.h"

#include <QAccessible>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <map>

using window_test::BoxAnswerer;
using window_test::TempFolder;

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasItsRoleNameAndADescription();
    void everyButtonWorksFromTheKeyboard_data();
    void everyButtonWorksFromTheKeyboard();
    void theFolderTreeTellsLevelsAndOpens();
    void aSilentBatchIsAnnounced_data();
    void aSilentBatchIsAnnounced();
    void theProgressDialogIsNamed();

private:
    static QAccessibleInterface* accessibleChild(QWidget& window, const char* name) {
        return QAccessible::queryAccessibleInterface(window_test::child<QWidget>(window, name));
    }
};

void AccessibilityTest::everyControlHasItsRoleNameAndADescription() {
    struct Expected {
        QAccessible::Role role;
        QString name;
    };
    const std::map<QString, Expected> expected{
        {QStringLiteral("txt_find"), {QAccessible::EditableText, QStringLiteral("Find")}},
        {QStringLiteral("Txt_replace"), {QAccessible::EditableText, QStringLiteral("replace")}},
        {QStringLiteral("CmdChange"), {QAccessible::Button, QStringLiteral("Repalce")}},
        {QStringLiteral("Dir1"), {QAccessible::Tree, QStringLiteral("Folders")}},
        {QStringLiteral("File1"), {QAccessible::List, QStringLiteral("Files")}},
        {QStringLiteral("Label1(0)"), {QAccessible::StaticText, QStringLiteral("Find")}},
        {QStringLiteral("Label1(1)"), {QAccessible::StaticText, QStringLiteral("replace")}},
        {QStringLiteral("Command1"), {QAccessible::Button, QStringLiteral("Change File Name")}},
        {QStringLiteral("Command2"), {QAccessible::Button, QStringLiteral("Change Extention")}},
        {QStringLiteral("CmdRemoveExt"), {QAccessible::Button, QStringLiteral("Remove Hider")}},
    };

    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAccessibleInterface* form = QAccessible::queryAccessibleInterface(&window);
    QVERIFY(form != nullptr);
    QCOMPARE(form->text(QAccessible::Name), QStringLiteral("Norvane"));
    QCOMPARE(form->role(), QAccessible::Window);
    QVERIFY(!form->text(QAccessible::Description).isEmpty());

    QStringList seen, descriptions;
    for (int i = 0; i < form->childCount(); ++i) {
        QAccessibleInterface* child = form->child(i);
        QObject* object = child->object();
        QString key = object->objectName();
        if (key == QLatin1String("announcement")) continue; // speaks, shows nothing
        if (key == QLatin1String("Label1")) key += QStringLiteral("(%1)").arg(object->property("index").toInt());
        const auto found = expected.find(key);
        QVERIFY2(found != expected.end(), qPrintable(key));
        QCOMPARE(child->role(), found->second.role);
        QCOMPARE(child->text(QAccessible::Name), found->second.name);
        const QString description = child->text(QAccessible::Description);
        QVERIFY2(!description.isEmpty(), qPrintable(key));
        QVERIFY2(!descriptions.contains(description), qPrintable(key)); // each says what it alone does
        descriptions << description;
        seen << key;
    }
    QCOMPARE(seen.size(), static_cast<qsizetype>(expected.size()));
}

void AccessibilityTest::everyButtonWorksFromTheKeyboard_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("Repalce") << "CmdChange" << "_draft" << "" << "notes_draft.txt" << "notes.txt";
    QTest::newRow("Change File Name") << "Command1" << "" << "" << "beach.jpg" << "001.jpg";
    QTest::newRow("Change Extention") << "Command2" << "" << "md" << "report.tar.gz" << "report.md";
    QTest::newRow("Remove Hider") << "CmdRemoveExt" << "" << "" << "01.Beach.jpg" << "Beach.jpg";
}

void AccessibilityTest::everyButtonWorksFromTheKeyboard() {
    QFETCH(QString, button);
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(QString, before);
    QFETCH(QString, after);
    TempFolder folder;
    folder.addFiles({before.toStdString()});

    Form1 window;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.openFolder(folder.text());

    // Type into the fields, then Tab to the button and press Space, as a
    // keyboard user does.
    QTest::keyClicks(QApplication::focusWidget(), find);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), replace);
    for (int step = 0; step < 10 && QApplication::focusWidget()->objectName() != button; ++step)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), button);
    QCOMPARE(window.findChild<QLineEdit*>("txt_find")->text(), find);
    QCOMPARE(window.findChild<QLineEdit*>("Txt_replace")->text(), replace);

    BoxAnswerer answerer;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(folder.names(), std::set<std::string>{after.toStdString()});
}

void AccessibilityTest::theFolderTreeTellsLevelsAndOpens() {
    TempFolder folder;
    folder.addFolder("inner");
    Form1 window(folder.text());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAccessibleInterface* tree = accessibleChild(window, "Dir1");
    QCOMPARE(tree->childCount(), static_cast<int>(window.folderList().entries().size()));

    // From the root down to the test folder, then its one subfolder.
    const int chain = static_cast<int>(window.folderList().chainLength());
    QAccessibleInterface* root = tree->child(0);
    QAccessibleInterface* current = tree->child(chain - 1);
    QAccessibleInterface* inner = tree->child(chain);
    QCOMPARE(root->role(), QAccessible::TreeItem);
    QCOMPARE(root->text(QAccessible::Description), QStringLiteral("Level 1, on the way down to the current folder"));
    QCOMPARE(current->text(QAccessible::Description), QStringLiteral("Level %1, the current folder").arg(chain));
    QCOMPARE(inner->text(QAccessible::Name), QStringLiteral("inner"));
    QCOMPARE(inner->text(QAccessible::Description), QStringLiteral("Level %1, a subfolder of the current folder").arg(chain + 1));
    QVERIFY(current->state().expanded && inner->state().collapsed);
    QCOMPARE(tree->indexOfChild(inner), chain);

    // The current folder is the focused item once the tree has the focus.
    window_test::child<QWidget>(window, "Dir1")->setFocus();
    QCOMPARE(tree->focusChild(), current);
    QVERIFY(current->state().focused);

    QAccessibleActionInterface* actions = inner->actionInterface();
    QVERIFY(actions != nullptr);
    QCOMPARE(actions->actionNames(), QStringList{QStringLiteral("open")});
    actions->doAction(QStringLiteral("open"));
    QTRY_COMPARE(window.folderList().path(), (folder.path() / "inner").string());
    QCOMPARE(tree->focusChild()->text(QAccessible::Name), QStringLiteral("inner"));
}

void AccessibilityTest::aSilentBatchIsAnnounced_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("announced"); // empty: the batch's own box says it
    QTest::newRow("Repalce") << "CmdChange" << "_x" << "Renamed 2 files.";
    QTest::newRow("Repalce, nothing to do") << "CmdChange" << "_none" << "Renamed no files.";
    QTest::newRow("Change Extention says Done!") << "Command2" << "" << "";
}

void AccessibilityTest::aSilentBatchIsAnnounced() {
    QFETCH(QString, button);
    QFETCH(QString, find);
    QFETCH(QString, announced);
    TempFolder folder;
    folder.addFiles({"a_x.txt", "b_x.txt", "c.txt"});
    Form1 window(folder.text());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window_test::child<QLineEdit>(window, "txt_find")->setText(find);
    BoxAnswerer answerer;
    window_test::child<QPushButton>(window, button.toLatin1().constData())->click();

    auto* announcement = window.findChild<QWidget*>(QStringLiteral("announcement"));
    QCOMPARE(announcement != nullptr, !announced.isEmpty());
    QCOMPARE(answerer.seen().empty(), !announced.isEmpty());
    if (announcement == nullptr) return;
    QVERIFY(announcement->isVisible());
    QCOMPARE(announcement->size(), QSize(0, 0)); // nothing to see
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(announcement);
    QCOMPARE(spoken->role(), QAccessible::Notification);
    QCOMPARE(spoken->text(QAccessible::Name), announced);
}

void AccessibilityTest::theProgressDialogIsNamed() {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) names.push_back("f" + std::to_string(1000 + i) + ".txt");
    folder.addFiles(names);
    window_test::SlowedFileSystem disk;
    disk.delay = std::chrono::milliseconds(1); // past the half second that shows the dialog
    QString named;
    disk.duringMove = [&named] {
        if (auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()); dialog && named.isEmpty())
            named = QAccessible::queryAccessibleInterface(dialog)->text(QAccessible::Name);
    };
    Form1 window(folder.text(), disk);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window_test::child<QLineEdit>(window, "Txt_replace")->setText(QStringLiteral("md"));
    BoxAnswerer answerer;
    window_test::child<QPushButton>(window, "Command2")->click();
    QCOMPARE(named, QStringLiteral("Renaming"));
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
