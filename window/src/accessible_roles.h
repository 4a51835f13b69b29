// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The roles Qt cannot guess: Form1 is the program's main window, not a plain
// area; Dir1 is a tree of folders; the announcer is a notification. Call once
// before the window is made; calling again does nothing.
void installAccessibleRoles();
