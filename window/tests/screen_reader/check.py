#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Norvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Norvane as a screen reader meets it: through the AT-SPI bus with pyatspi.

  check.py window PROGRAM   roles, names, levels, the focused folder, the
                            announcement after "Repalce", a button pressed
                            through its action, a folder opened through its own
  check.py home PROGRAM     started with no folder, it opens the home folder
  check.py drop PROGRAM SOURCE
                            a folder dragged from SOURCE (drag_source), which
                            offers only "move", opens, and is still there

Run on a display with an AT-SPI bus (run.sh sets both up). Prints one line a
check and ends with "N passed, M failed"; exits 1 when any failed.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

results = []


def check(what, ok, seen=""):
    results.append(ok)
    print(("ok      " if ok else "FAILED  ") + what + ("" if ok else f": saw {seen!r}"), flush=True)
    return ok


def wait_for(condition, seconds=10.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return condition()


def listen(seconds, event_type, keep):
    """Runs the event loop for a while, handing each event of a type to keep()."""
    pyatspi.Registry.registerEventListener(keep, event_type)
    GLib.timeout_add(int(seconds * 1000), lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(keep, event_type)


def application(name="Norvane"):
    def found():
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.name == name and app.childCount > 0:
                return app
        return None
    return wait_for(found, 20)


def child(parent, role, name):
    for node in parent:
        if node is not None and node.getRoleName() == role and node.name == name:
            return node
    return None


def children(node):
    return [item for item in node if item is not None]


def press(node, action):
    actions = node.queryAction()
    for index in range(actions.nActions):
        if actions.getName(index).lower() == action:
            return actions.doAction(index)
    return False


def start(program, arguments, environment):
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **environment)
    return subprocess.Popen([program, *arguments], env=environment, stdout=subprocess.DEVNULL,
                            stderr=open(os.environ.get("NORVANE_LOG", os.devnull), "w"))


def check_window(program, folder):
    for name in ("a_x.txt", "b_x.txt", "c.txt"):
        open(os.path.join(folder, name), "w").close()
    os.mkdir(os.path.join(folder, "inner"))
    open(os.path.join(folder, "inner", "x.txt"), "w").close()
    process = start(program, [folder], {})
    try:
        app = application()
        if not check("the program shows up on the AT-SPI bus", app is not None):
            return
        frame = app.getChildAtIndex(0)
        check("the window is a frame named Norvane", (frame.getRoleName(), frame.name) == ("frame", "Norvane"),
              (frame.getRoleName(), frame.name))
        expected = [("text", "Find"), ("text", "replace"), ("push button", "Repalce"), ("tree", "Folders"),
                    ("list", "Files"), ("label", "Find"), ("label", "replace"), ("push button", "Change File Name"),
                    ("push button", "Change Extention"), ("push button", "Remove Hider")]
        controls = [node for node in children(frame) if node.getRoleName() != "notification"]
        shown = [(node.getRoleName(), node.name) for node in controls]
        check("every control with its role and name, in tab order", shown == expected, shown)
        check("every control has a description", all(node.description for node in controls))

        tree = child(frame, "tree", "Folders")
        items = children(tree)
        depth = folder.strip("/").count("/") + 2  # the root is level 1
        levels = [(item.name, item.description) for item in items]
        check("the tree's items tell their levels, down to the current folder and on to its subfolder",
              levels[-2:] == [(os.path.basename(folder), f"Level {depth}, the current folder"),
                              ("inner", f"Level {depth + 1}, a subfolder of the current folder")]
              and levels[0] == ("/", "Level 1, on the way down to the current folder"), levels)
        current = items[-2]
        states = current.getState()
        check("the current folder shows expanded, its subfolder collapsed",
              states.contains(pyatspi.STATE_EXPANDED) and items[-1].getState().contains(pyatspi.STATE_COLLAPSED))
        # With no window manager on the virtual display, the window gets the keyboard from xdotool.
        subprocess.run(["xdotool", "search", "--sync", "--name", "^Norvane$", "windowfocus", "--sync"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=10)
        tree.queryComponent().grabFocus()
        focused = wait_for(lambda: [item.name for item in children(tree) if item.getState().contains(pyatspi.STATE_FOCUSED)])
        check("in the tree the current folder is the focused item", focused == [os.path.basename(folder)], focused)

        find = child(frame, "text", "Find")
        find.queryEditableText().setTextContents("_x")
        announced = []
        repalce = child(frame, "push button", "Repalce")
        pressed = press(repalce, "press")

        def note(event):
            if event.source.getRoleName() == "notification" and event.detail1 == 1:
                announced.append(event.source.name)
        listen(3, "object:state-changed:showing", note)
        names = sorted(os.listdir(folder))
        check("pressing Repalce through its action renames the files", pressed and names == ["a.txt", "b.txt", "c.txt", "inner"],
              names)
        check("the silent Repalce is announced with how many files it renamed", "Renamed 2 files." in announced, announced)
        files = child(frame, "list", "Files")
        inner = child(tree, "table cell", "inner")
        opened = inner is not None and press(inner, "open")
        listed = wait_for(lambda: [item.name for item in children(files)] == ["x.txt"])
        check("a folder's \"open\" action opens it", opened and listed, [item.name for item in children(files)])
    finally:
        process.terminate()
        process.wait(10)


def check_home(program, home):
    marker = "norvane-home-marker.txt"
    open(os.path.join(home, marker), "w").close()
    process = start(program, [], {"HOME": home})
    try:
        app = application()
        if not check("the program shows up on the AT-SPI bus", app is not None):
            return
        frame = app.getChildAtIndex(0)
        files = child(frame, "list", "Files")
        tree = child(frame, "tree", "Folders")
        listed = wait_for(lambda: [item.name for item in children(files)] == [marker])
        check(f"started with no folder, it lists the home folder {home}", listed,
              [item.name for item in children(files)][:5])
        current = [item.name for item in children(tree) if item.description.endswith(", the current folder")]
        check("the tree's current folder is the home folder", current == [os.path.basename(home)], current)
    finally:
        process.terminate()
        process.wait(10)


def window_centre(title):
    shown = subprocess.run(["xdotool", "search", "--sync", "--name", f"^{title}$", "getwindowgeometry", "--shell"],
                           capture_output=True, text=True, timeout=10).stdout
    geometry = dict(line.split("=", 1) for line in shown.split())
    return int(geometry["X"]) + int(geometry["WIDTH"]) // 2, int(geometry["Y"]) + int(geometry["HEIGHT"]) // 2


def check_drop(program, folder, source):
    start_folder = os.path.join(folder, "start")
    dragged = os.path.join(folder, "dragged")
    os.makedirs(start_folder)
    os.makedirs(dragged)
    open(os.path.join(start_folder, "s.txt"), "w").close()
    open(os.path.join(dragged, "d.txt"), "w").close()
    process = start(program, [start_folder], {})
    dragger = subprocess.Popen([source, dragged], stdout=subprocess.PIPE, text=True)
    try:
        app = application()
        if not check("the program shows up on the AT-SPI bus", app is not None):
            return
        to_x, to_y = window_centre("Norvane")
        from_x, from_y = window_centre("drag source")
        # A hand on the mouse: press on the source, move across in steps, let go on the window.
        xdotool = lambda *arguments: subprocess.run(["xdotool", *map(str, arguments)], timeout=10)
        xdotool("mousemove", "--sync", from_x, from_y)
        xdotool("mousedown", 1)
        for step in range(1, 21):
            xdotool("mousemove", "--sync", from_x + (to_x - from_x) * step // 20, from_y + (to_y - from_y) * step // 20)
            time.sleep(0.05)
        time.sleep(0.3)
        xdotool("mouseup", 1)
        try:
            answer = dragger.communicate(timeout=10)[0].strip()
        except subprocess.TimeoutExpired:
            answer = "no answer"
        check("the move-only drag is answered with a copy or a link, never a move", answer in ("copy", "link"), answer)
        check("the dragged folder is still there", os.listdir(dragged) == ["d.txt"], os.listdir(dragged))
        files = child(app.getChildAtIndex(0), "list", "Files")
        listed = wait_for(lambda: [item.name for item in children(files)] == ["d.txt"])
        check("the dragged folder opens", listed, [item.name for item in children(files)])
    finally:
        dragger.kill()
        process.terminate()
        process.wait(10)


def registry_ready():
    """The AT-SPI registry starts on the first question: a program started
    before it answers may never join the bus."""
    def answers():
        try:
            pyatspi.Registry.getDesktop(0).childCount
            return True
        except Exception:
            return False
    return wait_for(answers, 20)


def main():
    mode, program = sys.argv[1], sys.argv[2]
    registry_ready()
    folder = tempfile.mkdtemp(prefix="norvane-atspi-")
    try:
        if mode == "window":
            check_window(program, folder)
        elif mode == "home":
            check_home(program, folder)
        else:
            check_drop(program, folder, sys.argv[3])
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    failed = results.count(False)
    print(f"{len(results) - failed} passed, {failed} failed")
    return 1 if failed or not results else 0


if __name__ == "__main__":
    sys.exit(main())
