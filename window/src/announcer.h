// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// Tells a screen reader something that shows nowhere on the window, such as
// how many files a silent "Repalce" renamed: a notification with no size of
// its own, which a screen reader speaks as it appears. The latest stays, to
// be read again; it takes no focus and draws nothing.
class Announcer : public QObject {
    Q_OBJECT
public:
    explicit Announcer(QWidget* window);

    void announce(const QString& text);

private:
    QWidget* window_;
    QPointer<QWidget> latest_;
};
