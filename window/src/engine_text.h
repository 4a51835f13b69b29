// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The engine's text is bytes as the file system takes them on POSIX and UTF-8
// on Windows. These two are the window's only crossings between that and
// QString; display text is never turned back into a file name.

#include <QString>

#include <string>
#include <string_view>

// A name, path or message from the engine, for display.
QString toDisplayText(std::string_view engineText);

// What the user typed, for the engine.
std::string toEngineText(const QString& typed);
