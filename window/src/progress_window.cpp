// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "progress_window.h"

#include "norvane/session.h"

#include "engine_text.h"
#include "held_file_question.h"
#include "message_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPointer>
#include <QProgressDialog>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <functional>
#include <limits>

namespace {

constexpr qint64 showAfterMs = 500; // a shorter batch looks as it always did
constexpr qint64 drawEveryMs = 50;
// How long the dialog waits for the desktop to map it before the batch goes on.
constexpr qint64 mapWithinMs = 1000;

// Escape stops the batch whichever of its windows the desktop gave the
// keyboard to: a dialog shown during a slow move may not be active yet, and
// the window's own keys are thrown away by its guard. A click on the window
// makes some desktops give it the keyboard, though the dialog blocks it, and
// Qt drops a blocked window's keys before anyone sees them: the keyboard goes
// back to the dialog.
class EscapeWatch : public QObject {
public:
    EscapeWatch(QWidget* window, QWidget* dialog, std::function<bool(QObject*)> ours, std::function<void()> cancel)
        : window_(window), dialog_(dialog), ours_(std::move(ours)), cancel_(std::move(cancel)) {
        qApp->installEventFilter(this); // before the window's guard, which was there first
    }
    ~EscapeWatch() override { qApp->removeEventFilter(this); }
    EscapeWatch(const EscapeWatch&) = delete;
    EscapeWatch& operator=(const EscapeWatch&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate && watched == window_ && dialog_ && dialog_->isVisible()) {
            dialog_->activateWindow();
            return false;
        }
        if (event->type() != QEvent::KeyPress || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel) || !ours_(watched))
            return false;
        cancel_();
        return true;
    }

private:
    QWidget* window_;
    QPointer<QWidget> dialog_;
    std::function<bool(QObject*)> ours_;
    std::function<void()> cancel_;
};

// The text with its digits as wide as the font's widest, for the room the
// counts can take as they grow.
QString widestDigits(QString text, const QFontMetrics& metrics, const QLocale& locale) {
    QString widest = locale.toString(0);
    for (int digit = 1; digit <= 9; ++digit) {
        const QString candidate = locale.toString(digit);
        if (metrics.horizontalAdvance(candidate) > metrics.horizontalAdvance(widest)) widest = candidate;
    }
    for (QChar& character : text)
        if (character.isDigit() && widest.size() == 1) character = widest.front();
    return text;
}

} // namespace

ProgressWindow::ProgressWindow(QWidget* window, QString doing) : window_(window), doing_(std::move(doing)) { started_.start(); }

ProgressWindow::~ProgressWindow() = default;

norvane::ProgressCallback ProgressWindow::callback() {
    return [this](const norvane::BatchProgress& progress) { return report(progress); };
}

bool ProgressWindow::report(const norvane::BatchProgress& progress) {
    // The window closed, or the session ending, stops the batch as Cancel does.
    if (cancelled_ || norvane::Session::ending()) return false;
    if (progress.stage == norvane::BatchProgress::Stage::Held && progress.held) {
        askAboutHeldFile(window_, *progress.held);
        return !norvane::Session::ending();
    }
    if (!dialog_) {
        if (started_.elapsed() < showAfterMs) return true;
        open(progress);
    } else if (drawn_.isValid() && drawn_.elapsed() < drawEveryMs) {
        return true;
    }
    drawn_.start();
    draw(progress);
    // Painting, the desktop's requests and the dialog's own buttons; the
    // window's input is eaten by its guard meanwhile.
    QCoreApplication::processEvents(QEventLoop::AllEvents, drawEveryMs / 2);
    return !cancelled_;
}

void ProgressWindow::open(const norvane::BatchProgress& progress) {
    dialog_ = std::make_unique<QProgressDialog>(window_);
    label_ = new QLabel(dialog_.get());
    dialog_->setLabel(label_);
    bar_ = new QProgressBar(dialog_.get());
    dialog_->setBar(bar_);
    dialog_->setWindowTitle(QStringLiteral("Norvane"));
    // A screen reader names the dialog after what it shows the progress of.
    dialog_->setAccessibleName(doing_);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] { cancel(); });

    // Wide enough for the longest text of either stage in this font, so
    // the text never runs past the edge as the counts grow.
    const QLocale locale;
    int width = 0;
    for (const auto stage : {norvane::BatchProgress::Stage::Checking, norvane::BatchProgress::Stage::Moving}) {
        label_->setText(widestDigits(text({stage, progress.total, progress.total}), label_->fontMetrics(), locale));
        width = std::max(width, dialog_->sizeHint().width());
    }
    if (const QScreen* screen = window_ ? window_->screen() : nullptr) width = std::min(width, screen->availableGeometry().width());
    dialog_->setMinimumWidth(width);
    draw(progress);
    dialog_->show();
    wasShown_ = true;
    escape_ = std::make_unique<EscapeWatch>(
        window_, dialog_.get(),
        [this](QObject* target) {
            auto* widget = qobject_cast<QWidget*>(target);
            return widget != nullptr && (widget->window() == window_ || widget->window() == dialog_.get());
        },
        [this] { cancel(); });

    // Drawn before the batch goes on: the next report may be seconds away
    // on a slow card, and a mapped but unpainted dialog looks hung.
    dialog_->raise();
    dialog_->activateWindow();
    QElapsedTimer mapping;
    mapping.start();
    const QWindow* handle = dialog_->windowHandle();
    while (handle != nullptr && !handle->isExposed() && mapping.elapsed() < mapWithinMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!handle->isExposed()) QThread::msleep(5);
    }
    dialog_->repaint();
}

void ProgressWindow::draw(const norvane::BatchProgress& progress) {
    // The text and the bar from the same report, stage by stage: the bar is
    // as far along as the count says. A count beyond the bar's range is
    // scaled down, both ends alike.
    const std::size_t total = std::max<std::size_t>(progress.total, 1);
    const std::size_t done = progress.total == 0 ? 1 : std::min(progress.done, progress.total);
    int shift = 0;
    while ((total >> shift) > static_cast<std::size_t>(INT_MAX)) ++shift;
    dialog_->setLabelText(text(progress));
    dialog_->setRange(0, static_cast<int>(total >> shift));
    dialog_->setValue(static_cast<int>(done >> shift));
    // The bar repaints itself only once it has moved by a hundredth, so its
    // percentage could lag the count: it is drawn again with the text.
    bar_->update();
}

QString ProgressWindow::text(const norvane::BatchProgress& progress) const {
    const QLocale locale;
    // The total chooses the form ("1 file"); the numbers themselves are
    // written by the locale, which holds counts past an int.
    const int form = static_cast<int>(std::min<std::size_t>(progress.total, std::numeric_limits<int>::max()));
    const QString counts = QCoreApplication::translate("Form1", "%1 of %2 files", nullptr, form)
                               .arg(locale.toString(static_cast<qulonglong>(progress.done)),
                                    locale.toString(static_cast<qulonglong>(progress.total)));
    if (progress.stage == norvane::BatchProgress::Stage::Checking)
        return QCoreApplication::translate("Form1", "Checking %1 before moving any").arg(counts);
    return doing_ + QLatin1Char(' ') + counts;
}

void ProgressWindow::close() {
    escape_.reset();
    if (dialog_) dialog_->close();
    label_ = nullptr;
    bar_ = nullptr;
    dialog_.reset();
}

void ProgressWindow::show(const std::string& message) {
    spoke_ = true;
    close();
    showMessage(window_, toDisplayText(message));
}
