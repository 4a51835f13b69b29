#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Norvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs check.py MODE PROGRAM [SOURCE] on a virtual display with its own session bus and
# AT-SPI bus, as a desktop with a screen reader has them. Exits 77 (skipped)
# with the reason when this machine lacks one of them.
#   window/tests/screen_reader/run.sh window build/window/norvane
here=$(dirname "$0")
skip() {
    echo "skipped: $1 (./dev test installs it)"
    exit 77
}
command -v xvfb-run >/dev/null || skip "no xvfb-run"
command -v dbus-run-session >/dev/null || skip "no dbus-run-session"
command -v xdotool >/dev/null || skip "no xdotool"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "no AT-SPI bus launcher (at-spi2-core)"
# Debian's own Python: pyatspi is a Debian package, not on another Python's path.
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "no pyatspi for /usr/bin/python3 (python3-pyatspi)"
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
xvfb-run -a dbus-run-session -- sh -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    launcher=$!
    sleep 1
    /usr/bin/python3 "$0" "$@" 2>&1
    status=$?
    kill $launcher 2>/dev/null
    exit $status' "$here/check.py" "$@" 2>/dev/null
