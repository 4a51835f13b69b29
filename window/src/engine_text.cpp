// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine_text.h"

#include <QByteArray>
#include <QFile>

QString toDisplayText(std::string_view engineText) {
    const QByteArray bytes(engineText.data(), static_cast<qsizetype>(engineText.size()));
#ifdef Q_OS_WIN
    return QString::fromUtf8(bytes);
#else
    return QFile::decodeName(bytes);
#endif
}

std::string toEngineText(const QString& typed) {
#ifdef Q_OS_WIN
    const QByteArray bytes = typed.toUtf8();
#else
    const QByteArray bytes = QFile::encodeName(typed);
#endif
    return bytes.toStdString();
}
