// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "application_identity.h"
#include "command_line.h"
#include "display_check.h"
#include "engine_text.h"
#include "form1.h"
#include "local_folder.h"
#include "message_box.h"
#include "translations.h"

#include "norvane/session.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Command-line errors, as usage errors go.
constexpr int refused = 2;

void say(std::FILE* stream, const QString& text) {
    const bool printed = std::fprintf(stream, "%s\n", text.toLocal8Bit().constData()) > 0 && std::fflush(stream) == 0;
#ifdef Q_OS_WIN
    // A Windows program started without a console (from a shortcut, Explorer)
    // has nowhere to print: there, and only there, it says it in a box.
    if (!printed && QCoreApplication::instance() != nullptr) showMessage(nullptr, text);
#else
    Q_UNUSED(printed);
#endif
}

int answer(CommandLine::Action action) {
    say(stdout, action == CommandLine::Action::Help ? usageText() : versionText());
    return 0;
}

// The arguments after the program's name, in the engine's text: on POSIX the
// bytes as given, so a folder whose name is not UTF-8 still opens.
std::vector<std::string> argumentsOf(int argc, char* argv[]) {
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    std::vector<std::string> arguments;
    if (QCoreApplication::instance() != nullptr)
        for (const QString& argument : QCoreApplication::arguments().mid(1)) arguments.push_back(toEngineText(argument));
    return arguments;
#else
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
}

} // namespace

int main(int argc, char* argv[]) {
#ifndef Q_OS_WIN
    // Help and the version need no display; on Windows the arguments are read through Qt.
    if (const auto early = earlyAnswer(argumentsOf(argc, argv))) return answer(*early);
#endif
    // "-platform offscreen" and the like choose where the window goes, display or not.
    const std::vector<std::string> given = argumentsOf(argc, argv);
    const bool platformChosen = std::find_if(given.begin(), given.end(), [](const std::string& argument) {
                                    return argument == "-platform" || argument == "--platform";
                                }) != given.end();
    if (const auto message = platformChosen ? std::nullopt : missingDisplayMessage(QString::fromLocal8Bit(argc > 0 ? argv[0] : "norvane"))) {
        say(stderr, *message);
        return 1;
    }
    // Large batches reuse the memory the last one freed; the end of the
    // session stops a batch between two moves and closes the window.
    norvane::Session::prepareProcess();
    // Qt takes its own options (-platform, -reverse, ...) off argc and argv.
    QApplication application(argc, argv);
    nameApplication();
    installTranslations(QLocale::system());
    const CommandLine line = readCommandLine(argumentsOf(argc, argv));
    if (line.action == CommandLine::Action::Refuse) {
        say(stderr, QCoreApplication::translate("CommandLineText", "norvane: %1. Usage: norvane [FOLDER]; norvane --help says more.").arg(line.problem));
        return refused;
    }
    if (line.action != CommandLine::Action::Open) return answer(line.action);
    std::unique_ptr<Form1> window;
    if (line.path) {
        const LocalFolder found = localFolder(*line.path);
        if (!found.folder) {
            say(stderr, QCoreApplication::translate("CommandLineText", "norvane: cannot open \"%1\": %2.")
                            .arg(toDisplayText(*line.path), toDisplayText(found.problem)));
            return refused;
        }
        window = std::make_unique<Form1>(*found.folder);
    } else {
        window = std::make_unique<Form1>();
    }
    window->show();
    QObject::connect(&application, &QGuiApplication::commitDataRequest, [] { norvane::Session::end(); });
    QTimer ending;
    // A batch under way stops at its next report and closes the window itself;
    // a box that waits for an answer is left with the rest: every loop ends.
    QObject::connect(&ending, &QTimer::timeout, window.get(), [&window] {
        if (!norvane::Session::ending()) return;
        window->close();
        QCoreApplication::quit();
    });
    ending.start(250);
    return QApplication::exec();
}
