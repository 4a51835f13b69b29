// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/rename_run.h"

#include <QString>

class QFontMetrics;
class QWidget;

// The window's one kind of message: modal, titled "Norvane", one OK button,
// no icon, centred over the window once the desktop has placed it.
void showMessage(QWidget* parent, const QString& text);
// The same box with two answers: `act` (the default, Enter) and `keep`
// (Escape too). True when the user chose `act`.
bool askMessage(QWidget* parent, const QString& text, const QString& act, const QString& keep);

// `text` with every name, quoted or not, wider than `widest` shortened in the middle.
QString shortenedNames(const QString& text, const QFontMetrics& metrics, int widest);

// Lends that box to a run, for its "Done!".
class MessageBoxSink : public norvane::MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent) : parent_(parent) {}
    void show(const std::string& message) override;

private:
    QWidget* parent_;
};

// The busy cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
