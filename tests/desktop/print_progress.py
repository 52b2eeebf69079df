#!/usr/bin/env python3
"""A long print on a real X server: progress, keys meanwhile, Cancel.

The real frame (kesto_print_frame: its default printer writes a PDF file)
opens a 10 MB program. File ▸ Two-column print through the menu's mnemonics
(Alt+F, D) shows the progress box "印刷" within a second. While it prints,
Page Down pressed on the frame repaints its text within a second, three times
over, in the part of the frame the box does not cover. Escape on the box
(its Cancel) ends the print: the report "報告" comes within a second, the
box is gone, and the PDF the job was writing is removed (a queue's job is
handed to its queue only when complete).

Then File ▸ Open of a program of 300 MB through the dialog: the box "開く"
shows within 1.5 s, the frame repaints after Page Down within a second
meanwhile, and Escape on the box gives the report "報告" within a second and
no new window.

usage: print_progress.py KESTO_PRINT_FRAME ARTEFACT_DIR
"""

import os
import subprocess
import tempfile
import time

from edit_and_save import (DEADLINE, focus, keys, main_under_xvfb, screenshot, text_rows,
                           top_level_other_than, visible_windows, wait_for, xdotool)

PROGRAM_BYTES = 10 * 1024 * 1024


def write_program(path):
    lines = []
    size, n = 0, 1
    while size < PROGRAM_BYTES:
        line = f"N{n}G01X{(n * 37) % 4000 - 2000}.{n % 1000:03d}Y{(n * 53) % 900}.5F{100 + n % 30 * 100}\r\n"
        lines.append(line)
        size += len(line)
        n += 1
    with open(path, "w", newline="") as f:
        f.write("".join(lines))


def write_large_program(path, megabytes):
    """A program of `megabytes` MB of CR LF lines, each followed by a Japanese
    comment (CP932), which takes longer to read than plain statements."""
    lines = []
    for n in range(1, 20001):
        lines.append(b"N%dG01X%d.%03dY%d.5F1200\r\n" % (n, n % 4000 - 2000, n % 1000, n % 900))
        lines.append(b"(\x8d\x72\x89\xc1\x8d\x48 \x8d\x48\x8b\xef\x8c\xf0\x8a\xb7 T01)\r\n")
    chunk = b"".join(lines)
    with open(path, "wb") as f:
        for _ in range(megabytes * 1024 * 1024 // len(chunk) + 1):
            f.write(chunk)


def within(seconds, what, probe):
    """Polls `probe` until it returns something true; fails after `seconds`.
    Returns the value and the seconds it took."""
    start = time.monotonic()
    while True:
        value = probe()
        if value:
            return value, time.monotonic() - start
        if time.monotonic() - start > seconds:
            raise RuntimeError(f"{what} did not come within {seconds} s")
        time.sleep(0.02)


def pixels(wid):
    return subprocess.run(["import", "-window", wid, "-depth", "8", "rgb:-"], capture_output=True,
                          timeout=DEADLINE, check=True).stdout


def geometry(wid):
    shell = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", wid))
    return [int(shell[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")]


def text_band(frame, top, box):
    """The frame's text rows from `top` down to above the progress box, as bytes."""
    fx, fy, width, _ = geometry(frame)
    bottom = min(top + 80, geometry(box)[1] - fy - 2)
    if bottom - top < 16:
        raise RuntimeError("the progress box covers the frame's text")
    data = pixels(frame)
    return data[top * width * 3:bottom * width * 3]


def run(binary, artefacts):
    work = tempfile.mkdtemp(prefix="kesto-print-progress-")
    program, pdf = os.path.join(work, "BIG.m"), os.path.join(work, "out.pdf")
    write_program(program)
    env = dict(os.environ, XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
    env.pop("QT_QPA_PLATFORM", None)
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    with open(os.path.join(artefacts, "print_progress.log"), "wb") as log:
        app = subprocess.Popen([binary, program, pdf], env=env, stdout=log,
                               stderr=subprocess.STDOUT)
    try:
        frame = xdotool("search", "--sync", "--onlyvisible", "--name", "^KESTO$")[0]
        # The program's window is open when the frame shows its white text.
        _, top, _ = wait_for("the program's window", lambda: _try(text_rows, frame))
        focus(frame)

        keys("alt+f", "d")
        started = time.monotonic()
        box, shown = within(1.0, "the progress box", lambda: top_level_other_than(
            app.pid, frame, "印刷"))
        print(f"progress box after {shown:.2f} s")
        screenshot(os.path.join(artefacts, "print_progress-box.png"))

        for turn in range(3):
            page_down_is_drawn(frame, top, box, f"Page Down #{turn + 1}")
        if box not in visible_windows(app.pid):
            raise RuntimeError("the print ended before Cancel: the program is too small")
        screenshot(os.path.join(artefacts, "print_progress-keys.png"))

        report = cancel(app, frame, box, started, "printing")
        screenshot(os.path.join(artefacts, "print_progress-cancelled.png"))
        if box in visible_windows(app.pid):
            raise RuntimeError("the progress box stays after Cancel")
        if os.path.exists(pdf):
            raise RuntimeError(f"Cancel left a PDF of {os.path.getsize(pdf)} bytes")
        focus(report)
        keys("Return")
        wait_for("the report to close", lambda: report not in visible_windows(app.pid))

        open_and_cancel(app, frame, top, work, artefacts)
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()


def caption_band(frame, top):
    """The rows of the frame just above its text at `top`: the caption of the
    editor window on top."""
    width = geometry(frame)[2]
    return pixels(frame)[(top - 20) * width * 3:(top - 4) * width * 3]


def page_down_is_drawn(frame, top, box, what):
    """Page Down on the frame while a long operation runs: the text beside
    the progress box must change within a second."""
    focus(frame)
    before = text_band(frame, top + 2, box)
    keys("Next")
    _, took = within(1.0, f"the frame's repaint after {what}",
                     lambda: text_band(frame, top + 2, box) != before)
    print(f"{what} drawn after {took:.2f} s")


def cancel(app, frame, box, started, doing):
    """Escape on the progress box: the report must come within a second."""
    focus(box)
    keys("Escape")
    report, took = within(1.0, "the report after Cancel", lambda: top_level_other_than(
        app.pid, frame, "報告"))
    print(f"report after Cancel {took:.2f} s, {time.monotonic() - started:.1f} s {doing}")
    return report


def open_and_cancel(app, frame, top, work, artefacts):
    """File ▸ Open of a large program, cancelled from its progress box."""
    large = os.path.join(work, "HUGE.m")
    write_large_program(large, 300)
    focus(frame)
    keys("alt+f", "o")
    dialog = wait_for("the open dialog", lambda: top_level_other_than(app.pid, frame))
    focus(dialog)
    xdotool("type", "--delay", "10", large)
    keys("Return")
    started = time.monotonic()
    box, shown = within(1.5, "the open's progress box", lambda: top_level_other_than(
        app.pid, frame, "開く") if dialog not in visible_windows(app.pid) else None)
    print(f"open's progress box after {shown:.2f} s")
    screenshot(os.path.join(artefacts, "print_progress-open.png"))

    page_down_is_drawn(frame, top, box, "Page Down while opening")
    if box not in visible_windows(app.pid):
        raise RuntimeError("the open ended before Cancel: the program is too small")
    # The caption of the editor window on top, just above its text.
    caption = caption_band(frame, top)

    report = cancel(app, frame, box, started, "reading")
    screenshot(os.path.join(artefacts, "print_progress-open-cancelled.png"))
    focus(report)
    keys("Return")
    wait_for("the report to close", lambda: report not in visible_windows(app.pid))
    time.sleep(0.3)
    # A window opened after all would stand leftmost and on top, its caption
    # (the large program's path) where the small program's is.
    if caption_band(frame, top) != caption:
        raise RuntimeError("the caption above the text changed after Cancel: a window was opened")
    os.remove(large)


def _try(probe, *args):
    """`probe(*args)`, or None where it finds nothing yet."""
    try:
        return probe(*args)
    except (StopIteration, ValueError, subprocess.SubprocessError):
        return None


if __name__ == "__main__":
    main_under_xvfb(__doc__, run)
