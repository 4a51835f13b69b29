// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Text for a tooltip, shown exactly as written on one line a row: a file name
// may hold "<" or "&", which a tooltip would otherwise take for markup. In a
// left-to-right program each row reads left to right, as the list does,
// whatever letter a name starts with.
QString asTooltip(const QString& text);

// A file or folder name to show in a window laid out `direction`: in a
// left-to-right window it reads left to right, as file managers show it
// ('009.טקסט' stays so); in a right-to-left window it takes its direction
// from its own first letter, so '01.Beach_draft.jpg' still reads as it is.
QString inOwnOrder(const QString& name, Qt::LayoutDirection direction);

// `text` without the marks inOwnOrder() adds, for what a screen reader reads.
QString withoutIsolates(QString text);
