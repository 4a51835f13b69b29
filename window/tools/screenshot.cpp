// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the window, opened at a folder, into a PNG: the README's picture.
//   xvfb-run norvane_screenshot FOLDER OUT.png [FIND [REPLACE]]
#include "application_identity.h"
#include "form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    nameApplication();
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: norvane_screenshot FOLDER OUT.png [FIND [REPLACE]]\n");
        return 2;
    }
    Form1 window;
    window.openFolder(argv[1]); // the bytes as given: a path, never display text
    const char* fields[] = {"txt_find", "Txt_replace"};
    for (int field = 0; field < 2 && 3 + field < argc; ++field)
        window.findChild<QLineEdit*>(QString::fromLatin1(fields[field]))->setText(QString::fromLocal8Bit(argv[3 + field]));
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
