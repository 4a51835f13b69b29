// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The window's language: its catalogues, built into the program, and Qt's own
// where the system has them.

#include <QLocale>

// Installs the catalogues for `locale`'s languages, in place of any installed
// for another; English's own (its singular forms) is always asked last. Once
// a QCoreApplication exists; the same locale again changes nothing.
void installTranslations(const QLocale& locale);
