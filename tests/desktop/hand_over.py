#!/usr/bin/env python3
"""One frame per display, with real processes on a real X server.

`kesto A.m` shows A.m. A second start, `kesto B.m` with a name relative to
its own folder, ends with status 0 and leaves B.m as the active window of the
same frame: an edit typed into the frame and saved through the menu lands in
B.m. `kesto missing.m` makes the running frame report, in a box that belongs
to it. A frame killed outright leaves its socket and lock behind, and the
next start serves in its place. Two starts at the same moment make one frame.

usage: hand_over.py KESTO_BINARY ARTEFACT_DIR
Runs itself under `xvfb-run -a` (no window manager) unless KESTO_DESKTOP_INNER
is set.
"""

import glob
import os
import subprocess
import sys
import tempfile
import time

from edit_and_save import (DEADLINE, close_window, focus, keys, read, screenshot,
                           top_level_other_than, visible_windows, wait_for)


def frames():
    """The visible frame windows on the display."""
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^KESTO$"],
                            capture_output=True, text=True, timeout=DEADLINE)
    return result.stdout.split()


def transient_for(wid):
    result = subprocess.run(["xprop", "-id", wid, "WM_TRANSIENT_FOR"], capture_output=True,
                            text=True, timeout=DEADLINE)
    words = result.stdout.split()
    return int(words[-1], 16) if words and words[-1].startswith("0x") else None


def frame_of(pid):
    return wait_for(f"the frame of process {pid}",
                    lambda: next((w for w in frames() if w in visible_windows(pid)), None))


def start(kesto, names, work, env):
    return subprocess.Popen([kesto, *names], cwd=work, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.STDOUT)


def run(kesto, artefacts):
    os.makedirs(artefacts, exist_ok=True)
    work = tempfile.mkdtemp(prefix="kesto-hand-over-")
    for name, data in (("A.m", b"G01X10\r\n"), ("B.m", b"G00Y5\r\n")):
        with open(os.path.join(work, name), "wb") as f:
            f.write(data)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    env["XDG_RUNTIME_DIR"] = runtime

    running = []
    try:
        first = start(kesto, ["A.m"], work, env)
        running.append(first)
        frame = frame_of(first.pid)

        # A later start hands its file over and ends with success.
        second = subprocess.run([kesto, "B.m"], cwd=work, env=env, timeout=DEADLINE)
        if second.returncode != 0:
            raise RuntimeError(f"the second start ended with {second.returncode}")
        if frames() != [frame]:
            raise RuntimeError(f"frames on the display: {frames()}, expected only {frame}")

        # B.m is the active window: a line edited there and saved lands in B.m.
        focus(frame)
        keys("x", "1", "Return", "space", "alt+f", "w")
        question = wait_for("the question",
                            lambda: top_level_other_than(first.pid, frame, "問い合わせ"))
        focus(question)
        keys("Return")
        report = wait_for("the report", lambda: top_level_other_than(first.pid, frame, "報告"))
        wait_for("B.m saved", lambda: read(os.path.join(work, "B.m")) == b"X1G00Y5\r\n")
        focus(report)
        keys("Return")
        wait_for("the report to close", lambda: report not in visible_windows(first.pid))
        screenshot(os.path.join(artefacts, "hand_over.png"))

        # A file that cannot be read is reported by the running frame.
        third = subprocess.run([kesto, "missing.m"], cwd=work, env=env, timeout=DEADLINE)
        if third.returncode != 0:
            raise RuntimeError(f"the third start ended with {third.returncode}")
        report = wait_for("the report of missing.m",
                          lambda: top_level_other_than(first.pid, frame, "報告"))
        if transient_for(report) != int(frame):
            raise RuntimeError("the report does not belong to the frame")
        screenshot(os.path.join(artefacts, "hand_over-missing.png"))
        focus(report)
        keys("Return")
        wait_for("the report to close", lambda: report not in visible_windows(first.pid))

        # Killed outright, the frame leaves its socket and lock behind.
        first.kill()
        first.wait(timeout=DEADLINE)
        left = glob.glob(os.path.join(runtime, "kesto-*"))
        if len(left) != 2:
            raise RuntimeError(f"expected a socket and a lock left behind, found {left}")
        successor = start(kesto, ["A.m"], work, env)
        running.append(successor)
        close_window(frame_of(successor.pid))
        successor.wait(timeout=DEADLINE)

        # Two starts at once: one serves, the other hands over and ends.
        pair = [start(kesto, ["A.m"], work, env), start(kesto, ["B.m"], work, env)]
        running.extend(pair)
        ended = wait_for("one of two simultaneous starts to end",
                         lambda: [p for p in pair if p.poll() is not None])
        if len(ended) != 1 or ended[0].returncode != 0:
            raise RuntimeError(f"simultaneous starts ended with {[p.poll() for p in pair]}")
        server = next(p for p in pair if p is not ended[0])
        frame = frame_of(server.pid)
        time.sleep(1)
        if frames() != [frame]:
            raise RuntimeError(f"frames on the display: {frames()}, expected only {frame}")
        close_window(frame)
        server.wait(timeout=DEADLINE)
        if server.returncode != 0:
            raise RuntimeError(f"the frame ended with {server.returncode}")
    finally:
        for process in running:
            if process.poll() is None:
                screenshot(os.path.join(artefacts, "hand_over-failed.png"))
                process.kill()
                process.wait()
    print("one frame, files handed over:", work)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    kesto, artefacts = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not os.environ.get("KESTO_DESKTOP_INNER"):
        env = dict(os.environ, KESTO_DESKTOP_INNER="1")
        result = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
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
