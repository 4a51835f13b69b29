#include "application_identity.h"

#include <QGuiApplication>

void nameApplication() {
    QGuiApplication::setApplicationName(QStringLiteral("Norvane"));
    // The entry, the metainfo and the icon are all named after this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(NORVANE_APP_ID));
}
