#!/usr/bin/env python3
"""The button assignment page as a user works it, on an X server: in q9config with a mouse served by
q9sim on the driver socket, seven buttons get their functions through real clicks and key events
(xdotool): a single key (keypad Enter), a combination (Ctrl+Shift+A), a media key (Volume Up), a fire
key (5 clicks, 100 ms), a macro recorded in the Macro Manager, DPI+ and Disable. APPLY writes them to
the mouse, and q9sim decode names each on its button.

The assignment menu is worked from the keyboard (Home, Down, Return; a typed letter in a sub-menu),
the dialogs by their keys and buttons.

    button_page_e2e.py PATH/TO/q9config PATH/TO/q9sim"""

import os
import subprocess
import sys
import tempfile
import time

# Window-relative centres in the 819 x 595 window.
FIRST_SLOT = (300, 150)  # BtnSet1; each next slot 39 pixels lower
APPLY = (669, 555)
# In the Macro Manager, relative to its own window.
MACRO_NEW, MACRO_RECORD, MACRO_OK = (66, 482), (623, 155), (587, 482)

EXPECTED = [
    "1: Single Key NUMPAD ENTER",
    "2: Combo Key Ctrl+Shift+A",
    "3: Volume Up",
    "4: Fire Key(Multi-Click) 5 clicks, 100 ms",
    "6: DPI+",
    "7: Disable",
]


def xdotool(*arguments):
    return subprocess.check_output(["xdotool", *arguments], text=True)


def window_named(name, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[0]
        time.sleep(0.1)
    raise AssertionError(f"no window \"{name}\" appeared")


def gone(name, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if not subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                              capture_output=True, text=True).stdout.split():
            return
        time.sleep(0.1)
    raise AssertionError(f"the window \"{name}\" did not close")


def origin(window):
    geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window).split())
    return int(geometry["X"]), int(geometry["Y"])


def click(window, position):
    x, y = origin(window)
    xdotool("mousemove", str(x + position[0]), str(y + position[1]), "click", "1")


def keys(*names):
    for name in names:
        xdotool("key", name)
        time.sleep(0.08)


def visible_windows():
    return len(subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "q9config"],
                              capture_output=True, text=True).stdout.split())


def then_wait_for_a_list(action, timeout=10):
    """Runs `action` and waits until one more of the program's windows (a menu list) is shown."""
    before = visible_windows()
    action()
    deadline = time.monotonic() + timeout
    while visible_windows() <= before:
        if time.monotonic() > deadline:
            raise AssertionError("no menu list opened")
        time.sleep(0.05)
    time.sleep(0.1)


def open_menu_item(main, slot, position):
    """Opens the assignment menu of a slot and chooses top-level item `position` (1..17)."""
    then_wait_for_a_list(lambda: click(main, (FIRST_SLOT[0], FIRST_SLOT[1] + 39 * (slot - 1))))
    keys("Home", *["Down"] * (position - 1))


def choose_item(main, slot, position):
    open_menu_item(main, slot, position)
    keys("Return")


def open_sub_menu(main, slot, position):
    open_menu_item(main, slot, position)
    then_wait_for_a_list(lambda: keys("Return"))


def assign_everything(main):
    choose_item(main, 1, 6)  # Single Key...
    window_named("Single Key")
    keys("KP_Enter")
    time.sleep(0.4)
    keys("ctrl+Return")
    gone("Single Key")

    choose_item(main, 2, 7)  # Combo Key...
    window_named("Combo Key")
    xdotool("keydown", "Control_L", "keydown", "Shift_L", "key", "a", "keyup", "Shift_L", "keyup", "Control_L")
    time.sleep(0.4)  # the chord that answers OK is told apart from the combination by the pause
    keys("ctrl+Return")
    gone("Combo Key")

    open_sub_menu(main, 3, 10)  # Media
    keys("v", "Return")  # Volume Up

    choose_item(main, 4, 12)  # Fire Key(Multi-Click): the delay box first, then the clicks
    window_named("Fire Key")
    keys("ctrl+a", "1", "0", "0", "Tab", "ctrl+a", "5", "Return")
    gone("Fire Key")

    open_sub_menu(main, 5, 11)  # Macro Keys... > Macro Manager...
    keys("Down", "Return")
    editor = window_named("Macro Manager")
    time.sleep(0.6)  # the editor takes clicks once it has settled on the screen
    click(editor, MACRO_NEW)  # a new macro, its name being edited
    time.sleep(0.4)
    keys("J", "u", "m", "p", "Return")
    time.sleep(0.3)
    click(editor, MACRO_RECORD)
    time.sleep(0.3)
    keys("a", "b", "Pause")
    time.sleep(0.3)
    click(editor, MACRO_OK)
    gone("Macro Manager")

    choose_item(main, 6, 14)  # DPI+
    choose_item(main, 7, 17)  # Disable
    time.sleep(0.5)


def decoded(simulator, memory):
    return subprocess.check_output([simulator, "decode", memory], text=True)


def plain_group_of_mode1(text):
    lines = text.splitlines()
    start = lines.index("  plain group (8 buttons):")
    return [line.strip() for line in lines[start + 1:start + 9]]


def main(program, simulator):
    with tempfile.TemporaryDirectory() as store, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        memory = os.path.join(runtime, "memory.bin")
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
        mouse = subprocess.Popen([simulator, "serve", "--device-dir", runtime, "--memory", memory])
        window = subprocess.Popen([program, "--report-shown", "--store", store, "--device-dir", runtime],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)
        try:
            assert window.stdout.readline().strip() == "shown", "the window did not open"
            time.sleep(1.5)  # the arrival shortly after start
            main_window = window_named("QVGM_CONFIG")
            assign_everything(main_window)
            before = os.path.getmtime(memory) if os.path.exists(memory) else 0
            click(main_window, APPLY)
            deadline = time.monotonic() + 30
            buttons = []
            while time.monotonic() < deadline:
                if os.path.exists(memory) and os.path.getmtime(memory) != before:
                    try:
                        buttons = plain_group_of_mode1(decoded(simulator, memory))
                    except (subprocess.CalledProcessError, ValueError):
                        buttons = []
                    if all(expected in buttons for expected in EXPECTED) and buttons[4].startswith("5: Macro"):
                        break
                time.sleep(0.3)
            for expected in EXPECTED:
                assert expected in buttons, f"{expected!r} not on the mouse: {buttons}"
            assert buttons[4].startswith("5: Macro") and "A" in buttons[4] and "B" in buttons[4], \
                f"the recorded macro is not on button 5: {buttons}"
        finally:
            window.terminate()
            mouse.terminate()
            window.wait(timeout=20)
            mouse.wait(timeout=20)
    print("the seven functions reached the mouse")


if __name__ == "__main__":
    main(*sys.argv[1:3])
