// What a screen reader finds in the window, walked through QAccessible, and
// every button worked from the keyboard alone.

#include "form1.h"
#include "window_test_support.h"

#include <QAccessible>
#include <QLineEdit>
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
        {QStringLiteral("Dir1"), {QAccessible::List, QStringLiteral("Folders")}},
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
    QVERIFY(!form->text(QAccessible::Description).isEmpty());

    QStringList seen, descriptions;
    for (int i = 0; i < form->childCount(); ++i) {
        QAccessibleInterface* child = form->child(i);
        QObject* object = child->object();
        QString key = object->objectName();
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

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
