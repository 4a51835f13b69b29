// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Text for a tooltip, shown exactly as written on one line a row: a file name
// may hold "<" or "&", which a tooltip would otherwise take for markup.
QString asTooltip(const QString& text);
