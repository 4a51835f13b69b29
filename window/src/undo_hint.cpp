// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "undo_hint.h"

#include "tooltip_text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>

#include <algorithm>

UndoHint::UndoHint(QWidget* window, QWidget* list, std::vector<QLineEdit*> fields, std::function<QString()> fileList,
                   std::function<void(const QString&)> speak, QObject* parent)
    : QObject(parent), window_(window), list_(list), fields_(std::move(fields)), fileList_(std::move(fileList)),
      speak_(std::move(speak)) {
    window_->installEventFilter(this);
    for (QLineEdit* field : fields_) field->installEventFilter(this);
}

bool UndoHint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) return false;
    if (watched == window_) {
        // An enabled undo takes the key as a shortcut before any control sees
        // it; a disabled one leaves it to the control that has the focus, and
        // the list, the tree and the buttons, with no use for it, pass it up.
        QWidget* focused = QApplication::focusWidget();
        emit undoAsked(focused != nullptr && window_->isAncestorOf(focused) ? focused : list_);
        return true;
    }
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field == nullptr || std::find(fields_.begin(), fields_.end(), field) == fields_.end() || field->isUndoAvailable())
        return false;
    tell(field, fileList_());
    return true;
}

void UndoHint::tell(QWidget* control, const QString& text) {
    // Below the control, where the pointer seldom is; a tooltip under the pointer would go at once.
    QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), asTooltip(text), control, QRect(), shownMs);
    if (speak_) speak_(text);
}
