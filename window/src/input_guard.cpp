// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "input_guard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace {

int liveGuards = 0;

bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::ToolTip:
    case QEvent::WhatsThis:
    case QEvent::QueryWhatsThis:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::Gesture:
    case QEvent::NativeGesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

InputGuard::InputGuard(QWidget* window) : window_(window) {
    ++liveGuards;
    QCoreApplication::instance()->installEventFilter(this);
}

InputGuard::~InputGuard() {
    drainQueuedInput();
    QCoreApplication::instance()->removeEventFilter(this);
    --liveGuards;
}

void InputGuard::drainQueuedInput() {
    if (liveGuards == 0) return;
    // Delivers Qt's queue, then, where the platform can, makes a round trip to
    // the window system, so that everything the user did until now has
    // arrived, and delivers that too.
    QGuiApplication::sync();
}

bool InputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (!isInput(event->type()) || !aimsAtGuardedWindow(watched)) return false;
    // A close reaches the window, which keeps itself open while the work
    // lasts and asks the work to stop between two moves, then closes.
    if (event->type() == QEvent::Close) return false;
    // Anything else counts as handled, so nothing falls back to another way of delivering it.
    event->accept();
    return true;
}

bool InputGuard::aimsAtGuardedWindow(QObject* target) const {
    if (window_ == nullptr || target == nullptr) return false;
    // The window system's events reach the window's QWindow first, Qt's own
    // (and synthesised ones) the widget itself.
    if (target->isWidgetType()) return static_cast<QWidget*>(target)->window() == window_;
    if (target->isWindowType()) return target == window_->windowHandle();
    return false;
}
