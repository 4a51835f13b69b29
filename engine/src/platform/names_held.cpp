// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/platform.h"

#include "norvane/path.h"

#include "platform/windows/utf16.h"
#include "platform/windows/windows_path.h"

#include <array>

namespace norvane::platform {

namespace {

// What Windows' rules say of a name; they hold wherever the file system keeps
// names as Windows does, whatever system writes them.
std::optional<NotHeld> whyNotHeldByWindows(std::string_view name) {
    using Why = NotHeld::Why;
    const std::optional<std::u16string> units = text::toUtf16(name);
    if (!units) return NotHeld{Why::NotText};
    if (!windows_path::refusedName(*units)) return std::nullopt;
    if (units->size() > 255) return NotHeld{Why::TooLong};
    if (name.back() == '.') return NotHeld{Why::EndsWithDot};
    if (name.back() == ' ') return NotHeld{Why::EndsWithSpace};
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 32) return NotHeld{Why::ControlCharacter};
        if (std::string_view("<>:\"|?*\\").find(c) != std::string_view::npos) return NotHeld{Why::ReservedCharacter, c};
    }
    return NotHeld{Why::DeviceName};
}

} // namespace

std::optional<NotHeld> whyNotHeld(NameRules rules, std::string_view name) {
    const std::string_view last = LastComponent(name);
    if (last.empty() || last == "." || last == "..") return std::nullopt; // judged as the folder it names
    switch (rules) {
    case NameRules::Posix: return std::nullopt;
    case NameRules::Windows: return whyNotHeldByWindows(last);
    }
    return std::nullopt;
}

} // namespace norvane::platform
