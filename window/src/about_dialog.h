// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QAction;
class QWidget;
class UndoMenu;

// "About Norvane": the version, the licence, and the licence's text with the
// notices of what the program carries, on a button. Shown from the file
// list's menu and by F1, anywhere in the window.
void addAboutAction(QWidget* window, UndoMenu& menu);
void showAbout(QWidget* parent);

// The text the notices button shows: this program's licence, then what it
// carries and under which licences.
QString noticesText();
