// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windows/windows.h"

#include "platform/windows/utf16.h"
#include "platform/windows/windows_path.h"

namespace norvane::platform {

namespace windows {

std::u16string_view units(const std::wstring& wide) { return {reinterpret_cast<const char16_t*>(wide.data()), wide.size()}; }
std::string fromWide(const std::wstring& wide) { return text::fromUtf16(units(wide)); }

namespace {

std::string describeError(DWORD number) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, number, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) ::LocalFree(buffer);
    // The system ends its texts with ".\r\n"; the engine's sentences go on after them.
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    if (message.empty()) return {}; // the window says the number alone
    return fromWide(message);
}

} // namespace

SystemError errorOf(DWORD number) { return SystemError{static_cast<int>(number), describeError(number)}; }
SystemError lastError() { return errorOf(::GetLastError()); }

std::optional<std::wstring> systemPath(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
    const std::optional<std::u16string> converted = text::toUtf16(path);
    if (!converted) return std::nullopt;
    const std::u16string full = windows_path::extended(*converted);
    return std::wstring(full.begin(), full.end());
}

SystemError unusablePath(const std::string& path) {
    return errorOf(path.empty() || path.find('\0') != std::string::npos ? ERROR_INVALID_NAME : ERROR_NO_UNICODE_TRANSLATION);
}

std::wstring_view lastComponent(const std::wstring& path) { return std::wstring_view(path).substr(path.find_last_of(L'\\') + 1); }

} // namespace windows

ErrorKind errorKind(const SystemError& error) {
    switch (static_cast<DWORD>(error.number)) {
    case ERROR_FILE_NOT_FOUND: return ErrorKind::NotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return ErrorKind::Exists;
    case ERROR_FILENAME_EXCED_RANGE: return ErrorKind::NameTooLong;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT: return ErrorKind::NoPermission;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY: return ErrorKind::NotAFolder;
    case ERROR_CANT_RESOLVE_FILENAME: return ErrorKind::TooManyLinks;
    case ERROR_INVALID_NAME:
    case ERROR_NO_UNICODE_TRANSLATION: return ErrorKind::BadName;
    default: return ErrorKind::Other;
    }
}

} // namespace norvane::platform
