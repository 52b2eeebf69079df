#!/usr/bin/env python3
"""The real program on a real X server, driven only by X key events.

Opens a program through the file dialog (Alt+F, O, the path typed into the
dialog's file-name field, Enter), edits its first line (typing, Enter, a key
that ends the confirmation), saves through the menu (Alt+F, W) answering the
question and the report with Enter, keeps a screenshot. Then the file must
hold exactly the expected bytes. Then it presses the button on the first line
of the text, moves the pointer below the text and holds it there for 3
seconds: the text scrolls and the selection follows. Released, the lines are
cut (Alt+E, T) and saved again: hundreds of whole lines from the first on
must have left the file. Last it closes the frame as the window system does. Then, in a new frame,
a file and a folder named in CP932 go through Open, Save and Save As. Last, a
300 MB program given on the command line is saved: the progress box "保存"
shows, Page Down repaints the frame meanwhile, Escape on the box stops the
save with the report "報告", and the file and its folder are as they were.

usage: edit_and_save.py KESTO_BINARY ARTEFACT_DIR
Runs itself under `xvfb-run -a` (no window manager) unless KESTO_DESKTOP_INNER
is set.
"""

import ctypes
import ctypes.util
import contextlib
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time

DEADLINE = 30.0  # seconds for any one thing to happen


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=DEADLINE)
    if check and result.returncode != 0:
        raise RuntimeError(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
    return result.stdout.split()


def wait_for(what, probe):
    """Polls `probe` until it returns something true; fails after DEADLINE."""
    end = time.monotonic() + DEADLINE
    while time.monotonic() < end:
        value = probe()
        if value:
            return value
        time.sleep(0.05)
    raise RuntimeError(f"timed out waiting for {what}")


def visible_windows(pid):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                            capture_output=True, text=True, timeout=DEADLINE)
    return set(result.stdout.split())


def window_name(wid):
    result = subprocess.run(["xdotool", "getwindowname", wid], capture_output=True, text=True,
                            timeout=DEADLINE)
    return result.stdout.strip()


def top_level_other_than(pid, frame, name=None):
    """A visible named window of the program other than the frame (a dialog)."""
    for wid in visible_windows(pid) - {frame}:
        title = window_name(wid)
        if title and (name is None or title == name):
            return wid
    return None


def focus(wid):
    xdotool("windowfocus", "--sync", wid)


def keys(*names):
    xdotool("key", "--delay", "60", *names)


def close_window(wid):
    """Asks the window to close the way a window manager does (WM_DELETE_WINDOW)."""
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class XEvent(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = x11.XOpenDisplay(None)
    if not display:
        raise RuntimeError("cannot open the X display")
    event = XEvent()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = int(wid)
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, int(wid), 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def bind_keysym(char):
    """Binds `char` to a key code the keyboard leaves unused, for the rest of
    the X server's life. xdotool types a character it finds on no key by
    binding one for that key press alone; a program busy enough reads the key
    after the binding has gone, and the character is lost."""
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                     ctypes.POINTER(ctypes.c_int)]
    x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                        ctypes.POINTER(ctypes.c_int)]
    x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        raise RuntimeError("cannot open the X display")
    low, high, per_code = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
    x11.XDisplayKeycodes(display, ctypes.byref(low), ctypes.byref(high))
    count = high.value - low.value + 1
    mapping = x11.XGetKeyboardMapping(display, low.value, count, ctypes.byref(per_code))
    unused = [low.value + i for i in range(count)
              if not any(mapping[i * per_code.value + k] for k in range(per_code.value))]
    x11.XFree(mapping)
    if not unused:
        raise RuntimeError("no unused key code to bind a character to")
    keysym = 0x1000000 | ord(char)
    x11.XChangeKeyboardMapping(display, unused[-1], 1, (ctypes.c_ulong * 1)(keysym), 1)
    x11.XSync(display, 0)
    x11.XCloseDisplay(display)


def screenshot(path):
    """Keeps a picture of the whole screen as a test artefact, when `import` is there."""
    try:
        subprocess.run(["import", "-window", "root", path], timeout=DEADLINE)
    except (OSError, subprocess.SubprocessError) as error:
        print("no screenshot:", error, file=sys.stderr)


def say_yes(app, frame, what):
    """Answers the question box that the frame shows with Enter (Yes)."""
    question = wait_for(what, lambda: top_level_other_than(app.pid, frame, "問い合わせ"))
    focus(question)
    keys("Return")
    wait_for("the question to close", lambda: question not in visible_windows(app.pid))


def save(app, frame, program, saved):
    """File ▸ Save: the question (Enter = Yes), then the report (Enter = OK);
    `saved(bytes)` tells when the file holds what it should."""
    keys("alt+f", "w")
    say_yes(app, frame, "the question")
    report = wait_for("the report", lambda: top_level_other_than(app.pid, frame, "報告"))
    wait_for("the saved bytes", lambda: saved(read(program)))
    return report


def text_rows(frame):
    """The first run of white rows down the middle of the frame taller than a
    caption's letters: the text of its editor window, (x, top, bottom) in
    frame coordinates."""
    size = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", frame))
    width, height = int(size["WIDTH"]), int(size["HEIGHT"])
    pixels = subprocess.run(["import", "-window", frame, "-depth", "8", "rgb:-"],
                            capture_output=True, timeout=DEADLINE, check=True).stdout
    x = width // 2
    white = [pixels[(y * width + x) * 3:(y * width + x) * 3 + 3] == b"\xff\xff\xff"
             for y in range(height)]
    top = next(y for y in range(height) if all(white[y:y + 30]))
    bottom = white.index(False, top)
    return x, top, bottom


def hold_below_the_text(frame, artefacts):
    """Presses on the first line, moves below the text and holds 3 seconds."""
    x, top, bottom = text_rows(frame)
    xdotool("mousemove", "--window", frame, str(x // 4), str(top + 6), "mousedown", "1")
    time.sleep(0.2)
    xdotool("mousemove", "--window", frame, str(x // 4), str(bottom + 120))
    time.sleep(3)
    screenshot(os.path.join(artefacts, "edit_and_save-held.png"))
    xdotool("mouseup", "1")
    time.sleep(0.3)


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def run(kesto, artefacts):
    work = tempfile.mkdtemp(prefix="kesto-desktop-")
    program = os.path.join(work, "PART1.m")
    numbered = b"".join(b"N%04dG01X%d\r\n" % (i, i) for i in range(5000))
    with open(program, "wb") as f:
        f.write(b"G01X10\r\nG00Y5\r\n" + numbered)
    expected = b"X1G01X10\r\nG00Y5\r\n" + numbered
    lines = expected.split(b"\r\n")
    cut = None  # lines the hold selected and the cut took out

    with running(kesto, desktop_env(work), artefacts, "edit_and_save") as app:
        frame = xdotool("search", "--sync", "--onlyvisible", "--name", "^KESTO$")[0]
        focus(frame)

        # File ▸ Open: the dialog comes up with the file-name field focused.
        keys("alt+f", "o")
        dialog = wait_for("the open dialog", lambda: top_level_other_than(app.pid, frame))
        focus(dialog)
        xdotool("type", "--delay", "20", program)
        keys("Return")
        wait_for("the open dialog to close", lambda: dialog not in visible_windows(app.pid))

        # The new editor window is active with the caret at the start of the
        # first line: type a statement in front, commit it, end confirmation.
        focus(frame)
        keys("x", "1", "Return", "space")

        report = save(app, frame, program, lambda got: got == expected)
        screenshot(os.path.join(artefacts, "edit_and_save.png"))
        focus(report)
        keys("Return")
        wait_for("the report to close", lambda: report not in visible_windows(app.pid))

        # Held below the text, the selection runs on; the cut lines leave the file.
        focus(frame)
        hold_below_the_text(frame, artefacts)
        keys("alt+e", "t")
        report = save(app, frame, program, lambda got: got != expected)
        left = read(program).split(b"\r\n")
        cut = len(lines) - len(left)
        if left != lines[cut:]:
            raise RuntimeError(f"the cut did not take whole lines from the first: {left[:2]!r}")
        focus(report)
        keys("Return")
        wait_for("the report to close", lambda: report not in visible_windows(app.pid))

        close_window(frame)
        app.wait(timeout=DEADLINE)

    run_cp932_names(kesto, artefacts)
    run_long_save(kesto, artefacts)
    if cut is None or cut < 200:
        raise RuntimeError(f"holding below the text selected {cut} lines, not hundreds")
    if app.returncode != 0:
        raise RuntimeError(f"kesto exited with {app.returncode}")
    print(f"edited and saved through the real dialogs; holding below the text selected {cut} "
          "lines:", program)


def dialog_accepts(app, frame, path):
    """Types `path` into the file dialog that opens and presses Enter."""
    dialog = wait_for("the file dialog", lambda: top_level_other_than(app.pid, frame))
    focus(dialog)
    xdotool("type", "--delay", "20", path)
    keys("Return")
    wait_for("the file dialog to close", lambda: dialog not in visible_windows(app.pid))


def run_cp932_names(kesto, artefacts):
    """A folder and a file named in CP932, typed into the dialogs in the form
    Qt shows such names in (U+FFFD for each byte that is not UTF-8): Open
    opens the file, Save writes it back under its own bytes, Save As with a
    new name writes into the CP932 folder, and no name with U+FFFD appears."""
    work = tempfile.mkdtemp(prefix="kesto-desktop-")
    folder = os.path.join(work.encode(), b"\x83\x76")  # "プ"
    program = os.path.join(folder, b"\x83\x76\x83\x8d.m")  # "プロ.m"
    os.mkdir(folder)
    with open(program, "wb") as f:
        f.write(b"G01X10\r\n")
    shown = os.path.join(work, "\ufffdv")
    bind_keysym("\ufffd")

    with running(kesto, desktop_env(work), artefacts, "edit_and_save-cp932") as app:
        frame = xdotool("search", "--sync", "--onlyvisible", "--name", "^KESTO$")[0]
        focus(frame)
        keys("alt+f", "o")
        dialog_accepts(app, frame, os.path.join(shown, "\ufffdv\ufffd\ufffd.m"))
        focus(frame)
        keys("x", "1", "Return", "space")
        report = save(app, frame, program, lambda got: got == b"X1G01X10\r\n")
        screenshot(os.path.join(artefacts, "edit_and_save-cp932.png"))
        focus(report)
        keys("Return")
        wait_for("the report to close", lambda: report not in visible_windows(app.pid))

        focus(frame)
        keys("alt+f", "s")
        say_yes(app, frame, "Save As's question")
        dialog_accepts(app, frame, os.path.join(shown, "NEW.m"))
        report = wait_for("Save As's report",
                          lambda: top_level_other_than(app.pid, frame, "報告"))
        wait_for("the file saved as NEW.m",
                 lambda: read(os.path.join(folder, b"NEW.m")) == b"X1G01X10\r\n")
        focus(report)
        keys("Return")
        wait_for("the report to close", lambda: report not in visible_windows(app.pid))
        close_window(frame)
        app.wait(timeout=DEADLINE)

    names = [os.path.join(top, name) for top, dirs, files in os.walk(work.encode())
             for name in dirs + files]
    if any("\ufffd".encode() in name for name in names):
        raise RuntimeError(f"a name with U+FFFD was written: {names!r}")


def digest(path):
    sha = hashlib.sha1()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            sha.update(block)
    return sha.hexdigest()


def run_long_save(kesto, artefacts):
    """Save of a 300 MB program in lower case with spaces and ";" (so that a
    save would change it), cancelled with Escape on its progress box."""
    from print_progress import _try, text_band, within  # it imports this module
    work = tempfile.mkdtemp(prefix="kesto-desktop-")
    program = os.path.join(work, "BIG.m")
    # A comment in kana on every line: its characters go through the CP932
    # encoder, which keeps the save going for seconds.
    kana = "(カコウ シアゲ)".encode("cp932")
    lines = b"".join(b"n%d g01 x%d. y-2.5 %s ;\r\n" % (n, n % 4000, kana) for n in range(100000))
    with open(program, "wb") as f:
        for _ in range(300 * 1024 * 1024 // len(lines) + 1):
            f.write(lines)
    before = digest(program)
    env = desktop_env(work)
    names = sorted(os.listdir(work))
    try:
        with running(kesto, env, artefacts, "edit_and_save-long", program) as app:
            frame = xdotool("search", "--sync", "--onlyvisible", "--name", "^KESTO$")[0]
            _, top, _ = wait_for("the program's window", lambda: _try(text_rows, frame))
            focus(frame)
            keys("alt+f", "w")
            say_yes(app, frame, "the question")
            box, shown = within(3.0, "the progress box",
                                lambda: top_level_other_than(app.pid, frame, "保存"))
            screenshot(os.path.join(artefacts, "edit_and_save-long.png"))
            focus(frame)
            band = text_band(frame, top + 2, box)
            keys("Next")
            within(1.0, "the frame's repaint during the save",
                   lambda: text_band(frame, top + 2, box) != band)
            if box not in visible_windows(app.pid):
                raise RuntimeError("the save ended before Escape: the program is too small")
            focus(box)
            keys("Escape")
            report, _ = within(3.0, "the report after Escape",
                               lambda: top_level_other_than(app.pid, frame, "報告"))
            screenshot(os.path.join(artefacts, "edit_and_save-long-cancelled.png"))
            if digest(program) != before:
                raise RuntimeError("the cancelled save changed the file")
            if sorted(os.listdir(work)) != names:
                raise RuntimeError(f"the cancelled save left {sorted(os.listdir(work))}")
            focus(report)
            keys("Return")
            wait_for("the report to close", lambda: report not in visible_windows(app.pid))
            close_window(frame)
            app.wait(timeout=DEADLINE)
        print(f"a 300 MB save showed its box after {shown:.2f} s and stopped on Escape")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def desktop_env(work, **extra):
    """The environment for the program on the real X server (not offscreen),
    with a runtime folder of its own in `work` (its one-frame socket)."""
    env = dict(os.environ, XDG_RUNTIME_DIR=os.path.join(work, "runtime"), **extra)
    env.pop("QT_QPA_PLATFORM", None)
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    return env


@contextlib.contextmanager
def running(kesto, env, artefacts, name, *arguments):
    """The program started with `arguments`, its output in NAME.log; if it
    still runs on the way out (a step failed), the screen is kept as
    NAME-failed.png and the program killed."""
    with open(os.path.join(artefacts, name + ".log"), "wb") as log:
        app = subprocess.Popen([kesto, *arguments], env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        yield app
    finally:
        if app.poll() is None:
            screenshot(os.path.join(artefacts, name + "-failed.png"))
            app.kill()
            app.wait()


def main_under_xvfb(doc, run, screen="1280x1024"):
    """The entry point every desktop script shares: KESTO_BINARY ARTEFACT_DIR
    on the command line; runs the script again under `xvfb-run -a` (no window
    manager) on a screen of `screen` pixels, where `run(kesto, artefacts)`
    drives the program. Fails the test with the error's text."""
    if len(sys.argv) != 3:
        sys.exit(doc)
    kesto, artefacts = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not os.environ.get("KESTO_DESKTOP_INNER"):
        env = dict(os.environ, KESTO_DESKTOP_INNER="1")
        # -noreset: when its last client goes, the server would reset, and a
        # program started in that moment could not connect.
        result = subprocess.run(["xvfb-run", "-a", "-s", f"-noreset -screen 0 {screen}x24",
                                 sys.executable, *sys.argv], env=env)
        sys.exit(result.returncode)
    os.makedirs(artefacts, exist_ok=True)
    try:
        run(kesto, artefacts)
    except Exception as error:  # report and fail the test
        print("FAILED:", error, file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main_under_xvfb(__doc__, run)
