#!/usr/bin/env python3
"""One frame per display, and boxes that belong to it, on a real X server.

At QT_SCALE_FACTOR=2 on a 1280 x 960 screen without a window manager:
`kesto A.m` shows a frame that fits the screen. `kesto B.m`, relative to its
own folder, ends with 0 and leaves B.m active in the same frame: a line typed
and saved through the menu lands in B.m. `kesto missing.m` makes the running
frame report. Every box of Save and Save As is WM_TRANSIENT_FOR the frame and
stands over it. A frame killed outright leaves its socket and lock behind; the
next start serves in its place. Two starts at once make one frame.

usage: hand_over.py KESTO_BINARY ARTEFACT_DIR
"""

import glob
import os
import subprocess
import sys
import tempfile
import time

from edit_and_save import (DEADLINE, close_window, desktop_env, focus, keys, main_under_xvfb, read,
                           screenshot, top_level_other_than, visible_windows, wait_for)

SCREEN = (1280, 960)


def x_output(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=DEADLINE).stdout


def frames():
    return x_output("xdotool", "search", "--onlyvisible", "--name", "^KESTO$").split()


def geometry(wid):
    info = dict(line.strip().partition(":")[::2] for line in x_output("xwininfo", "-id", wid)
                .splitlines())
    return [int(info[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                   "Width", "Height")]


def inside(outer, x, y):
    return outer[0] <= x < outer[0] + outer[2] and outer[1] <= y < outer[1] + outer[3]


def run(kesto, artefacts, work):
    for name, data in (("A.m", b"G01X10\r\n"), ("B.m", b"G00Y5\r\n")):
        with open(os.path.join(work, name), "wb") as f:
            f.write(data)
    env = desktop_env(work, QT_SCALE_FACTOR="2")
    started = []

    def start(name):
        started.append(subprocess.Popen([kesto, name], cwd=work, env=env))
        return started[-1]

    def frame_of(app):
        return wait_for("a frame", lambda: next(
            (w for w in frames() if w in visible_windows(app.pid)), None))

    def box(app, frame, what, title=None):
        """The box, checked to belong to the frame and to stand over it."""
        wid = wait_for(what, lambda: top_level_other_than(app.pid, frame, title))
        if x_output("xprop", "-id", wid, "WM_TRANSIENT_FOR").split()[-1:] != [hex(int(frame))]:
            raise RuntimeError(f"{what} is not transient for the frame")
        x, y, w, h = geometry(wid)
        if not inside(geometry(frame), x + w // 2, y + h // 2):
            raise RuntimeError(f"{what} at {x},{y} {w}x{h} is not over the frame")
        focus(wid)
        return wid

    def answer(app, wid, key):
        keys(key)
        wait_for("the box to close", lambda: wid not in visible_windows(app.pid))

    try:
        first = start("A.m")
        frame = frame_of(first)
        x, y, w, h = geometry(frame)
        if x < 0 or y < 0 or x + w > SCREEN[0] or y + h > SCREEN[1]:
            raise RuntimeError(f"the frame at {x},{y} {w}x{h} does not fit the screen")

        second = subprocess.run([kesto, "B.m"], cwd=work, env=env, timeout=DEADLINE)
        if second.returncode != 0 or frames() != [frame]:
            raise RuntimeError(f"second start: {second.returncode}, frames {frames()}")
        focus(frame)
        keys("x", "1", "Return", "space", "alt+f", "w")
        answer(first, box(first, frame, "Save's question", "問い合わせ"), "Return")
        answer(first, box(first, frame, "Save's report", "報告"), "Return")
        if read(os.path.join(work, "B.m")) != b"X1G00Y5\r\n":
            raise RuntimeError("the edit did not land in B.m")

        for keys_to_dialog in (["Return", "Escape"], ["Escape"]):  # cancelled, declined
            focus(frame)
            keys("alt+f", "s")
            question = box(first, frame, "Save As's question", "問い合わせ")
            if len(keys_to_dialog) == 2:
                answer(first, question, "Return")
                question = box(first, frame, "the Save As dialog")
                screenshot(os.path.join(artefacts, "hand_over-save-as.png"))
            answer(first, question, keys_to_dialog[-1])
            answer(first, box(first, frame, "Save As's report", "報告"), "Return")

        if subprocess.run([kesto, "missing.m"], cwd=work, env=env).returncode != 0:
            raise RuntimeError("the start with a missing file failed")
        report = box(first, frame, "the report of missing.m", "報告")
        screenshot(os.path.join(artefacts, "hand_over-missing.png"))
        answer(first, report, "Return")

        first.kill()
        first.wait()
        if len(glob.glob(os.path.join(env["XDG_RUNTIME_DIR"], "kesto-*"))) != 2:
            raise RuntimeError("the killed frame left no socket and lock behind")
        successor = start("A.m")
        close_window(frame_of(successor))
        successor.wait(timeout=DEADLINE)

        pair = [start("A.m"), start("B.m")]
        ended = wait_for("one of two starts to end", lambda: [p for p in pair if p.poll() is not None])
        server = pair[1] if ended[0] is pair[0] else pair[0]
        frame = frame_of(server)
        time.sleep(1)
        if len(ended) != 1 or ended[0].returncode != 0 or frames() != [frame]:
            raise RuntimeError(f"two starts at once: {[p.poll() for p in pair]}, frames {frames()}")
        close_window(frame)
        if server.wait(timeout=DEADLINE) != 0:
            raise RuntimeError(f"the frame ended with {server.returncode}")
    finally:
        for app in started:
            if app.poll() is None:
                screenshot(os.path.join(artefacts, "hand_over-failed.png"))
                app.kill()
                app.wait()


def run_in_a_work_folder(kesto, artefacts):
    run(kesto, artefacts, tempfile.mkdtemp(prefix="kesto-hand-over-"))
    print("one frame per display; every box belongs to it")


if __name__ == "__main__":
    main_under_xvfb(__doc__, run_in_a_work_folder, "%dx%d" % SCREEN)
