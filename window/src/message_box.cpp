// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "message_box.h"

#include "engine_text.h"
#include "input_guard.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

// A box shown in the middle of a run gets the ordinary cursor back while it is up.
class NormalCursor {
public:
    NormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursor() { QApplication::restoreOverrideCursor(); }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;
};

} // namespace

void showMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Norvane"), text, QMessageBox::Ok, parent);
    // File names may hold "<" or "&"; they are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    NormalCursor normal;
    // A key pressed during a run, still queued, must not answer the box.
    InputGuard::drainQueuedInput();
    box.exec();
}

bool askMessage(QWidget* parent, const QString& text, const QString& act, const QString& keep) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Norvane"), text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* acting = box.addButton(act, QMessageBox::AcceptRole);
    QPushButton* keeping = box.addButton(keep, QMessageBox::RejectRole);
    box.setDefaultButton(acting);
    box.setEscapeButton(keeping);
    NormalCursor normal;
    InputGuard::drainQueuedInput();
    box.exec();
    return box.clickedButton() == acting;
}

void MessageBoxSink::show(const std::string& message) { showMessage(parent_, toDisplayText(message)); }

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }
