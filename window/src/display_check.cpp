// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "display_check.h"

#include <QtGlobal>

std::optional<QString> missingDisplayMessage(const QString& program) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const bool hasDisplay = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                            !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!hasDisplay) {
        return QStringLiteral("norvane: there is no display to show its window on (neither DISPLAY nor WAYLAND_DISPLAY "
                              "is set); run it under a virtual display with 'xvfb-run %1', or set QT_QPA_PLATFORM=offscreen.")
            .arg(program);
    }
#else
    Q_UNUSED(program);
#endif
    return std::nullopt;
}
