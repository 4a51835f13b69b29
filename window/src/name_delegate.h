// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStyledItemDelegate>

// Draws a file or folder name in its own order: in a left-to-right window
// left to right, so '009.טקסט' does not show as 'טקסט.009'; in a
// right-to-left window '01.Beach_draft.jpg' must not show as
// 'Beach_draft.jpg.01', least of all beside "Remove Hider", which drops the
// first part, so there the name takes its direction from its own first
// letter. Only the drawing changes: what a screen reader reads is the name itself.
class NameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
