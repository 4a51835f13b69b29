// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "folder_view.h"

#include "folder_tree_accessible.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>

FolderView::FolderView(QWidget* parent) : QListView(parent) {
    connect(this, &QAbstractItemView::doubleClicked, this, &FolderView::openRequested);
}

void FolderView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        event->accept();
        emit openRequested(currentIndex());
        return;
    }
    QListView::keyPressEvent(event);
}

void FolderView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    // Qt tells only of the current row changing while the view has the
    // focus. Told once the view's own focus has been told, so the row is
    // what a screen reader is left on.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!QAccessible::isActive() || !hasFocus() || !currentIndex().isValid()) return;
            QAccessibleEvent focus(this, QAccessible::Focus);
            focus.setChild(currentIndex().row());
            QAccessible::updateAccessibility(&focus);
        },
        Qt::QueuedConnection);
}

void FolderView::initViewItemOption(QStyleOptionViewItem* option) const {
    QListView::initViewItemOption(option);
    if (hasFocus()) return;
    // Without the focus the rows are drawn from the inactive colours, which
    // some styles give the same highlight as the active ones.
    option->palette.setColor(QPalette::Inactive, QPalette::Highlight, option->palette.color(QPalette::Inactive, QPalette::Button));
    option->palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                             option->palette.color(QPalette::Inactive, QPalette::ButtonText));
}

void FolderView::reset() {
    QListView::reset();
    if (auto* tree = dynamic_cast<FolderTreeAccessible*>(QAccessible::queryAccessibleInterface(this))) tree->forgetItems();
}
