// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// For as long as it lives, input aimed at one window and its controls (mouse,
// wheel, keys, touch, drags, tooltips) is thrown away, not delivered later; a
// close request goes to the window, which stops its work and then closes. A run keeps the window's thread; whatever the user did
// meanwhile waits in the window system's queue and would otherwise act once
// the run is over. Other windows, such as a message box, get their input.
class InputGuard : public QObject {
public:
    explicit InputGuard(QWidget* window);
    // Drains the queue first, so nothing queued during the guard outlives it.
    ~InputGuard() override;
    InputGuard(const InputGuard&) = delete;
    InputGuard& operator=(const InputGuard&) = delete;

    // While any guard lives: delivers what the window system has queued, so
    // the guards eat what is aimed at their windows. Otherwise does nothing.
    static void drainQueuedInput();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool aimsAtGuardedWindow(QObject* target) const;

    QPointer<QWidget> window_;
};
