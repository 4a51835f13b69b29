#include "folder_view.h"

#include <QKeyEvent>

FolderView::FolderView(QWidget* parent) : QListView(parent) {
    connect(this, &QAbstractItemView::doubleClicked, this, &FolderView::openRequested);
}

void FolderView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        event->accept();
        emit openRequested(currentIndex());
        return;
    }
    QListView::keyPressEvent(event);
}
