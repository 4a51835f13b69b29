// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// The window is laid out in twips for an 8-point font; 15 twips make one
// device-independent pixel, which Qt scales on high-density screens. Up to
// 10 points, the desktops' own default sizes, the window keeps the 8-point
// font and its size. A larger font is the user's choice, and the whole
// layout grows with it, every position and size by the font's size over 8
// points, so the proportions stay and no caption is cut.
class TwipsLayout {
public:
    explicit TwipsLayout(const QFont& userFont);

    double scale() const { return scale_; }
    // The font the window's controls use.
    QFont font() const { return font_; }

    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const;

    static constexpr double designPoints = 8.0;
    static constexpr double largestDefaultPoints = 10.0;

private:
    int pixels(int twips) const;

    double scale_ = 1.0;
    QFont font_;
};
