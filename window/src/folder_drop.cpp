// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "folder_drop.h"

#include "engine_text.h"
#include "local_folder.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QWindow>

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

namespace {

// Qt keeps a drop's answer to the actions the source offered, so a source
// offering only "move" could only be answered "move". Drag and drop
// protocols let a target answer "copy" to any offer (XDND says so), and that
// is the answer here.
struct DropAnswer : QDropEvent {
    static void setCopy(QDropEvent* event) { event->*(&DropAnswer::m_dropAction) = Qt::CopyAction; }
};

void acceptAsLinkOrCopy(QDropEvent* event) {
    if (event->possibleActions() & Qt::LinkAction) event->setDropAction(Qt::LinkAction);
    else if (event->possibleActions() & Qt::CopyAction) event->setDropAction(Qt::CopyAction);
    else DropAnswer::setCopy(event);
    event->accept();
}

} // namespace

FolderDrop::FolderDrop(QWidget* window, std::function<void(const std::string&)> open)
    : QObject(window), window_(window), open_(std::move(open)) {
    window->setAcceptDrops(true);
    // Watched where the window system hands drags to the window, before Qt
    // passes them to a control and keeps them to the actions offered.
    QCoreApplication::instance()->installEventFilter(this);
}

bool FolderDrop::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    if (watched != window_->windowHandle()) return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const std::optional<std::string> folder = draggedFolder(drop->mimeData());
    if (!folder) return false; // text for a field, or nothing to open
    acceptAsLinkOrCopy(drop);
    // Opened once the drop is over: a box about an unreadable folder must
    // not keep the file manager waiting for the drop to finish.
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(this, [this, folder = *folder] { open_(folder); }, Qt::QueuedConnection);
    return true;
}
