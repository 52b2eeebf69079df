#!/usr/bin/python3
"""Reads an editor window of a running KESTO through the AT-SPI accessibility
bus, as a screen reader would: the window's name, its mode, the program text,
the caret offset and the text of the caret's line.

Given the path of the kesto binary, it first starts the program, makes a new
program with the keyboard (File > New through the menu's mnemonics) and types
two statements into it with xdotool; without a path it reads a KESTO that is
already running. It needs an X display, a session bus with the accessibility
bus on it, and Qt told to talk to it; docs/install.md shows how to get them
under Xvfb.
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

# Text events the program sent while it was driven, in order.
events = []


def on_event(event):
    if event.source is not None and event.source.getRole() == pyatspi.ROLE_TEXT:
        events.append(f"{event.type} {event.detail1} {event.detail2} {event.any_data!r}")


def pump(seconds):
    """Lets the listeners run for a while."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def find_app(timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name.lower() == "kesto":
                return app
        time.sleep(0.2)
    raise SystemExit("no KESTO on the accessibility bus")


def find_texts(node, found):
    """Every program text (editable, multi-line) under `node`, depth first;
    the one-line fields of the tool bars are left out."""
    try:
        state = node.getState()
        if node.getRole() == pyatspi.ROLE_TEXT and state.contains(pyatspi.STATE_EDITABLE) \
                and state.contains(pyatspi.STATE_MULTI_LINE):
            found.append(node)
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                find_texts(child, found)
    except Exception:  # a node that went away while we walked
        pass
    return found


def wait_for_text(app, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        texts = find_texts(app, [])
        if texts:
            return texts
        time.sleep(0.2)
    raise SystemExit("KESTO shows no editor window")


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "60", *names], check=True)
    pump(0.3)


def drive(binary):
    """Starts KESTO, opens a new program, types two statements and moves the
    caret up one line."""
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    program = subprocess.Popen([binary], env=env)
    app = find_app()
    time.sleep(1.0)
    window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "KESTO"],
                            check=True, capture_output=True, text=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    key("alt+f")
    key("n")  # 新規作成(&N)
    wait_for_text(app)
    pump(0.5)
    for kind in ("object:text-changed", "object:text-caret-moved", "object:text-selection-changed"):
        pyatspi.Registry.registerEventListener(on_event, kind)
    # g01x10; Enter commits the line, Shift ends the confirmation; the same
    # for m30; then Up puts the caret on the second line.
    key("g", "0", "1", "x", "1", "0", "semicolon", "Return", "shift")
    key("m", "3", "0", "semicolon", "Return", "shift")
    key("Up")
    return program, app


def describe(text_object):
    text = text_object.queryText()
    caret = text.caretOffset
    whole = text.getText(0, -1)
    line, start, end = text.getTextAtOffset(caret, pyatspi.TEXT_BOUNDARY_LINE_START)
    line_number = whole[:caret].count("\n") + 1
    print("name:        ", text_object.name)
    print("description: ", text_object.description)
    print("characters:  ", text.characterCount)
    print("text:        ", repr(whole))
    print("caret:       ", caret)
    print("caret line:  ", f"{line_number} [{start}, {end})", repr(line))
    if text.getNSelections() > 0:
        print("selection:   ", text.getSelection(0))


def main():
    program = None
    if len(sys.argv) > 1:
        program, app = drive(sys.argv[1])
    else:
        app = find_app()
    try:
        texts = wait_for_text(app)
        for text_object in texts:
            describe(text_object)
        if events:
            print("events:")
            for event in events:
                print("  ", event)
    finally:
        if program is not None:
            program.terminate()
            program.wait(timeout=10)


if __name__ == "__main__":
    main()
