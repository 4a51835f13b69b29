// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QAbstractItemView;
class QAction;
class QMenu;

// The file list's context menu, "Undo Rename", "Undo History..." and,
// after a separator, "About Norvane". The mouse opens it where it points; the
// Menu key and Shift+F10 open it at the current row with the first item
// already active, so that one Enter runs it.
class UndoMenu : public QObject {
    Q_OBJECT
public:
    UndoMenu(QAbstractItemView* list, QAction* undo);
    // Another item, below "Undo Rename" and a separator.
    void addAfterUndo(QAction* action) { after_ = action; }

    // The history of batches, under "Undo Rename".
    void setHistory(QAction* history) { history_ = history; }
    // Run right before the menu shows, so that its items tell what the journal holds now.
    void setBeforeOpening(std::function<void()> beforeOpening) { beforeOpening_ = std::move(beforeOpening); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open(QPoint at, bool fromKeyboard);
    void addUndoItems(QMenu& menu);
    QPoint keyboardPosition() const;

    QAbstractItemView* list_;
    QAction* undo_;
    QAction* history_ = nullptr;
    std::function<void()> beforeOpening_;
    QAction* after_ = nullptr;
};
