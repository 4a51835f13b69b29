// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "progress_window.h"

#include "norvane/platform.h"

#include "engine_text.h"
#include "held_file_question.h"
#include "message_box.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>

namespace {

constexpr qint64 showAfterMs = 500; // a shorter batch looks as it always did
constexpr qint64 drawEveryMs = 50;

} // namespace

ProgressWindow::ProgressWindow(QWidget* window, QString doing) : window_(window), doing_(std::move(doing)) { started_.start(); }

ProgressWindow::~ProgressWindow() = default;

norvane::ProgressCallback ProgressWindow::callback() {
    return [this](const norvane::BatchProgress& progress) { return report(progress); };
}

bool ProgressWindow::report(const norvane::BatchProgress& progress) {
    // The window closed, or the session ending, stops the batch as Cancel does.
    if (cancelled_ || norvane::platform::endingRequested()) return false;
    if (progress.stage == norvane::BatchProgress::Stage::Held && progress.held) {
        askAboutHeldFile(window_, *progress.held);
        return !norvane::platform::endingRequested();
    }
    if (!dialog_) {
        if (started_.elapsed() < showAfterMs) return true;
        dialog_ = std::make_unique<QProgressDialog>(window_);
        dialog_->setWindowTitle(QStringLiteral("Norvane"));
        // A screen reader names the dialog after what it shows the progress of.
        dialog_->setAccessibleName(doing_);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        QObject::connect(dialog_.get(), &QProgressDialog::canceled, [this] { cancelled_ = true; });
        dialog_->show();
        wasShown_ = true;
    } else if (drawn_.isValid() && drawn_.elapsed() < drawEveryMs) {
        return true;
    }
    drawn_.start();
    // Both stages share one bar: the check is the first tenth of the way.
    const int total = 1000;
    const double share = progress.total == 0 ? 1.0 : static_cast<double>(progress.done) / static_cast<double>(progress.total);
    const bool moving = progress.stage == norvane::BatchProgress::Stage::Moving;
    dialog_->setRange(0, total);
    dialog_->setLabelText(text(progress));
    dialog_->setValue(static_cast<int>((moving ? 100 + 900 * share : 100 * share)));
    // Painting, the desktop's requests and the dialog's own buttons; the
    // window's input is eaten by its guard meanwhile.
    QCoreApplication::processEvents(QEventLoop::AllEvents, drawEveryMs / 2);
    return !cancelled_;
}

QString ProgressWindow::text(const norvane::BatchProgress& progress) const {
    const QLocale locale;
    const QString counts = QCoreApplication::translate("Form1", "%1 of %2 files")
                               .arg(locale.toString(static_cast<qulonglong>(progress.done)),
                                    locale.toString(static_cast<qulonglong>(progress.total)));
    if (progress.stage == norvane::BatchProgress::Stage::Checking)
        return QCoreApplication::translate("Form1", "Checking %1 before moving any").arg(counts);
    return doing_ + QLatin1Char(' ') + counts;
}

void ProgressWindow::close() {
    if (dialog_) dialog_->close();
    dialog_.reset();
}

void ProgressWindow::show(const std::string& message) {
    spoke_ = true;
    close();
    showMessage(window_, toDisplayText(message));
}
