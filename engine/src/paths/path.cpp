// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/path.h"

namespace norvane {

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path += pathSeparator;
    path.append(name);
    return path;
}

} // namespace norvane
