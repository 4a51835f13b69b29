// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/progress.h"
#include "norvane/rename_run.h"

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QLabel;
class QProgressBar;
class QObject;
class QProgressDialog;
class QWidget;

// Shows how a long batch goes, and lets the user stop it. A batch shorter than
// half a second shows nothing; a longer one gets a modal dialog over the
// window saying how far it is, with a Cancel button (Escape too, wherever the
// desktop left the keyboard), and the window goes on painting and answering
// the desktop, at most every 50 ms. The window's own input stays with its
// InputGuard the whole time. The text and the bar are drawn from one report,
// and the dialog is wide enough for the widest text the batch can reach.
// It also shows the batch's messages ("Done!"), out of their way first.
class ProgressWindow : public norvane::MessageSink {
public:
    // `doing`: what a moving file undergoes, "Renaming" or "Putting back".
    ProgressWindow(QWidget* window, QString doing);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // For the engine: reports, and whether to go on.
    norvane::ProgressCallback callback();

    bool wasShown() const { return wasShown_; }
    // Whether the batch showed a message ("Done!").
    bool spoke() const { return spoke_; }
    void close();

    void show(const std::string& message) override;

private:
    bool report(const norvane::BatchProgress& progress);
    void open(const norvane::BatchProgress& progress);
    void draw(const norvane::BatchProgress& progress);
    QString text(const norvane::BatchProgress& progress) const;
    void cancel() { cancelled_ = true; }

    QWidget* window_;
    QString doing_;
    QElapsedTimer started_;
    QElapsedTimer drawn_;
    std::unique_ptr<QProgressDialog> dialog_;
    QLabel* label_ = nullptr;     // the dialog's
    QProgressBar* bar_ = nullptr; // the dialog's
    std::unique_ptr<QObject> escape_;
    bool wasShown_ = false;
    bool cancelled_ = false;
    bool spoke_ = false;
};
