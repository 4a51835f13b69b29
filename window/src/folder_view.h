#pragma once

#include <QListView>

// Dir1's view: a double click or Enter on an entry asks to open it. A single
// click only selects, whatever the desktop's click setting.
class FolderView : public QListView {
    Q_OBJECT
public:
    explicit FolderView(QWidget* parent = nullptr);

signals:
    void openRequested(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
