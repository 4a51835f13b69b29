// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "message_box.h"

#include "engine_text.h"
#include "input_guard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include <algorithm>

namespace {

// A box shown in the middle of a run gets the ordinary cursor back while it is up.
class NormalCursor {
public:
    NormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursor() { QApplication::restoreOverrideCursor(); }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;
};

// A window shown a moment ago may not be placed by the desktop yet; a box
// centred on it then would sit at the screen's corner.
void waitUntilPlaced(QWidget* window) {
    if (window == nullptr || !window->isVisible() || window->windowHandle() == nullptr) return;
    constexpr qint64 placedWithinMs = 2000;
    QElapsedTimer waiting;
    waiting.start();
    while (!window->windowHandle()->isExposed() && waiting.elapsed() < placedWithinMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!window->windowHandle()->isExposed()) QThread::msleep(5);
    }
}

} // namespace

QString shortenedNames(const QString& text, const QFontMetrics& metrics, int widest) {
    // A quoted name as one, spaces and all; otherwise each run without spaces.
    static const QRegularExpression part(QStringLiteral("\"[^\"\n]+\"|\\S+"));
    QString result;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : part.globalMatch(text)) {
        result += text.mid(from, match.capturedStart() - from);
        from = match.capturedEnd();
        const QString found = match.captured();
        if (metrics.horizontalAdvance(found) <= widest) {
            result += found;
        } else if (found.size() > 2 && found.startsWith(QLatin1Char('"')) && found.endsWith(QLatin1Char('"'))) {
            result += QLatin1Char('"') + metrics.elidedText(found.mid(1, found.size() - 2), Qt::ElideMiddle, widest) + QLatin1Char('"');
        } else {
            result += metrics.elidedText(found, Qt::ElideMiddle, widest);
        }
    }
    return result + text.mid(from);
}

void showMessage(QWidget* parent, const QString& text) {
    QWidget* window = parent != nullptr ? parent->window() : nullptr;
    waitUntilPlaced(window);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Norvane"), text, QMessageBox::Ok, window);
    // File names may hold "<" or "&"; they are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    // A long name is shortened in the middle, where two names often agree,
    // so the box fits a small screen and the ends that differ show; the
    // whole text is under "Show Details".
    const QScreen* screen = window != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    const QFontMetrics metrics(box.font());
    int widest = metrics.averageCharWidth() * 40;
    if (screen != nullptr) widest = std::min(widest, screen->availableGeometry().width() / 3);
    const QString shortened = shortenedNames(text, metrics, widest);
    if (shortened != text) {
        box.setText(shortened);
        box.setDetailedText(text);
    }
    NormalCursor normal;
    // A key pressed during a run, still queued, must not answer the box.
    InputGuard::drainQueuedInput();
    box.exec();
}

bool askMessage(QWidget* parent, const QString& text, const QString& act, const QString& keep) {
    // Asked at start too (what a crash left): on the window once the desktop has placed it.
    QWidget* window = parent != nullptr ? parent->window() : nullptr;
    waitUntilPlaced(window);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Norvane"), text, QMessageBox::NoButton, window);
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
