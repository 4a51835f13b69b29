// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/progress.h"

#include <QString>

class QWidget;

// What the box says of a file another program holds open.
QString heldFileText(const norvane::HeldFile& held);

// Asks, as Explorer does, whether to try the file again once the program
// holding it has let go, or to stop the batch there; the answer goes into `held`.
void askAboutHeldFile(QWidget* parent, norvane::HeldFile& held);
