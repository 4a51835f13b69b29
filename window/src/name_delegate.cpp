// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "name_delegate.h"

#include "tooltip_text.h"

void NameDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->features.testFlag(QStyleOptionViewItem::HasDisplay)) option->text = inOwnOrder(option->text, option->direction);
}
