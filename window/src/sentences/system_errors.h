// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What stood in the way, as the system said it or as the engine found it, to
// follow the sentence it explains.

#include "norvane/session.h"

#include <QString>

#include <optional>

namespace sentences {

// "error 13: Permission denied", or the engine's own reason ("another Norvane holds it").
QString errorText(const norvane::platform::SystemError& error);
// " (error 13: Permission denied)", or nothing where there is no error.
QString systemError(const std::optional<norvane::platform::SystemError>& error);

} // namespace sentences
