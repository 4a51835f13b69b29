// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QListView>

// Dir1's view: a double click or Enter on an entry asks to open it. A single
// click only selects, whatever the desktop's click setting. Coming into it,
// a screen reader is told which folder is current, not just the list. With
// the focus elsewhere its current folder is marked in a muted colour, so the
// view with the focus stands out in every style, Fusion's too.
class FolderView : public QListView {
    Q_OBJECT
public:
    explicit FolderView(QWidget* parent = nullptr);

    void reset() override;

signals:
    void openRequested(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void initViewItemOption(QStyleOptionViewItem* option) const override;
};
