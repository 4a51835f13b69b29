// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "command_line.h"

#include "engine_text.h"

#include <QCoreApplication>

// The catalogue's context for these sentences.
class CommandLineText {
    Q_DECLARE_TR_FUNCTIONS(CommandLineText)
};

namespace {

std::optional<CommandLine::Action> answerFor(const std::string& argument) {
    if (argument == "--help" || argument == "-h") return CommandLine::Action::Help;
    if (argument == "--version") return CommandLine::Action::Version;
    return std::nullopt;
}


} // namespace

std::optional<CommandLine::Action> earlyAnswer(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (auto answer = answerFor(argument)) return answer;
    }
    return std::nullopt;
}

CommandLine readCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && !argument.empty() && argument.front() == '-') {
            if (auto answer = answerFor(argument)) return {*answer, std::nullopt, {}};
            return {CommandLine::Action::Refuse, std::nullopt,
                    CommandLineText::tr("unknown option \"%1\"").arg(toDisplayText(argument))};
        }
        if (line.path) {
            return {CommandLine::Action::Refuse, std::nullopt,
                    CommandLineText::tr("one folder at a time: \"%1\" and \"%2\"").arg(toDisplayText(*line.path), toDisplayText(argument))};
        }
        if (argument.empty()) return {CommandLine::Action::Refuse, std::nullopt, CommandLineText::tr("an empty folder name")};
        line.path = argument;
    }
    return line;
}

QString usageText() {
    return CommandLineText::tr("Usage: norvane [FOLDER]\n"
              "Opens the window that renames every file of one folder in one batch, at FOLDER\n"
              "(a file opens the folder that holds it). Without FOLDER it opens the folder that\n"
              "holds the program or, for an installed program, your home folder.\n"
              "  --help     show this text\n"
              "  --version  show the version\n"
              "  --         end of options, for a folder whose name starts with \"-\"");
}

QString versionText() {
    return QStringLiteral("norvane " NORVANE_VERSION "\n") + licenceLine();
}

QString licenceLine() {
    return CommandLineText::tr("Copyright 2026 The Norvane developers. Free software under the GNU General Public License, version 3 or "
              "later (GPL-3.0-or-later), with no warranty.");
}
