// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch_button.h"

#include "tooltip_text.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

BatchButton::BatchButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

bool BatchButton::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !preview_) return QPushButton::event(event);
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), asTooltip(preview_()), this);
    return true;
}

void BatchButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) secondPress_ = false;
    QPushButton::mousePressEvent(event);
}

void BatchButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QPushButton::mouseDoubleClickEvent(event);
        return;
    }
    // Qt would press the button here, and where the second press came
    // through as well it is down already: either way the release must find
    // it up, so that it does not click.
    secondPress_ = true;
    setDown(false);
    event->accept();
}

void BatchButton::mouseMoveEvent(QMouseEvent* event) {
    // Sliding off and back on would put it down again.
    if (secondPress_) {
        event->accept();
        return;
    }
    QPushButton::mouseMoveEvent(event);
}

void BatchButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) secondPress_ = false;
    QPushButton::mouseReleaseEvent(event);
}
