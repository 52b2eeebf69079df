#!/usr/bin/env python3
"""The editor windows' own title bars and borders on a real X server.

Makes two new programs (Alt+F, N twice), so that two editor windows stand side
by side, and then works the left one's chrome with real pointer events: drags
its corner, drags its caption, clicks its icon and dismisses the system menu
with Escape, double-clicks its caption. After each, a click into the text and a
typed statement must show on the screen at once (no drawing lock is left
behind), and the windows' title bars and borders must stand where the
arrangement put them. At the end the frame's caption must still be "KESTO".
A screenshot of every step is kept.

usage: window_chrome.py KESTO_BINARY ARTEFACT_DIR
Runs itself under `xvfb-run -a` (no window manager) unless KESTO_DESKTOP_INNER
is set.
"""

import os
import subprocess
import sys
import tempfile
import time

from edit_and_save import (DEADLINE, close_window, desktop_env, focus, keys, main_under_xvfb,
                           running, screenshot, visible_windows, wait_for, xdotool)

# Seconds a typed statement may take to reach the screen: a frozen frame never
# shows it, a busy machine may take a moment.
SHOWN_AT_ONCE = 5.0
# Pixels a typed statement changes at the least; a blink of the caret changes fewer.
STATEMENT_PIXELS = 100
WHITE = b"\xff\xff\xff"


class Picture:
    """The frame window's pixels as the X server holds them."""

    def __init__(self, wid, width, height):
        self.width, self.height = width, height
        self.data = subprocess.run(["import", "-window", wid, "-depth", "8", "rgb:-"],
                                   capture_output=True, timeout=DEADLINE, check=True).stdout
        if len(self.data) != width * height * 3:
            raise RuntimeError(f"frame picture has {len(self.data)} bytes, not {width}x{height}x3")

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return self.data[i:i + 3]

    def box_differing_from(self, other):
        """The smallest box (x0, y0, x1, y1) holding every pixel that differs."""
        xs, ys = [], []
        row = self.width * 3
        for y in range(self.height):
            if self.data[y * row:(y + 1) * row] != other.data[y * row:(y + 1) * row]:
                ys.append(y)
                xs.extend(x for x in range(self.width) if self.at(x, y) != other.at(x, y))
        return (min(xs), min(ys), max(xs), max(ys)) if xs else None


class Layout:
    """Where the two tiled editor windows stand, read off the screen: they
    cover what changed when they were made, half of it each, and a window's
    text starts at the first white rows under its title bar."""

    def __init__(self, empty, tiled):
        box = tiled.box_differing_from(empty)
        if box is None:
            raise RuntimeError("no editor window appeared")
        self.x0, self.y0, self.x1, self.y1 = box
        self.split = self.x0 + (self.x1 + 1 - self.x0) // 2  # the right window's left edge
        aside = (3 * self.x0 + self.split) // 4  # clear of the centred title
        self.text_top = next(y for y in range(self.y0, self.y1)
                             if all(tiled.at(aside, y + i) == WHITE for i in range(3)))
        middle, title = (self.x0 + self.split) // 2, (self.y0 + self.text_top) // 2
        self.caption = (middle, title)
        self.icon = (self.x0 + 12, title)
        self.corner = (self.split - 2, self.y1 - 2)
        self.text = (middle, (self.text_top + self.y1) // 2)

    def chrome(self, picture):
        """The pixels of both windows' title bars and borders."""
        bands = [(self.x0, self.y0, self.x1, self.text_top - 1),  # title bars
                 (self.x0, self.y1 - 3, self.x1, self.y1),  # bottom borders
                 (self.x0, self.y0, self.x0 + 3, self.y1),  # left border
                 (self.split - 4, self.y0, self.split + 3, self.y1),  # where they meet
                 (self.x1 - 3, self.y0, self.x1, self.y1)]  # right border
        return [picture.at(x, y) for (xa, ya, xb, yb) in bands
                for y in range(ya, yb + 1) for x in range(xa, xb + 1)]

    def text_changes(self, before, after):
        """How many pixels of the left window's text differ."""
        return sum(before.at(x, y) != after.at(x, y)
                   for y in range(self.text_top + 2, self.y1 - 4)
                   for x in range(self.x0 + 4, self.split - 6))


class Session:
    """The running program's frame, and what the test does with it."""

    def __init__(self, app, frame, artefacts):
        self.app, self.frame, self.artefacts = app, frame, artefacts
        size = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", frame))
        self.width, self.height = int(size["WIDTH"]), int(size["HEIGHT"])

    def picture(self):
        return Picture(self.frame, self.width, self.height)

    def keep(self, name):
        screenshot(os.path.join(self.artefacts, f"window_chrome-{name}.png"))

    def pointer(self, at, *actions):
        xdotool("mousemove", "--window", self.frame, str(at[0]), str(at[1]), *actions)

    def drag(self, start, travel):
        self.pointer(start)
        xdotool("mousedown", "1")
        for step in (1, 2, 3):
            time.sleep(0.1)  # the program works through its events between moves
            self.pointer((start[0] + travel[0] * step // 3, start[1] + travel[1] * step // 3))
        time.sleep(0.1)
        xdotool("mouseup", "1")

    def double_click(self, at):
        self.pointer(at, "click", "--repeat", "2", "--delay", "80", "1")

    def dismiss_system_menu(self, icon):
        """Clicks the icon, keeps a picture of the menu, and presses Escape."""
        self.pointer(icon, "click", "1")
        menu = wait_for("the system menu",
                        lambda: next(iter(visible_windows(self.app.pid) - {self.frame}), None))
        time.sleep(0.2)
        self.keep("system-menu")
        keys("Escape")
        wait_for("the system menu to close", lambda: menu not in visible_windows(self.app.pid))

    def type_statement(self, layout, statement, step):
        """Clicks into the left window's text and types a statement, which must
        reach the screen at once; then commits and confirms it."""
        self.pointer(layout.text, "click", "1")
        time.sleep(0.2)
        before = self.picture()
        xdotool("type", "--delay", "40", statement)
        end = time.monotonic() + SHOWN_AT_ONCE
        while layout.text_changes(before, self.picture()) < STATEMENT_PIXELS:
            if time.monotonic() > end:
                self.keep(f"{step}-frozen")
                raise RuntimeError(f"after {step}: the typed statement never reached the screen")
            time.sleep(0.1)
        self.keep(step)
        keys("Return", "space")

    def expect_tiled(self, layout, tiled, step):
        if layout.chrome(self.picture()) != layout.chrome(tiled):
            self.keep(f"{step}-moved")
            raise RuntimeError(f"after {step}: the windows no longer stand on their tiles")

    def captions(self):
        """The frame's caption as the window manager would read it."""
        names = []
        for atom in ("WM_NAME", "_NET_WM_NAME"):
            out = subprocess.run(["xprop", "-id", self.frame, atom], capture_output=True,
                                 text=True, timeout=DEADLINE).stdout
            names.append(out.split("=", 1)[-1].strip())
        return names


def run(kesto, artefacts):
    work = tempfile.mkdtemp(prefix="kesto-chrome-")
    with running(kesto, desktop_env(work), artefacts, "window_chrome") as app:
        frame = xdotool("search", "--sync", "--onlyvisible", "--name", "^KESTO$")[0]
        focus(frame)
        session = Session(app, frame, artefacts)
        empty = session.picture()

        # Two new programs: the newer stands on the left and is active.
        keys("alt+f", "n")
        keys("alt+f", "n")

        def two_windows():
            box = session.picture().box_differing_from(empty)
            return box and box[2] - box[0] > session.width // 2
        wait_for("two editor windows", two_windows)
        time.sleep(0.5)
        layout = Layout(empty, session.picture())
        session.pointer(layout.text)  # where the pointer rests after each step
        time.sleep(0.2)
        tiled = session.picture()
        session.keep("0-tiled")

        steps = [
            ("1-corner-dragged", lambda: session.drag(layout.corner, (-60, -45)), "g1x10"),
            ("2-caption-dragged", lambda: session.drag(layout.caption, (70, 50)), "g0y5"),
            ("3-icon-menu-escaped", lambda: session.dismiss_system_menu(layout.icon), "m3"),
            ("4-caption-double-clicked", lambda: session.double_click(layout.caption), "s100"),
        ]
        for step, gesture, statement in steps:
            gesture()
            time.sleep(0.3)
            session.type_statement(layout, statement, step)
            time.sleep(0.3)
            session.expect_tiled(layout, tiled, step)

        captions = session.captions()
        if captions != ['"KESTO"', '"KESTO"']:
            raise RuntimeError(f"the frame's caption became {captions}")

        close_window(frame)
        app.wait(timeout=DEADLINE)
    if app.returncode != 0:
        raise RuntimeError(f"kesto exited with {app.returncode}")
    print("dragged and clicked the chrome; typing showed at once, windows stayed tiled:", artefacts)


if __name__ == "__main__":
    main_under_xvfb(__doc__, run)
