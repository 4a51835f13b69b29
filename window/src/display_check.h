// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

// Where Qt would abort for want of a display, the one line to say instead;
// nullopt where a window can be shown. `program` is how the user started it.
std::optional<QString> missingDisplayMessage(const QString& program);
