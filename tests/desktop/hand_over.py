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
import resource
import socket
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

        doors_from_outside(kesto, env, work, artefacts, start, frame_of, box, answer)
    finally:
        for app in started:
            if app.poll() is None:
                screenshot(os.path.join(artefacts, "hand_over-failed.png"))
                app.kill()
                app.wait()


def painted_share(wid):
    """The share of the window's pixels that are not black."""
    x, y, w, h = geometry(wid)
    data = subprocess.run(["import", "-window", wid, "-depth", "8", "rgb:-"], capture_output=True,
                          timeout=DEADLINE, check=True).stdout
    pixels = [data[i:i + 3] for i in range(0, len(data), 3)]
    return sum(p != b"\0\0\0" for p in pixels) / max(len(pixels), 1)


def flood(path, count):
    """`count` connections to the socket at `path`, held open; a third of them
    send half a request."""
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, min(4096, hard)), hard))
    held = []
    deadline = time.monotonic() + DEADLINE
    while len(held) < count and time.monotonic() < deadline:
        client = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            client.connect(path)
            if len(held) % 3 == 0:
                client.send(b"KST2\0\0")
        except BlockingIOError:  # the backlog is full until the server accepts
            client.close()
            time.sleep(0.001)
            continue
        except OSError:  # closed by the server already
            pass
        held.append(client)
    return held


def doors_from_outside(kesto, env, work, artefacts, start, frame_of, box, answer):
    """What other programs and odd names do to the frame, and the command line
    without a display."""
    bare = {k: v for k, v in env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    for args, code, stream, text in ((["--version"], 0, "stdout", "kesto "),
                                     (["--help"], 0, "stdout", "使い方: kesto"),
                                     (["--bogus"], 2, "stderr", "kesto: ")):
        done = subprocess.run([kesto, *args], cwd=work, env=bare, capture_output=True,
                              timeout=DEADLINE)
        out = getattr(done, stream).decode()
        if done.returncode != code or not out.startswith(text):
            raise RuntimeError(f"kesto {args[0]} without a display: {done.returncode} {out!r}")

    def piped_stdin():
        done = subprocess.run([kesto, "/dev/stdin"], cwd=work, env=env, input=b"G01X1\r\n",
                              capture_output=True, timeout=DEADLINE)
        if done.returncode == 0 or b"/dev/stdin" not in done.stderr:
            raise RuntimeError(f"a piped /dev/stdin: {done.returncode} {done.stderr!r}")

    # Without a frame: no frame appears, not even for a moment.
    piped_stdin()
    if frames():
        raise RuntimeError("a piped /dev/stdin left a frame")

    # A first start whose file is missing paints the frame before the report.
    first = start("missing.m")
    frame = frame_of(first)
    report = box(first, frame, "the first start's report", "報告")
    screenshot(os.path.join(artefacts, "hand_over-first-report.png"))
    if painted_share(frame) < 0.5:
        raise RuntimeError("the report stands over a frame that was never painted")
    answer(first, report, "Return")

    # With a frame: the piped start ends with an error and hands nothing over.
    piped_stdin()
    time.sleep(0.5)
    if top_level_other_than(first.pid, frame):
        raise RuntimeError("a piped /dev/stdin made the frame show something")

    # A flood of connections held open, then a start that hands over within
    # 2 s, with the startup id of its launch, which the frame takes on.
    sockets = glob.glob(os.path.join(env["XDG_RUNTIME_DIR"], "kesto-*.socket"))
    held = flood(sockets[0], 1100)
    began = time.monotonic()
    done = subprocess.run([kesto, "B.m"], cwd=work, env=dict(env, DESKTOP_STARTUP_ID="test_TIME42"),
                          timeout=DEADLINE)
    took = time.monotonic() - began
    for client in held:
        client.close()
    if done.returncode != 0 or took > 2.0 or len(held) != 1100:
        raise RuntimeError(f"after {len(held)} connections: {done.returncode} in {took:.2f} s")
    if "test_TIME42" not in x_output("xprop", "-id", frame, "_NET_STARTUP_ID"):
        raise RuntimeError("the frame did not take the start's startup id")
    close_window(frame)
    first.wait(timeout=DEADLINE)


def run_in_a_work_folder(kesto, artefacts):
    run(kesto, artefacts, tempfile.mkdtemp(prefix="kesto-hand-over-"))
    print("one frame per display; every box belongs to it")


if __name__ == "__main__":
    main_under_xvfb(__doc__, run_in_a_work_folder, "%dx%d" % SCREEN)
