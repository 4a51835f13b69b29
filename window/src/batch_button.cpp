// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch_button.h"

#include "tooltip_text.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

BatchButton::BatchButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    // A press starts a batch.
    connect(this, &QAbstractButton::pressed, this, &BatchButton::forgetPreview);
}

bool BatchButton::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !preview_) return QPushButton::event(event);
    // While a batch or a box holds the window the list may be half renamed.
    if (QApplication::activeModalWidget() != nullptr) return true;
    const quint64 generation = generation_;
    const QString text = preview_();
    // Worked out over a list that has changed since: it would tell of files as they no longer are.
    if (generation != generation_ || QApplication::activeModalWidget() != nullptr) return true;
    shown_ = asTooltip(text);
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shown_, this);
    return true;
}

void BatchButton::forgetPreview() {
    ++generation_;
    if (!shown_.isEmpty() && QToolTip::isVisible() && QToolTip::text() == shown_) QToolTip::hideText();
    shown_.clear();
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
