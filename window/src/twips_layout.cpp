// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "twips_layout.h"

#include <QFontInfo>

#include <cmath>

TwipsLayout::TwipsLayout(const QFont& userFont) : font_(userFont) {
    // A font given in pixels has its size in points only once it is matched.
    const double points = QFontInfo(userFont).pointSizeF();
    if (points > largestDefaultPoints) {
        scale_ = points / designPoints;
    } else if (points > designPoints) {
        font_.setPointSizeF(designPoints);
    }
}

int TwipsLayout::pixels(int twips) const { return static_cast<int>(std::lround(twips * scale_ / 15.0)); }

// Edges rounded, not sizes: controls that meet in the design still meet.
QRect TwipsLayout::rect(int left, int top, int width, int height) const {
    const int x = pixels(left), y = pixels(top);
    return {x, y, pixels(left + width) - x, pixels(top + height) - y};
}

QSize TwipsLayout::size(int width, int height) const { return {pixels(width), pixels(height)}; }
