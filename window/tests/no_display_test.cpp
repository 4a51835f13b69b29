// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program started where there is no display at all.

#include "window_test_support.h"

#include <QProcess>
#include <QTest>

class NoDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void saysSoInOneLineAndFails() {
#ifdef Q_OS_WIN
        QSKIP("Windows always has a desktop; under Wine without an X display the program runs unseen instead of ending");
#endif
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(NORVANE_PROGRAM), {});
        QVERIFY(program.waitForFinished(30000));

        QCOMPARE(program.exitStatus(), QProcess::NormalExit); // not Qt's abort
        QVERIFY(program.exitCode() != 0);
        const QString said = QString::fromLocal8Bit(program.readAllStandardError()).trimmed();
        QCOMPARE(said.count(QLatin1Char('\n')), 0);
        QVERIFY2(said.contains(QStringLiteral("no display")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("xvfb-run")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("QT_QPA_PLATFORM=offscreen")), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(NoDisplayTest)
#include "no_display_test.moc"
