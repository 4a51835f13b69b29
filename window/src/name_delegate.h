// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStyledItemDelegate>

// Draws a file or folder name in its own order, whatever the layout's
// direction: in a right-to-left window '01.Beach_draft.jpg' must not show as
// 'Beach_draft.jpg.01', least of all beside "Remove Hider", which drops the
// first part. The name is isolated, taking its direction from its own first
// letter, as a name in Hebrew or Arabic does too. Only the drawing changes:
// what a screen reader reads is the name itself.
class NameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale& locale) const override;
};
