#!/usr/bin/env python3
"""Every box of Save and Save As belongs to the frame, on a real X server.

With no window manager to keep order, a box that is not transient for the
frame sits wherever Qt puts it and is not raised with it. At QT_SCALE_FACTOR=2
on a 1280 x 960 screen the whole frame fits the screen. Then, driven by X key
events: Save (the question, the report), Save As (the question, the file
dialog, the report after it), Save As cancelled in the dialog and declined at
the question (the reports). Each box must be WM_TRANSIENT_FOR the frame and
stand over it.

usage: dialog_owner.py KESTO_BINARY ARTEFACT_DIR
Runs itself under `xvfb-run -a` (no window manager) unless KESTO_DESKTOP_INNER
is set.
"""

import os
import subprocess
import sys
import tempfile
import time

from edit_and_save import (DEADLINE, close_window, focus, keys, read, screenshot,
                           top_level_other_than, visible_windows, wait_for, xdotool)
from hand_over import frame_of, transient_for

SCREEN = (1280, 960)


def geometry(wid):
    """x, y, width, height of a window on the screen."""
    result = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True,
                            timeout=DEADLINE)
    values = {}
    for line in result.stdout.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                          "Width", "Height"))


def check_owned(what, wid, frame):
    """`wid` is transient for the frame, on the screen and centred over the frame."""
    if transient_for(wid) != int(frame):
        raise RuntimeError(f"{what} is not transient for the frame")
    x, y, w, h = geometry(wid)
    fx, fy, fw, fh = geometry(frame)
    cx, cy = x + w // 2, y + h // 2
    if not (fx <= cx < fx + fw and fy <= cy < fy + fh):
        raise RuntimeError(f"{what} at {x},{y} {w}x{h} is not over the frame {fx},{fy} {fw}x{fh}")
    if x < 0 or y < 0 or x + w > SCREEN[0] or y + h > SCREEN[1]:
        raise RuntimeError(f"{what} at {x},{y} {w}x{h} leaves the screen")


def run(kesto, artefacts):
    os.makedirs(artefacts, exist_ok=True)
    work = tempfile.mkdtemp(prefix="kesto-dialog-owner-")
    program = os.path.join(work, "A.m")
    with open(program, "wb") as f:
        f.write(b"G01X10\r\n")
    env = dict(os.environ, QT_SCALE_FACTOR="2")
    env.pop("QT_QPA_PLATFORM", None)
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    env["XDG_RUNTIME_DIR"] = runtime
    app = subprocess.Popen([kesto, program], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.STDOUT)
    try:
        frame = frame_of(app.pid)
        x, y, w, h = geometry(frame)
        if x < 0 or y < 0 or x + w > SCREEN[0] or y + h > SCREEN[1]:
            raise RuntimeError(f"the frame at {x},{y} {w}x{h} does not fit the screen")
        screenshot(os.path.join(artefacts, "dialog_owner-frame.png"))

        def box(what, title=None):
            wid = wait_for(what, lambda: top_level_other_than(app.pid, frame, title))
            check_owned(what, wid, frame)
            focus(wid)
            return wid

        def answer(wid, *key_names):
            keys(*key_names)
            wait_for("the box to close", lambda: wid not in visible_windows(app.pid))

        # Save: the question, then the report. The menu offers Save once the
        # file named on the command line is open, just after the frame shows.
        def ask_save():
            focus(frame)
            keys("alt+f", "w")
            end = time.monotonic() + 1
            while time.monotonic() < end:
                if top_level_other_than(app.pid, frame, "問い合わせ"):
                    return True
                time.sleep(0.05)
            keys("Escape")  # the menu, with Save not offered yet
            return False
        wait_for("Save to ask", ask_save)
        answer(box("the question of Save", "問い合わせ"), "Return")
        answer(box("the report after Save", "報告"), "Return")

        # Save As: the question, the dialog, a name typed, the report.
        saved = os.path.join(work, "B.m")
        focus(frame)
        keys("alt+f", "s")
        answer(box("the question of Save As", "問い合わせ"), "Return")
        dialog = box("the Save As dialog")
        screenshot(os.path.join(artefacts, "dialog_owner-save-as.png"))
        xdotool("type", "--delay", "20", saved)
        answer(dialog, "Return")
        answer(box("the report after Save As", "報告"), "Return")
        if read(saved) != b"G01X10\r\n":
            raise RuntimeError(f"Save As wrote {read(saved)!r}")

        # Save As cancelled in the dialog, then declined at the question.
        focus(frame)
        keys("alt+f", "s")
        answer(box("the question of Save As", "問い合わせ"), "Return")
        answer(box("the Save As dialog"), "Escape")
        answer(box("the report of a cancelled Save As", "報告"), "Return")
        focus(frame)
        keys("alt+f", "s")
        answer(box("the question of Save As", "問い合わせ"), "Escape")
        answer(box("the report of a declined Save As", "報告"), "Return")

        close_window(frame)
        app.wait(timeout=DEADLINE)
    finally:
        if app.poll() is None:
            screenshot(os.path.join(artefacts, "dialog_owner-failed.png"))
            app.kill()
            app.wait()
    if app.returncode != 0:
        raise RuntimeError(f"kesto exited with {app.returncode}")
    print("every box of Save and Save As belongs to the frame")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    kesto, artefacts = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not os.environ.get("KESTO_DESKTOP_INNER"):
        env = dict(os.environ, KESTO_DESKTOP_INNER="1")
        result = subprocess.run(["xvfb-run", "-a", "-s", f"-screen 0 {SCREEN[0]}x{SCREEN[1]}x24",
                                 sys.executable, os.path.abspath(__file__), kesto, artefacts],
                                env=env)
        sys.exit(result.returncode)
    try:
        run(kesto, artefacts)
    except Exception as error:  # report and fail the test
        print("FAILED:", error, file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
