// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window as the user first sees it: frame, controls, texts, focus.

#include "application_identity.h"
#include "form1.h"
#include "window_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

class Form1LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void windowHasAFixedDialogFrame();
    void controlSitsWhereTheTableSays_data();
    void controlSitsWhereTheTableSays();
    void focusStartsInFindAndTabFollowsTheTable();
    void windowShowsTheProgramsIcon();

private:
    // Finds Label1 by its index, anything else by its name alone.
    QWidget* control(Form1& window, const QString& name, int index);
};

QWidget* Form1LayoutTest::control(Form1& window, const QString& name, int index) {
    const QList<QWidget*> found = window.findChildren<QWidget*>(name);
    for (QWidget* widget : found) {
        if (index < 0 || widget->property("index").toInt() == index) return widget;
    }
    return nullptr;
}

void Form1LayoutTest::windowHasAFixedDialogFrame() {
    Form1 window;
    QCOMPARE(window.objectName(), QStringLiteral("Form1"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Norvane"));
    // 7305 x 4185 twips of client area.
    QCOMPARE(window.size(), QSize(487, 279));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::MSWindowsFixedSizeDialogHint);
    QCOMPARE(window.findChildren<QLabel*>(QStringLiteral("Label1")).size(), 2);
}

void Form1LayoutTest::controlSitsWhereTheTableSays_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");

    const QString field = QStringLiteral("QLineEdit"), button = QStringLiteral("QPushButton"),
                  list = QStringLiteral("QListView"), label = QStringLiteral("QLabel");
    auto row = [](const char* tag, const char* name, int index, const QString& kind, const char* text, QRect twips) {
        QTest::newRow(tag) << QString::fromLatin1(name) << index << kind << QString::fromLatin1(text) << twips;
    };
    row("txt_find", "txt_find", -1, field, "", {1590, 300, 2325, 375});
    row("Txt_replace", "Txt_replace", -1, field, "", {1590, 780, 2325, 375});
    row("CmdChange", "CmdChange", -1, button, "Repalce", {390, 1290, 825, 315});
    row("Dir1", "Dir1", -1, list, "", {390, 1860, 2595, 2115});
    row("File1", "File1", -1, list, "", {3030, 1860, 2385, 2040});
    row("Label1(0)", "Label1", 0, label, "Find", {690, 360, 765, 255});
    row("Label1(1)", "Label1", 1, label, "replace", {660, 840, 765, 255});
    row("Command1", "Command1", -1, button, "Change File Name", {1260, 1290, 1635, 315});
    row("Command2", "Command2", -1, button, "Change Extention", {2940, 1290, 1635, 315});
    row("CmdRemoveExt", "CmdRemoveExt", -1, button, "Remove Hider", {4620, 1290, 1635, 315});
}

void Form1LayoutTest::controlSitsWhereTheTableSays() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, twips);

    Form1 window;
    QWidget* widget = control(window, name, index);
    QVERIFY2(widget != nullptr, qPrintable(name));
    QVERIFY2(widget->inherits(kind.toLatin1().constData()), widget->metaObject()->className());
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(widget->geometry(), pixels);

    if (auto* field = qobject_cast<QLineEdit*>(widget)) QCOMPARE(field->text(), text);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->buddy(), nullptr);
    }
    if (auto* push = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(push->text(), text);
        QVERIFY(!push->isDefault());
        QVERIFY(!push->autoDefault());
        QVERIFY(push->shortcut().isEmpty());
    }
}

void Form1LayoutTest::focusStartsInFindAndTabFollowsTheTable() {
    Form1 window;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txt_find"));

    // The labels (tab index 5 and 6) take no focus.
    const QStringList order{QStringLiteral("Txt_replace"), QStringLiteral("CmdChange"), QStringLiteral("Dir1"),
                            QStringLiteral("File1"),       QStringLiteral("Command1"),  QStringLiteral("Command2"),
                            QStringLiteral("CmdRemoveExt"), QStringLiteral("txt_find")};
    QStringList visited;
    for (int step = 0; step < order.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order);
}

void Form1LayoutTest::windowShowsTheProgramsIcon() {
    nameApplication();
    Form1 window;
    const QIcon icon = window.windowIcon();
    for (const int size : {16, 32, 48, 256}) QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
    // The folder's yellow, not Qt's own icon.
    const QImage drawn = icon.pixmap(64, 64).toImage();
    QCOMPARE(drawn.pixelColor(8, 40).name(), QStringLiteral("#e8b84a"));
}

QTEST_MAIN(Form1LayoutTest)
#include "form1_layout_test.moc"
