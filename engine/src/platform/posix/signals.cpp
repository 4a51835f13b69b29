// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The end of a session reaches a POSIX program as a signal.

#include "platform/posix/posix.h"

#include <csignal>

namespace norvane::platform {

namespace {

extern "C" void noteEnd(int) { requestEnding(); }

} // namespace

void watchForEndOfSession() {
    struct sigaction action {};
    action.sa_handler = noteEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a read or a rename under way finishes; the batch stops after it
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

} // namespace norvane::platform
