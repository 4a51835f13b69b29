// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A drag source such as a file manager whose plain drag offers only "move"
// (as Xfe's does): a window that, pressed, drags the one folder it was given
// and prints how the drop was answered ("move", "copy", "link" or "ignore").
// A source that gets "move" back deletes what it dragged; this one only says so.
//   drag_source FOLDER

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QUrl folder) : folder_(std::move(folder)) {
        setWindowTitle(QStringLiteral("drag source"));
        setGeometry(600, 100, 120, 120);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        data->setUrls({folder_});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction answered = drag->exec(Qt::MoveAction, Qt::MoveAction);
        const char* name = answered == Qt::MoveAction ? "move"
                         : answered == Qt::CopyAction ? "copy"
                         : answered == Qt::LinkAction ? "link"
                                                      : "ignore";
        std::printf("%s\n", name);
        std::fflush(stdout);
        // The target asks for the dragged data once it has the drop: stay to hand it over.
        QTimer::singleShot(3000, qApp, &QApplication::quit);
    }

private:
    QUrl folder_;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) return 2;
    DragSource source(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    source.show();
    return QApplication::exec();
}
