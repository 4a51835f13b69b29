// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Another program holding a file open as a photo viewer or a video player
// does: reading it, letting others read and write, but not delete or rename.
//   norvane_file_holder PATH EVENTS
// Opens PATH, sets the event EVENTS-ready, and closes it once EVENTS-release is set.

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring events = argv[2];
    const HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, (events + L"-ready").c_str());
    const HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, (events + L"-release").c_str());
    if (ready == nullptr || release == nullptr) return 3;
    const HANDLE file = ::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 4;
    ::SetEvent(ready);
    ::WaitForSingleObject(release, 120000);
    ::CloseHandle(file);
    return 0;
}
