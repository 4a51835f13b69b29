// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QLineEdit;
class QWidget;

// Ctrl+Z where it would otherwise do nothing says so, without a box. In the
// file list with nothing left to take back the window asks tell(); in "Find"
// or "replace" with no typing of the field's own to take back, Ctrl+Z tells
// what Ctrl+Z in the file list would take back, and does nothing. Each is
// a tooltip at the control and an announcement for a screen reader.
class UndoHint : public QObject {
    Q_OBJECT
public:
    // `fileList`: what Ctrl+Z in the file list would take back now, read
    // afresh. `window`: where Ctrl+Z that no control took ends up; `list`:
    // where its word shows when no control of the window has the focus.
    UndoHint(QWidget* window, QWidget* list, std::vector<QLineEdit*> fields, std::function<QString()> fileList,
             std::function<void(const QString&)> speak, QObject* parent);

    // Shows `text` at `control` for a while, and says it.
    void tell(QWidget* control, const QString& text);

    // How long the tooltip stays.
    static constexpr int shownMs = 10000;

signals:
    // Ctrl+Z that the window's own undo did not take (it is disabled), in the
    // file list or in a control that has no use for the key (the folder tree,
    // a button): `control` is where it was pressed.
    void undoAsked(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QWidget* list_;
    std::vector<QLineEdit*> fields_;
    std::function<QString()> fileList_;
    std::function<void(const QString&)> speak_;
};
