// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// For the benchmarks that drive the window: notes when the first message box
// shows, and what it says, and closes every box at once. A progress window,
// which is no message box, is left alone. Only for programs that link Qt.

#include "norvane_bench/samples.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QString>
#include <QTimer>

#include <optional>

namespace norvane::bench {

class BoxWatcher final : public QObject {
public:
    BoxWatcher() { qApp->installEventFilter(this); }
    ~BoxWatcher() override { qApp->removeEventFilter(this); }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                if (!shownAt) {
                    shownAt = Clock::now();
                    text = box->text();
                }
                QTimer::singleShot(0, box, [box] { box->accept(); });
            }
        return false;
    }
    std::optional<Clock::time_point> shownAt;
    QString text;
};

} // namespace norvane::bench
