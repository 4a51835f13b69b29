// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "announcer.h"

namespace {

// One announcement: appearing is what a screen reader speaks a notification
// on, so each is a new one.
class Notice : public QWidget {
public:
    Notice(QWidget* window, const QString& text) : QWidget(window) {
        setObjectName(QStringLiteral("announcement"));
        setAccessibleName(text);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 0, 0);
    }
};

} // namespace

Announcer::Announcer(QWidget* window) : QObject(window), window_(window) {}

void Announcer::announce(const QString& text) {
    if (latest_) latest_->deleteLater();
    latest_ = new Notice(window_, text);
    latest_->show();
}
