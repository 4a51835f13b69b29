// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIcon>

// Names the application as the desktop knows it: "Norvane", and the desktop
// entry's name, by which a desktop matches the window to its entry and icon,
// and gives its windows the program's own icon. Call once the QApplication
// exists, before the first window is shown.
void nameApplication();

// The program's icon, at the sizes window systems ask for.
QIcon applicationIcon();
