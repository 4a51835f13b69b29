// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPushButton>

#include <functional>

// One of the four buttons, each of which renames the whole folder: nobody
// double-clicks to run a batch twice, so the second press of a double click
// is no click. A separate click later is one, as always.
class BatchButton : public QPushButton {
    Q_OBJECT
public:
    BatchButton(const QString& text, QWidget* parent);

    // The tooltip: what the button would do now, asked for only when the
    // pointer rests on it, never while the texts are typed.
    void setPreview(std::function<QString()> preview) { preview_ = std::move(preview); }

    // The list or the texts changed, or a batch starts: a preview worked out
    // before is no longer true, and one shown goes.
    void forgetPreview();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<QString()> preview_;
    quint64 generation_ = 0; // of the list the preview is worked out over
    QString shown_;          // the tooltip this button showed last
    // The left button is held down for the second press of a double click.
    bool secondPress_ = false;
};
