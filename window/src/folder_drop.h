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

// Lets a folder dragged onto the window open there: on the window, the lists
// and the labels, and on the text fields too, which keep taking dragged text.
// It accepts the drop as a link or a copy, never as a move: the file manager
// must not take it that the folder was moved.
class FolderDrop : public QObject {
    Q_OBJECT
public:
    FolderDrop(QWidget* window, std::function<void(const std::string&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool acceptAsLinkOrCopy(QDropEvent* event);

    std::function<void(const std::string&)> open_;
};
