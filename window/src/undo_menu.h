// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPoint>

class QAbstractItemView;
class QAction;

// The file list's context menu, "Undo Rename" (and "About Norvane"). The mouse opens it where it
// points; the Menu key and Shift+F10 open it at the current row with the item
// already active, so that one Enter runs it.
class UndoMenu : public QObject {
    Q_OBJECT
public:
    UndoMenu(QAbstractItemView* list, QAction* undo);
    // Another item, below "Undo Rename" and a separator.
    void addAfterUndo(QAction* action) { after_ = action; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open(QPoint at, bool fromKeyboard);
    QPoint keyboardPosition() const;

    QAbstractItemView* list_;
    QAction* undo_;
    QAction* after_ = nullptr;
};
