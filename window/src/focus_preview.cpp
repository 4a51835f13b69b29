// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "focus_preview.h"

#include "tooltip_text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QScreen>
#include <QToolTip>

#include <chrono>

namespace {

// Long enough to read a few lines; the tooltip goes sooner when the focus does.
constexpr int shownMs = 60000;

bool fromKeyboard(Qt::FocusReason reason) { return reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason; }

} // namespace

FocusPreview::FocusPreview(QObject* parent, std::function<void(const QString&)> speak)
    : QObject(parent), speak_(std::move(speak)) {
    rest_.setSingleShot(true);
    rest_.setInterval(restMs);
    connect(&rest_, &QTimer::timeout, this, &FocusPreview::rested);
}

FocusPreview::~FocusPreview() {
    if (running_.valid()) running_.wait();
}

void FocusPreview::watch(QWidget* button, std::function<Work()> snapshot) {
    snapshots_[button] = std::move(snapshot);
    button->installEventFilter(this);
    // Told when a batch's dialog or a box blocks the window, and when it goes.
    button->window()->installEventFilter(this);
    // A press starts a batch: what was worked out before it no longer holds.
    if (auto* pressable = qobject_cast<QAbstractButton*>(button))
        connect(pressable, &QAbstractButton::pressed, this, &FocusPreview::forget);
}

bool FocusPreview::eventFilter(QObject* watched, QEvent* event) {
    if (placing_) {
        // Qt's tooltip, about to appear: still unmapped, so it can be moved unseen.
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("qtooltip_label"))
            keepClearOfPointer(static_cast<QWidget*>(watched));
        return false;
    }
    if (!watched->isWidgetType() || !snapshots_.contains(static_cast<QWidget*>(watched))) {
        if (event->type() == QEvent::WindowBlocked) {
            // A batch under way, or a box: the list may change under any preview.
            blocked_ = true;
            forget();
        } else if (event->type() == QEvent::WindowUnblocked) {
            blocked_ = false;
            forget();
            if (button_ && button_->hasFocus()) rest_.start();
        }
        return false;
    }
    auto* button = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::FocusIn && fromKeyboard(static_cast<QFocusEvent*>(event)->reason())) {
        forget();
        button_ = button;
        rest_.start();
    } else if (event->type() == QEvent::FocusOut && button == button_) {
        forget();
        button_ = nullptr;
    }
    return false;
}

void FocusPreview::forget() {
    rest_.stop();
    ++generation_;
    if (!button_ || !describing_) return;
    button_->setAccessibleDescription(ownDescription_);
    QToolTip::hideText();
    describing_ = false;
}

void FocusPreview::rested() {
    if (blocked_ || !button_ || !button_->hasFocus()) return;
    const auto found = snapshots_.find(button_);
    if (found == snapshots_.end()) return;
    start(found->second(), generation_);
}

void FocusPreview::start(Work work, quint64 generation) {
    if (running_.valid() && running_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        waiting_.emplace(std::move(work), generation); // the latest request replaces any older one
        return;
    }
    running_ = std::async(std::launch::async, [this, work = std::move(work), generation] {
        const QString text = work();
        QMetaObject::invokeMethod(this, [this, generation, text] { finished(generation, text); }, Qt::QueuedConnection);
    });
}

void FocusPreview::finished(quint64 generation, const QString& text) {
    if (waiting_) {
        auto [work, waitingGeneration] = std::move(*waiting_);
        waiting_.reset();
        if (waitingGeneration == generation_) start(std::move(work), waitingGeneration);
    }
    if (generation != generation_ || blocked_ || !button_ || !button_->hasFocus()) return;
    if (!describing_) ownDescription_ = button_->accessibleDescription();
    describing_ = true;
    button_->setAccessibleDescription(withoutIsolates(text));
    placing_ = true;
    qApp->installEventFilter(this);
    QToolTip::showText(button_->mapToGlobal(QPoint(0, button_->height())), asTooltip(text), button_, QRect(), shownMs);
    qApp->removeEventFilter(this);
    placing_ = false;
    if (speak_) speak_(withoutIsolates(text));
}

void FocusPreview::keepClearOfPointer(QWidget* tip) const {
    const QPoint pointer = QCursor::pos();
    QRect placed = tip->frameGeometry();
    if (!button_ || !placed.contains(pointer)) return;
    // Above the button, else beside the pointer, on the pointer's screen.
    const QRect screen = tip->screen() ? tip->screen()->availableGeometry() : QRect();
    const QPoint above = button_->mapToGlobal(QPoint(0, 0)) - QPoint(0, placed.height() + 2);
    placed.moveTopLeft(above);
    if (placed.contains(pointer) || (!screen.isNull() && !screen.contains(placed))) {
        placed.moveTopLeft(pointer + QPoint(16, 16));
        if (!screen.isNull() && placed.right() > screen.right()) placed.moveRight(pointer.x() - 16);
        if (!screen.isNull() && placed.bottom() > screen.bottom()) placed.moveBottom(pointer.y() - 16);
    }
    tip->move(placed.topLeft());
}
