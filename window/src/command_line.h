// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

// What the command line asks for, once Qt has taken its own options
// (-platform, -reverse, ...): "norvane [FOLDER]", where FOLDER may also be a
// file, which opens its folder, and "--" ends the options, for a name that
// starts with "-". "--help" and "--version" answer and end.
struct CommandLine {
    enum class Action { Open, Help, Version, Refuse };
    Action action = Action::Open;
    std::optional<std::string> path; // Open: the path as given, in the engine's text
    QString problem;                 // Refuse: what is wrong, in one line
};

CommandLine readCommandLine(const std::vector<std::string>& arguments);

// Whether the user asked for help or the version anywhere on the line, before
// a display is needed to take Qt's options off it.
std::optional<CommandLine::Action> earlyAnswer(const std::vector<std::string>& arguments);

QString usageText();
QString versionText();
// The program's copyright and licence, in one line.
QString licenceLine();
