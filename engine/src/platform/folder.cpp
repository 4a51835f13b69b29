// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/platform.h"

namespace norvane::platform {

void Folder::probeNames(std::size_t count, const NameAt& nameAt, const NameProbed& each) {
    for (std::size_t i = 0; i < count; ++i) each(i, probe(nameAt(i)));
}

} // namespace norvane::platform
