#!/usr/bin/env python3
"""Kills q9config at random moments of its close with save and checks what the settings store holds then.

Runs on an X server:

    xvfb-run -a -s "-noreset -screen 0 1280x1024x24" python3 window_crash_trials.py \\
        --q9config PATH/TO/q9config --q9ctl PATH/TO/q9ctl [--trials N] [--seed S]

Each trial copies one of the two starting stores of store_crash_trials.py (an empty one, and one
holding all six values with edited profiles), starts `q9config --simulate --report-shown --store COPY`,
makes one change by real clicks (a light colour, the brightness, the report rate or a CPI), clicks
the window's close button and answers OK when the window asks whether to save. Most trials kill the
program with SIGKILL at a random moment between that answer and the usual end of the save; one in
ten kills it before the answer (just after the change, or while the question is open). The usual
end of the save is measured first, from uninterrupted runs: the moment its last value file is
replaced. Those runs also give the images a value may hold afterwards. Then the checks of the q9ctl
trials: every value whole, `q9ctl show` loads the store, no leftovers after that start.

The answer is a key press sent through the XTest extension by this process, so its moment is known
to well under a millisecond; an xdotool process would take longer to start than the save lasts. What
a kill interrupted is read from the store: each replace gives a value file a new inode, and a write
cut short leaves its temporary file.

--tear-every N checks the checks: every N-th trial, after the kill, a value file is cut to half its
length in place and a foreign folder is made beside the values; the run passes only when every such
trial is reported, and no other.
"""

import argparse
import ctypes
import os
import random
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from store_crash_trials import (KEY_FOLDER, TEMPORARY_MARK, VALUE_NAMES, Runner, check_store,  # noqa: E402
                                fresh_copy, images_without_the_command, make_starts, read_values)

# Window-relative centres in the 819 x 595 window.
CLOSE_BUTTON = (789, 25)
# A page as its tab, and a point of it with the colour it has there once the page shows. The window
# switches pages after the click has been handled: a click meant for the page must wait for it.
COLOUR_PAGE = ((513, 108), (343, 213), 0xB90001)  # the red swatch
SENSITIVITY_PAGE = ((313, 108), (144, 400), 0x33BD71)  # the track of DPI1's X axis below its handle
# Each change as the page it is made on (None: the window's bottom bar) and the click that makes it.
# Each leaves the stored images different from those the window started with.
CHANGES = {
    "light-colour": (COLOUR_PAGE, (487, 285)),  # the dark blue swatch
    "brightness": (COLOUR_PAGE, (640, 272)),  # HIGH
    "report-rate": (None, (485, 563)),  # 1000 Hz
    "cpi": (SENSITIVITY_PAGE, (144, 300)),  # on DPI1's X-axis track above its handle: a step up
}
QUESTION_TITLE = "Warning!"
SAVE_TIMEOUT = 20  # seconds from the answer to the program's end in an uninterrupted run
BEFORE_ANSWER_SHARE = 0.1
BEFORE_ANSWER_LATEST = 0.05  # seconds after the change or after the question showed


class XDisplay:
    """Key presses through the XTest extension, and the colour of a point of the screen, on the
    display in $DISPLAY."""

    def __init__(self):
        x11 = self.x11 = ctypes.CDLL("libX11.so.6")
        xtst = self.xtst = ctypes.CDLL("libXtst.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XStringToKeysym.restype = ctypes.c_ulong
        x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XGetImage.restype = ctypes.c_void_p
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XGetPixel.restype = ctypes.c_ulong
        x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = x11.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("cannot open the X display (run under xvfb-run)")
        self.root = x11.XDefaultRootWindow(self.display)

    def send_key(self, key, down):
        code = self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(key.encode()))
        self.xtst.XTestFakeKeyEvent(self.display, code, 1 if down else 0, 0)
        self.x11.XSync(self.display, 0)  # the server has the event when this returns

    def pixel(self, x, y):
        """0xRRGGBB at (x, y) of the screen (a 24-bit true-colour screen, as the tests run)."""
        all_planes, z_pixmap = (1 << 64) - 1, 2
        image = self.x11.XGetImage(self.display, self.root, x, y, 1, 1, all_planes, z_pixmap)
        if not image:
            raise RuntimeError(f"cannot read the screen at {x}, {y}")
        try:
            return self.x11.XGetPixel(image, 0, 0) & 0xFFFFFF
        finally:
            self.x11.XDestroyImage(image)


def xdotool(*arguments):
    return subprocess.run(["xdotool", *arguments], capture_output=True, text=True, timeout=20).stdout.split()


def wait_for(find, what, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.01)
    raise RuntimeError(f"{what} within {timeout} s")


def inodes(store):
    """Name -> inode of every entry of the settings folder."""
    folder = store / KEY_FOLDER
    found = {}
    for name in os.listdir(folder) if folder.is_dir() else []:
        try:
            found[name] = os.stat(folder / name).st_ino
        except FileNotFoundError:
            pass
    return found


def progress(before, now):
    """How many values a save has replaced since `before`, and whether a write of it was cut short."""
    replaced = sum(1 for name in VALUE_NAMES if name in now and now[name] != before.get(name))
    return replaced, any(name.startswith(TEMPORARY_MARK) for name in now)


class Window:
    """One q9config on a store, worked by clicks up to its save question."""

    def __init__(self, program, store, runtime, display):
        self.display = display
        env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), GSETTINGS_BACKEND="memory")
        self.process = subprocess.Popen([program, "--simulate", "--report-shown", "--store", str(store)],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        ready, _, _ = select.select([self.process.stdout], [], [], 20)
        line = self.process.stdout.readline() if ready else b""
        if line.strip() != b"shown":
            self.kill()
            raise RuntimeError(f"the window did not open: {line!r} {self.process.stderr.read()[-2000:]!r}")
        pid = str(self.process.pid)
        window = wait_for(lambda: xdotool("search", "--all", "--pid", pid, "--name", "QVGM_CONFIG"), "no main window")[0]
        geometry = dict(item.split("=") for item in xdotool("getwindowgeometry", "--shell", window))
        self.origin = int(geometry["X"]), int(geometry["Y"])

    def click(self, position):
        x, y = self.origin[0] + position[0], self.origin[1] + position[1]
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True, timeout=20)

    def make(self, change):
        page, position = CHANGES[change]
        if page:
            tab, probe, colour = page
            self.click(tab)
            at = self.origin[0] + probe[0], self.origin[1] + probe[1]
            try:
                wait_for(lambda: self.display.pixel(*at) == colour, f"the page of {change} did not show")
            except RuntimeError as error:
                raise RuntimeError(f"{error} (0x{self.display.pixel(*at):06X} at {probe})") from None
        self.click(position)

    def ask_to_close(self):
        """Clicks the close button and waits for the save question; gives it the keyboard focus."""
        self.click(CLOSE_BUTTON)
        pid = str(self.process.pid)
        question = wait_for(lambda: xdotool("search", "--all", "--pid", pid, "--onlyvisible", "--name", f"^{QUESTION_TITLE}$"),
                            "no save question after the change")[0]
        # There is no window manager to give the question the focus; the answer must reach it.
        def focused():
            subprocess.run(["xdotool", "windowfocus", "--sync", question], check=True, timeout=20)
            return xdotool("getwindowfocus") == [question]
        wait_for(focused, "the save question did not take the keyboard focus")

    def alive(self):
        return self.process.poll() is None

    def kill(self):
        """SIGKILL unless it has ended; True when it was still running."""
        running = self.alive()
        if running:
            self.process.send_signal(signal.SIGKILL)
        self.process.wait()
        return running


def uninterrupted_save(program, store, runtime, change, display):
    """Makes the change, closes and answers OK, and follows the save to the program's end.
    Returns (images when the question showed, times of the save's last replace and of the end)."""
    window = Window(program, store, runtime, display)
    try:
        window.make(change)
        window.ask_to_close()
        shown_images = read_values(store)
        before = inodes(store)
        display.send_key("Return", True)
        try:
            answered = time.monotonic()
            last_replace, seen = None, {}
            while window.alive():
                if time.monotonic() - answered > SAVE_TIMEOUT:
                    raise RuntimeError(f"{change}: still running {SAVE_TIMEOUT} s after the answer")
                now = inodes(store)
                if now != seen and progress(before, now)[0] > progress(before, seen)[0]:
                    last_replace = time.monotonic() - answered
                seen = now
                time.sleep(0.0001)
            ended = time.monotonic() - answered
            if last_replace is None:  # the whole save fell between two looks at the store
                last_replace = ended
        finally:
            display.send_key("Return", False)
    finally:
        window.kill()
    if window.process.returncode != 0:
        raise RuntimeError(f"{change}: q9config ended with {window.process.returncode}: {window.process.stderr.read()[-2000:]!r}")
    replaced, cut = progress(before, inodes(store))
    if replaced != len(VALUE_NAMES) or cut:
        raise RuntimeError(f"{change}: the save replaced {replaced} of {len(VALUE_NAMES)} values")
    return shown_images, last_replace, ended


def collect_images(runner, program, starts, runtime, display, runs=2):
    """Legitimate images per (start, change): name -> set of bytes (None: the value is absent),
    and the usual moments, after the answer, of the save's last replace and of the program's end."""
    images, last_replaces, ends = {}, [], []
    scratch = runner.work / "scratch"
    for start_name, start in starts.items():
        unchanged = images_without_the_command(runner, start, scratch)
        for change in CHANGES:
            legit = {value: set(images) for value, images in unchanged.items()}
            for _ in range(runs):
                fresh_copy(start, scratch)
                shown_images, last_replace, ended = uninterrupted_save(program, scratch, runtime, change, display)
                last_replaces.append(last_replace)
                ends.append(ended)
                saved = read_values(scratch)
                if saved == shown_images:
                    raise RuntimeError(f"{change} on the {start_name} store saved the images it started with")
                for images_seen in (shown_images, saved):
                    for value, image in images_seen.items():
                        legit.setdefault(value, set()).add(image)
            images[(start_name, change)] = legit
    return images, statistics.median(last_replaces), statistics.median(ends)


def killed_trial(program, store, runtime, change, display, rng, save_duration):
    """One trial up to the kill. Returns what the kill interrupted and the delay it came after."""
    window = Window(program, store, runtime, display)
    try:
        before_answer = rng.random() < BEFORE_ANSWER_SHARE
        stage = rng.choice(["change", "question"]) if before_answer else "save"
        window.make(change)
        if stage != "change":
            window.ask_to_close()
        before = inodes(store)
        if stage != "save":
            delay = rng.uniform(0, BEFORE_ANSWER_LATEST)
            time.sleep(delay)
            window.kill()
            return f"before the answer ({stage})", delay
        delay = rng.uniform(0, save_duration)
        display.send_key("Return", True)
        try:
            time.sleep(delay)
            killed = window.kill()
        finally:
            display.send_key("Return", False)
    finally:
        window.kill()
    if not killed:
        return "not killed", delay
    replaced, cut = progress(before, inodes(store))
    if replaced == 0 and not cut:
        return "before the first replace", delay
    if replaced == len(VALUE_NAMES) and not cut:
        return "after the last replace", delay
    return "during the save", delay


def tear(store, rng):
    """What a save writing in place would leave: a value cut to half, and a foreign folder beside it."""
    folder = store / KEY_FOLDER
    value = folder / rng.choice(sorted(name for name in os.listdir(folder) if name in VALUE_NAMES))
    with open(value, "r+b") as file:
        file.truncate(value.stat().st_size // 2)
    (folder / (TEMPORARY_MARK + "dir")).mkdir(exist_ok=True)


def screenshot(path):
    """The whole screen as a picture, for a trial that went other than planned; where it is, or why not."""
    try:
        subprocess.run(["import", "-window", "root", str(path)], check=True, timeout=20, capture_output=True)
        return str(path)
    except (OSError, subprocess.SubprocessError) as error:
        return f"none: {error}"


OUTCOMES = ["before the answer (change)", "before the answer (question)", "before the first replace",
            "during the save", "after the last replace", "not killed"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--trials", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--q9config", required=True, help="path of q9config")
    parser.add_argument("--q9ctl", required=True, help="path of q9ctl (makes the starting stores, loads after a kill)")
    parser.add_argument("--tear-every", type=int, default=0, metavar="N",
                        help="tear a value in every N-th trial; passes only when exactly those are reported")
    parser.add_argument("--keep", action="store_true", help="keep the work folder of the trials")
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 32)
    rng = random.Random(seed)

    work = Path(tempfile.mkdtemp(prefix="q9-window-crash-"))
    runtime = work / "runtime"  # the window's single-copy lock lives here
    runtime.mkdir(mode=0o700)
    runner = Runner(argparse.Namespace(q9ctl=args.q9ctl, q9sim=None), work)
    display = XDisplay()
    counts = {"torn": 0, "leftover": 0, "load": 0}
    outcomes = {outcome: 0 for outcome in OUTCOMES}
    torn_trials, missed, false_alarms = 0, [], []
    began = time.monotonic()
    try:
        starts = make_starts(runner)
        images, save_duration, end = collect_images(runner, args.q9config, starts, runtime, display)
        print(f"usual moments after the answer: last value replaced {save_duration * 1000:.1f} ms, "
              f"program ended {end * 1000:.1f} ms")
        store = work / "store"
        for trial in range(args.trials):
            start_name = rng.choice(sorted(starts))
            change = rng.choice(sorted(CHANGES))
            fresh_copy(starts[start_name], store)
            try:
                outcome, delay = killed_trial(args.q9config, store, runtime, change, display, rng, save_duration)
            except RuntimeError as error:
                args.keep = True
                raise RuntimeError(f"trial {trial}: {change} on the {start_name} store: {error} "
                                   f"(the screen: {screenshot(work / f'trial-{trial}.png')})") from error
            outcomes[outcome] += 1
            torn_here = args.tear_every > 0 and trial % args.tear_every == args.tear_every - 1
            if torn_here:
                tear(store, rng)
                torn_trials += 1
            where = f"trial {trial}: {change} on the {start_name} store, killed {outcome} after {delay * 1000:.1f} ms"
            before = dict(counts)
            check_store(runner, store, images[(start_name, change)], where, counts)
            reported = counts["torn"] > before["torn"] and counts["leftover"] > before["leftover"]
            if torn_here and not reported:
                missed.append(trial)
            if not torn_here and counts != before:
                false_alarms.append(trial)
    finally:
        if args.keep:
            print(f"work folder: {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    elapsed = time.monotonic() - began
    print(f"trials {args.trials}, " + ", ".join(f"{n} killed {o}" if o != "not killed" else f"{n} not killed"
                                               for o, n in outcomes.items()))
    print(f"torn values {counts['torn']}, leftover files {counts['leftover']}, load failures {counts['load']} "
          f"(seed {seed}, {elapsed:.1f} s)")
    if args.tear_every:
        print(f"torn on purpose in {torn_trials} trials: {torn_trials - len(missed)} reported, "
              f"{len(false_alarms)} other trials reported")
        return 1 if missed or false_alarms or torn_trials == 0 else 0
    return 1 if counts["torn"] or counts["leftover"] or counts["load"] else 0


if __name__ == "__main__":
    sys.exit(main())
