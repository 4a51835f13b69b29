// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the window starts: the command line, the folder a path names, and
// whether the program's own folder is an installed program's.

#include "command_line.h"
#include "local_folder.h"
#include "start_folder.h"
#include "window_test_support.h"

#include <QDir>
#include <QProcess>
#include <QTest>

using window_test::TempFolder;
using Arguments = std::vector<std::string>;
Q_DECLARE_METATYPE(Arguments)

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void readsTheCommandLine_data();
    void readsTheCommandLine();
    void pathNamesAFolder_data();
    void pathNamesAFolder();
    void installedProgramFolders();
    void theProgramRefusesWhatItCannotOpen_data();
    void theProgramRefusesWhatItCannotOpen();
};

void CommandLineTest::readsTheCommandLine_data() {
    QTest::addColumn<Arguments>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("path"); // or the start of the problem
    using A = CommandLine::Action;
    QTest::newRow("nothing") << Arguments{} << int(A::Open) << "";
    QTest::newRow("a folder") << Arguments{"Trip"} << int(A::Open) << "Trip";
    QTest::newRow("a name starting with -") << Arguments{"--", "-x"} << int(A::Open) << "-x";
    QTest::newRow("help") << Arguments{"Trip", "--help"} << int(A::Help) << "";
    QTest::newRow("version") << Arguments{"--version"} << int(A::Version) << "";
    QTest::newRow("two folders") << Arguments{"a", "b"} << int(A::Refuse) << "one folder at a time";
    QTest::newRow("unknown option") << Arguments{"--bogus"} << int(A::Refuse) << "unknown option \"--bogus\"";
    QTest::newRow("empty") << Arguments{""} << int(A::Refuse) << "an empty folder name";
}

void CommandLineTest::readsTheCommandLine() {
    QFETCH(Arguments, arguments);
    QFETCH(int, action);
    QFETCH(QString, path);
    const CommandLine line = readCommandLine(arguments);
    QCOMPARE(int(line.action), action);
    if (line.action == CommandLine::Action::Refuse) QVERIFY2(line.problem.startsWith(path), qPrintable(line.problem));
    else QCOMPARE(QString::fromStdString(line.path.value_or("")), path);
}

void CommandLineTest::pathNamesAFolder_data() {
    QTest::addColumn<QByteArray>("given"); // under the test folder; "" for the folder itself
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QByteArray>("opens"); // under the test folder; "-" for none
    QTest::newRow("folder") << QByteArray("inner") << false << QByteArray("inner");
    QTest::newRow("trailing separator") << QByteArray("inner/") << false << QByteArray("inner");
    QTest::newRow("a file opens its folder") << QByteArray("inner/x.txt") << false << QByteArray("inner");
    QTest::newRow("relative") << QByteArray("inner/../inner") << true << QByteArray("inner");
    QTest::newRow("name not UTF-8") << QByteArray("\xFF\xFEraw") << false << QByteArray("\xFF\xFEraw");
    QTest::newRow("missing") << QByteArray("gone") << false << QByteArray("-");
}

void CommandLineTest::pathNamesAFolder() {
    QFETCH(QByteArray, given);
    QFETCH(bool, relative);
    QFETCH(QByteArray, opens);
    if (!window_test::possibleName(given.toStdString()))
        QSKIP("Windows names are UTF-16: no name holds bytes that are not UTF-8");
    TempFolder folder;
    folder.addFolder("inner");
    if (window_test::possibleName("\xFF\xFEraw")) folder.addFolder("\xFF\xFEraw");
    std::ofstream(folder.path() / "inner" / "x.txt") << "x";
    const QString before = QDir::currentPath();
    if (relative) QDir::setCurrent(QString::fromStdString(folder.text()));
    const LocalFolder found = localFolder(relative ? given.toStdString()
                                                   : window_test::toUtf8(folder.path() / window_test::fromUtf8(given.toStdString())));
    QDir::setCurrent(before);
    if (opens == "-") {
        QVERIFY(!found.folder);
        QCOMPARE(QString::fromStdString(found.problem), QStringLiteral("No such file or directory"));
        return;
    }
    QCOMPARE(found.folder.value_or(""), window_test::toUtf8(folder.path() / window_test::fromUtf8(opens.toStdString())));
}

void CommandLineTest::installedProgramFolders() {
    TempFolder folder;
    folder.addFolder("programs/norvane");
    auto& disk = norvane::platform::nativeFileSystem();
    const std::string programs = (folder.path() / "programs").string();
    const std::string own = (folder.path() / "programs" / "norvane").string();
    QVERIFY(!isInstalledProgramFolder(own, true, {}, disk));                         // unpacked anywhere
    QVERIFY(isInstalledProgramFolder(own, false, {}, disk));                         // not the user's to write
    QVERIFY(isInstalledProgramFolder(own, true, {programs}, disk));                  // inside a program folder
    QVERIFY(isInstalledProgramFolder(own, true, {programs + "/norvane/.."}, disk));  // by identity, not spelling
    QVERIFY(!isInstalledProgramFolder(programs, true, {own}, disk));                 // above one is not inside
    QCOMPARE(parentFolder("/usr/bin"), std::optional<std::string>("/usr"));
    QCOMPARE(parentFolder("/usr"), std::optional<std::string>("/"));
    QCOMPARE(parentFolder("/"), std::nullopt);
#ifdef Q_OS_WIN
    QCOMPARE(parentFolder("C:\\Program Files"), std::optional<std::string>("C:\\"));
    QCOMPARE(parentFolder("C:\\"), std::nullopt);
#endif
}

void CommandLineTest::theProgramRefusesWhatItCannotOpen_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    QTest::newRow("two folders") << QStringList{"/tmp", "/usr"} << true << 2 << "one folder at a time: \"/tmp\" and \"/usr\"";
    QTest::newRow("unknown option") << QStringList{"--recursive"} << true << 2 << "unknown option \"--recursive\"";
    QTest::newRow("missing folder") << QStringList{"/no/such/folder"} << true << 2
                                    << "cannot open \"/no/such/folder\": No such file or directory";
    QTest::newRow("help, no display needed") << QStringList{"--help"} << false << 0 << "Usage: norvane [FOLDER]";
}

void CommandLineTest::theProgramRefusesWhatItCannotOpen() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(QString::fromLatin1(name));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
#ifdef Q_OS_WIN
    Q_UNUSED(display); // Windows always has a desktop, and the program links only its own platform.
#else
    if (display) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
#endif
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(NORVANE_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30000)); // no window waits for a user
    QCOMPARE(program.exitCode(), exitCode);
    const QString said = QString::fromLocal8Bit(program.readAllStandardOutput() + program.readAllStandardError());
    QVERIFY2(said.contains(says), qPrintable(said));
}

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
