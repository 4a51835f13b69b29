// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "undo_menu.h"

#include <QAbstractItemView>
#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

UndoMenu::UndoMenu(QAbstractItemView* list, QAction* undo) : QObject(list), list_(list), undo_(undo) {
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
}

bool UndoMenu::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Qt turns neither key into a context menu on every platform; Windows users know Shift+F10 best.
        const bool menuKey = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        if (!menuKey && !shiftF10) return false;
        open(keyboardPosition(), true);
        return true;
    }
    if (event->type() == QEvent::ContextMenu) {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        const bool fromKeyboard = menu->reason() == QContextMenuEvent::Keyboard;
        open(fromKeyboard ? keyboardPosition() : menu->globalPos(), fromKeyboard);
        return true;
    }
    return false;
}

QPoint UndoMenu::keyboardPosition() const {
    QWidget* viewport = list_->viewport();
    const QRect row = list_->visualRect(list_->currentIndex()).intersected(viewport->rect());
    return viewport->mapToGlobal(row.isEmpty() ? viewport->rect().topLeft() : row.bottomLeft());
}

// The undo items, told afresh: another Norvane may have made or taken back a batch meanwhile.
void UndoMenu::addUndoItems(QMenu& menu) {
    if (beforeOpening_) beforeOpening_();
    menu.addAction(undo_);
    if (history_ != nullptr) menu.addAction(history_);
    // The undo's preview, as a button's tooltip tells what it would do.
    menu.setToolTipsVisible(true);
}

void UndoMenu::open(QPoint at, bool fromKeyboard) {
    QMenu menu(list_);
    addUndoItems(menu);
    if (after_) {
        menu.addSeparator();
        menu.addAction(after_);
    }
    // Made active once the menu is up: showing it starts with no item active.
    if (fromKeyboard) QTimer::singleShot(0, &menu, [&menu, this] { menu.setActiveAction(undo_); });
    menu.exec(at);
}
