// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tooltip_text.h"

#include <QGuiApplication>

namespace {

constexpr QChar leftToRightIsolate(0x2066);
constexpr QChar firstStrongIsolate(0x2068);
constexpr QChar popDirectionalIsolate(0x2069);

} // namespace

QString asTooltip(const QString& text) {
    // Without a direction of its own, a row takes it from its first letter.
    const QString direction = QGuiApplication::isLeftToRight() ? QStringLiteral(" dir='ltr'") : QString();
    return QStringLiteral("<p%1 style='white-space:pre'>").arg(direction) + text.toHtmlEscaped() + QStringLiteral("</p>");
}

QString inOwnOrder(const QString& name, Qt::LayoutDirection direction) {
    return (direction == Qt::RightToLeft ? firstStrongIsolate : leftToRightIsolate) + name + popDirectionalIsolate;
}

QString withoutIsolates(QString text) {
    text.removeIf([](QChar character) { return character.unicode() >= 0x2066 && character.unicode() <= 0x2069; });
    return text;
}
