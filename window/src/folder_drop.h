// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QDropEvent;
class QMimeData;
class QWidget;

// The folder a drag from a file manager names, in the engine's text: a
// dragged folder itself, a dragged file's folder. nullopt when the drag holds
// no local file or folder that is there.
std::optional<std::string> draggedFolder(const QMimeData* data);

// Lets a folder dragged onto the window open there, wherever on the window it
// is dropped; the text fields keep taking dragged text. Whatever a file
// manager offers, copy, link or only move, the drop is accepted and answered
// as a link or a copy, never as a move: the file manager must not take it
// that the folder went anywhere, and delete it.
class FolderDrop : public QObject {
    Q_OBJECT
public:
    FolderDrop(QWidget* window, std::function<void(const std::string&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void(const std::string&)> open_;
};
