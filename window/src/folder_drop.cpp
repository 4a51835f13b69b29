#include "folder_drop.h"

#include "engine_text.h"
#include "local_folder.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// The path's bytes straight from the address on POSIX: a name that is not
// UTF-8 comes through as the file system holds it, where a QString would lose it.
std::string localPath(const QUrl& url) {
#ifdef Q_OS_WIN
    return toEngineText(url.toLocalFile());
#else
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
#endif
}

} // namespace

std::optional<std::string> draggedFolder(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    for (const QUrl& url : data->urls()) {
        // A file on another machine is not one of this machine's folders.
        if (!url.isLocalFile() || !(url.host().isEmpty() || url.host() == QLatin1String("localhost"))) continue;
        if (auto found = localFolder(localPath(url)).folder) return found;
    }
    return std::nullopt;
}

FolderDrop::FolderDrop(QWidget* window, std::function<void(const std::string&)> open)
    : QObject(window), open_(std::move(open)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    // The fields take drops themselves; the other controls leave them to the window.
    for (QLineEdit* field : window->findChildren<QLineEdit*>()) field->installEventFilter(this);
}

bool FolderDrop::acceptAsLinkOrCopy(QDropEvent* event) {
    for (const Qt::DropAction action : {Qt::LinkAction, Qt::CopyAction}) {
        if (event->possibleActions() & action) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

bool FolderDrop::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!draggedFolder(drag->mimeData())) return false; // text for a field, or nothing to open
        acceptAsLinkOrCopy(drag);
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<std::string> folder = draggedFolder(drop->mimeData());
        if (!folder) return false;
        // Opened once the drop is over: a box about an unreadable folder must
        // not keep the file manager waiting for the drop to finish.
        if (acceptAsLinkOrCopy(drop))
            QMetaObject::invokeMethod(this, [this, folder = *folder] { open_(folder); }, Qt::QueuedConnection);
        return true;
    }
    default: return false;
    }
}
