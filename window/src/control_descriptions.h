// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QWidget;

// Gives each of Form1's controls the name and description a screen reader
// reads: the fields are named after their labels, the lists "Folders" and
// "Files", each button after its caption, with what it does.
void describeControls(QWidget* form1);
