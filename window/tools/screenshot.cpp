// Draws the window, opened at a folder, into a PNG: the README's picture.
//   xvfb-run norvane_screenshot FOLDER OUT.png
#include "form1.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Norvane"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: norvane_screenshot FOLDER OUT.png\n");
        return 2;
    }
    Form1 window;
    window.openFolder(QFile::encodeName(QString::fromLocal8Bit(argv[1])).toStdString());
    window.show();
    int status = 1;
    // Once the window has painted itself.
    QTimer::singleShot(300, &window, [&] {
        status = window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    return status;
}
