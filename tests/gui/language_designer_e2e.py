#!/usr/bin/env python3
"""The translation designer as a translator works it, on an X server: `q9config --translate` on the
ui.local of a copied program folder; with real clicks and keys (xdotool) the Simplified Chinese page
is chosen, the row of "Restore Defaults" found by typing its beginning in the left column, its
translation replaced, and the file saved with "Save to language file". Only that one entry of the
file has changed. Then the configuration window, started from the same folder in Simplified Chinese,
shows the new text on its button: the button's pixels changed from the window on the old file, only
there, and they are the pixels of a button showing the same text through a file this test wrote.

    language_designer_e2e.py PATH/TO/q9config"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

CHINESE = "0804"
ENGLISH = "0409"
ORIGINAL = "Restore Defaults"
EDITED = "Restore-X9"
DESIGNER = "Language Translate v1.1"
MAIN = "QVGM_CONFIG"
# Window-relative centres in the 900 x 640 designer: the tab of the second page (the pages follow
# the file: English, Simplified Chinese, Traditional Chinese), the first row's English text, and
# "Save to language file".
CHINESE_TAB, FIRST_ORIGINAL_CELL, SAVE_BUTTON = (240, 57), (200, 107), (687, 619)
MAIN_SIZE = (819, 595)
RESTORE_BUTTON = (130, 24)  # the size of the "Restore Defaults" button of the profile bar


# --- ui.local: a UTF-16LE string (int32 length in units, then the units), the originals joined by
# CRLF, an int32 count of languages, then per language its id and its "original=translation" lines.

def read_language_file(path):
    data = open(path, "rb").read()
    at = 0

    def int32():
        nonlocal at
        (value,) = struct.unpack_from("<i", data, at)
        at += 4
        return value

    def string():
        nonlocal at
        units = int32()
        assert 0 <= units and at + 2 * units <= len(data), f"{path}: a string runs past the end"
        text = data[at:at + 2 * units].decode("utf-16-le")
        at += 2 * units
        return text

    originals = [line for line in string().split("\r\n") if line]
    languages = {}
    for _ in range(int32()):
        name = string()
        pairs = {}
        for line in string().split("\r\n"):
            if "=" in line and not line.startswith("="):
                original, translation = line.split("=", 1)
                pairs.setdefault(original, translation)
        languages[name] = pairs
    assert at == len(data), f"{path}: {len(data) - at} bytes after the last language"
    return originals, languages


def write_language_file(path, originals, languages):
    def string(text):
        encoded = text.encode("utf-16-le")
        return struct.pack("<i", len(encoded) // 2) + encoded

    out = string("\r\n".join(originals)) + struct.pack("<i", len(languages))
    for name, pairs in languages.items():
        out += string(name) + string("\r\n".join(f"{o}={t}" for o, t in sorted(pairs.items())))
    open(path, "wb").write(out)


# --- the X server

def xdotool(*arguments):
    return subprocess.check_output(["xdotool", *arguments], text=True)


def wait_for(condition, what, timeout=60, process=None):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        if process is not None and process.poll() is not None:
            raise AssertionError(f"the program ended (exit {process.returncode}) before {what} appeared: "
                                 f"{process.stderr.read() if process.stderr else ''}")
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def window_named(name, process=None):
    def found():
        ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                             capture_output=True, text=True).stdout.split()
        return ids[0] if ids else None
    return wait_for(found, f"the window \"{name}\"", process=process)


def geometry(window):
    fields = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window).split())
    return int(fields["X"]), int(fields["Y"]), int(fields["WIDTH"]), int(fields["HEIGHT"])


def click(window, position):
    x, y, _, _ = geometry(window)
    xdotool("mousemove", str(x + position[0]), str(y + position[1]), "click", "1")
    time.sleep(0.15)


def keys(*names):
    for name in names:
        xdotool("key", "--clearmodifiers", name)
        time.sleep(0.08)


def type_text(text):
    xdotool("type", "--delay", "30", text)
    time.sleep(0.15)


def pixels(window):
    """The window's image as rows of RGB bytes."""
    _, _, width, height = geometry(window)
    raw = subprocess.check_output(["import", "-silent", "-window", window, "-depth", "8", "rgb:-"])
    assert len(raw) == width * height * 3, f"a picture of {len(raw)} bytes for {width} x {height}"
    return width, height, [raw[row * width * 3:(row + 1) * width * 3] for row in range(height)]


def changed_box(before, after):
    """The smallest rectangle (left, top, right, bottom) holding every changed pixel, or None."""
    assert before[:2] == after[:2], f"the window changed its size: {before[:2]} -> {after[:2]}"
    width, height = before[:2]
    left, top, right, bottom = width, height, -1, -1
    for row in range(height):
        a, b = before[2][row], after[2][row]
        if a == b:
            continue
        columns = [x for x in range(width) if a[3 * x:3 * x + 3] != b[3 * x:3 * x + 3]]
        left, right = min(left, columns[0]), max(right, columns[-1])
        top, bottom = min(top, row), row
    return None if right < 0 else (left, top, right, bottom)


def crop(picture, box):
    left, top, right, bottom = box
    return [row[3 * left:3 * (right + 1)] for row in picture[2][top:bottom + 1]]


# --- the program

def program_folder(program, into):
    """A copy of the program and what it reads beside it, so the build tree stays as it is."""
    source = os.path.dirname(program)
    shutil.copy2(program, into)
    for name in ("config.ini", "ui.local", "libuiHook.so"):
        if os.path.exists(os.path.join(source, name)):
            shutil.copy2(os.path.join(source, name), into)
    if os.path.isdir(os.path.join(source, "image")):
        shutil.copytree(os.path.join(source, "image"), os.path.join(into, "image"))
    return os.path.join(into, os.path.basename(program))


def stop(process):
    if process.poll() is None:
        process.terminate()
    process.wait(timeout=20)


def environment(language):
    return dict(os.environ, LC_ALL=language)


def edit_in_designer(program, language_file):
    env = environment("en_US.UTF-8")
    designer = subprocess.Popen([program, "--translate"], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    try:
        window = window_named(DESIGNER, designer)
        time.sleep(0.5)  # the designer takes clicks once it has settled on the screen
        click(window, CHINESE_TAB)
        click(window, FIRST_ORIGINAL_CELL)
        type_text(ORIGINAL)  # jumps to the row whose English text begins so
        keys("Right", "F2", "ctrl+a")
        type_text(EDITED)
        keys("Return")
        before = os.stat(language_file).st_mtime_ns
        click(window, SAVE_BUTTON)
        wait_for(lambda: os.stat(language_file).st_mtime_ns != before, "the language file to be saved")
        keys("Escape")
        wait_for(lambda: designer.poll() is not None, "the designer to end")
        assert designer.returncode == 0, f"the designer ended with {designer.returncode}: {designer.stderr.read()}"
    finally:
        stop(designer)


def main_window_picture(program, store, language):
    env = environment(language)
    window = subprocess.Popen([program, "--simulate", "--report-shown", "--store", store], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        xdotool("mousemove", "0", "0")  # no button under the pointer
        assert window.stdout.readline().strip() == "shown", f"the window did not open: {window.stderr.read()}"
        main_window = window_named(MAIN)
        assert geometry(main_window)[2:] == MAIN_SIZE, f"the window is {geometry(main_window)[2:]}"
        # The same picture twice in a row: the window has finished painting.
        previous = pixels(main_window)

        def settled():
            nonlocal previous
            current = pixels(main_window)
            same = current == previous
            previous = current
            return same
        wait_for(settled, "the window to finish painting")
        return previous
    finally:
        stop(window)


def main(program):
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as runtime, tempfile.TemporaryDirectory() as folder, \
            tempfile.TemporaryDirectory() as store, \
            tempfile.TemporaryDirectory() as reference_folder, tempfile.TemporaryDirectory() as reference_store:
        # A runtime folder of its own: the window's single-copy lock and message socket live there,
        # so a window of another test does not turn this one away.
        os.chmod(runtime, 0o700)
        os.environ["XDG_RUNTIME_DIR"] = runtime
        copy = program_folder(program, folder)
        language_file = os.path.join(folder, "ui.local")
        originals, languages = read_language_file(language_file)
        assert ORIGINAL in originals and languages[CHINESE].get(ORIGINAL, "") not in ("", EDITED), \
            f"the shipped file has no Chinese text for {ORIGINAL!r}"
        old_window = main_window_picture(copy, store, "zh_CN.UTF-8")

        edit_in_designer(copy, language_file)

        saved_originals, saved_languages = read_language_file(language_file)
        assert saved_originals == originals, "the list of original texts changed"
        assert saved_languages.keys() == languages.keys(), f"languages {list(saved_languages)}"
        expected = {name: dict(pairs) for name, pairs in languages.items()}
        expected[CHINESE][ORIGINAL] = EDITED
        for name in expected:
            for original in set(expected[name]) | set(saved_languages[name]):
                assert saved_languages[name].get(original) == expected[name].get(original), \
                    f"{name} {original!r}: {saved_languages[name].get(original)!r}, " \
                    f"expected {expected[name].get(original)!r}"

        new_window = main_window_picture(copy, store, "zh_CN.UTF-8")
        box = changed_box(old_window, new_window)
        assert box, "the window looks as it did on the old file"
        assert box[2] - box[0] < RESTORE_BUTTON[0] and box[3] - box[1] < RESTORE_BUTTON[1], \
            f"more than one button changed: {box}"

        # The same text on the same button, through a file written here, in the English window.
        reference = program_folder(program, reference_folder)
        english = {name: {} for name in languages}
        english[ENGLISH] = {ORIGINAL: EDITED}
        write_language_file(os.path.join(reference_folder, "ui.local"), originals, english)
        reference_window = main_window_picture(reference, reference_store, "en_US.UTF-8")
        assert crop(reference_window, box) == crop(new_window, box), \
            f"the button does not show {EDITED!r} as a button with that text does ({box})"
    print(f"the edited translation reached the window ({time.monotonic() - started:.1f} s)")


if __name__ == "__main__":
    main(sys.argv[1])
