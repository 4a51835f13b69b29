// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "application_identity.h"

#include <QGuiApplication>
#include <QIcon>

void nameApplication() {
    QGuiApplication::setApplicationName(QStringLiteral("Norvane"));
    // The entry, the metainfo and the icon are all named after this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(NORVANE_APP_ID));
    QGuiApplication::setWindowIcon(applicationIcon());
}

// The icons are compiled into this library, whose linking keeps only what is
// called. Outside any namespace, as Qt's resource functions are.
static void loadIcons() { Q_INIT_RESOURCE(norvane_icons); }

QIcon applicationIcon() {
    loadIcons();
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) icon.addFile(QStringLiteral(":/icons/norvane-%1.png").arg(size));
    return icon;
}
