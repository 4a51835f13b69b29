// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A box with long names fits a small screen, keeps the ends of the names
// that differ, and holds the whole text under "Show Details".

#include "message_box.h"
#include "window_test_support.h"

#include <QMessageBox>
#include <QTest>

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void longNamesAreShortenedInTheMiddle_data();
    void longNamesAreShortenedInTheMiddle();
};

void MessageBoxTest::longNamesAreShortenedInTheMiddle_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shortened");
    const QString stem(251, QLatin1Char('a'));
    QTest::newRow("two long quoted names")
        << QStringLiteral("Cannot rename \"%1.txt\" (file 1 of 2) to \"%1.bak\": a file of that name is already there.").arg(stem)
        << true;
    QTest::newRow("a long name unquoted") << QStringLiteral("Renamed %1.txt.").arg(stem) << true;
    QTest::newRow("short names") << QStringLiteral("Cannot rename \"a.txt\" (file 1 of 2) to \"a.bak\".") << false;
}

void MessageBoxTest::longNamesAreShortenedInTheMiddle() {
    QFETCH(QString, text);
    QFETCH(bool, shortened);
    QWidget window;
    window.resize(487, 279);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QString shown;
    QString details;
    int width = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        shown = box->text();
        details = box->detailedText();
        width = box->frameGeometry().width();
        box->button(QMessageBox::Ok)->click();
    });
    answer.start(10);
    showMessage(&window, text);

    QVERIFY2(width > 0 && width <= 1024, qPrintable(QString::number(width)));
    if (!shortened) {
        QCOMPARE(shown, text);
        QCOMPARE(details, QString());
        return;
    }
    QVERIFY2(shown.size() < text.size() && shown.contains(QChar(0x2026)), qPrintable(shown));
    // The start and the end of every name are still there.
    for (const QString& end : {QStringLiteral(".txt"), QStringLiteral(".bak")})
        QCOMPARE(shown.count(end), text.count(end));
    QVERIFY(shown.startsWith(text.left(text.indexOf(QLatin1String("aaaa")) + 4)));
    QCOMPARE(details, text);
}

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
