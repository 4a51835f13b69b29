// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "name_delegate.h"

namespace {

constexpr QChar firstStrongIsolate(0x2068);
constexpr QChar popDirectionalIsolate(0x2069);

} // namespace

QString NameDelegate::displayText(const QVariant& value, const QLocale& locale) const {
    return firstStrongIsolate + QStyledItemDelegate::displayText(value, locale) + popDirectionalIsolate;
}
