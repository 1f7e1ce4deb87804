#!/usr/bin/env python3
"""The program as a user starts it, on an X server: the window opens with the simulated mouse, a
second copy ends at once without a window, an automatic start with the start option off ends
without a window, and APPLY clicked in the window writes the settings into a mouse served by q9sim
on the driver socket.

While the window is open, q9ctl's writing commands on its store are refused (reading is not), even
when the store's folder name is not UTF-8.

    q9config_smoke.py PATH/TO/q9config PATH/TO/q9sim PATH/TO/q9ctl"""

import os
import subprocess
import sys
import tempfile
import time

SETTINGS_VALUE = os.path.join("software", "zoQVGMMouse", "qvGMPROFILE.GPX")
START_FLAG_OFFSET = 30956  # ReservedData.IntegerData[0] of the settings record


# Centres of buttons in the 819 x 595 window.
APPLY_IN_WINDOW = (669, 555)  # BSBTNAPPLY
OK_IN_WINDOW = (597, 555)  # BSBTNOK


def start(program, store, runtime, *arguments, simulate=True):
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    options = ["--simulate"] if simulate else []
    return subprocess.Popen([program, *options, "--report-shown", "--store", store, *arguments],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)


def click(position):
    window = subprocess.check_output(["xdotool", "search", "--name", "QVGM_CONFIG"], text=True).split()[0]
    geometry = dict(line.split("=") for line in
                    subprocess.check_output(["xdotool", "getwindowgeometry", "--shell", window], text=True).split())
    x, y = int(geometry["X"]) + position[0], int(geometry["Y"]) + position[1]
    subprocess.check_call(["xdotool", "mousemove", str(x), str(y), "click", "1"])


FRAME_SIZE = 2059
WRITE_STATE, CLOSED = 6, 1


def frames_of(path):
    if not os.path.exists(path):
        return []
    with open(path, "rb") as log:
        data = log.read()
    return [data[i:i + FRAME_SIZE] for i in range(0, len(data) - FRAME_SIZE + 1, FRAME_SIZE)]


def apply_finished(path):
    """An apply writes both memory locations and ends with the closing write-state frame."""
    frames = frames_of(path)
    return len(frames) >= 19 and frames[-1][3] == WRITE_STATE and frames[-1][4] == CLOSED


def apply_reaches_the_served_mouse(program, simulator):
    with tempfile.TemporaryDirectory() as store, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        frames = os.path.join(runtime, "frames.bin")
        mouse = subprocess.Popen([simulator, "serve", "--device-dir", runtime, "--frames", frames])
        window = start(program, store, runtime, "--device-dir", runtime, simulate=False)
        try:
            assert window.stdout.readline().strip() == "shown", "the window did not open"
            time.sleep(2)  # the arrival shortly after start
            click(APPLY_IN_WINDOW)
            deadline = time.monotonic() + 20
            while not apply_finished(frames) and time.monotonic() < deadline:
                time.sleep(0.2)
            assert apply_finished(frames), f"APPLY did not finish: {len(frames_of(frames))} frames reached the mouse"
            # OK applies again and closes the window once the progress display has ended.
            applied = len(frames_of(frames))
            # The apply ends with pauses after its last frame and OK is disabled until then, longer
            # on a busy machine: a click that started nothing is made again.
            deadline = time.monotonic() + 20
            while window.poll() is None and len(frames_of(frames)) == applied and time.monotonic() < deadline:
                click(OK_IN_WINDOW)
                started = time.monotonic()
                while window.poll() is None and len(frames_of(frames)) == applied and time.monotonic() < started + 2:
                    time.sleep(0.1)
            code = window.wait(timeout=20)
            assert code == 0, f"OK did not close the window cleanly (exit {code}): {window.stderr.read()[-2000:]}"
            assert len(frames_of(frames)) > applied and apply_finished(frames), "OK closed without applying"
        finally:
            window.terminate()
            mouse.terminate()
            window.wait(timeout=20)
            mouse.wait(timeout=20)


def q9ctl_run(q9ctl, store, *arguments):
    return subprocess.run([q9ctl, "--store", store, *arguments], capture_output=True, timeout=30)


def window_keeps_q9ctl_off_its_store(program, q9ctl):
    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        store = os.fsencode(folder) + b"/caf\xe9-store"  # Latin-1 bytes: not UTF-8
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
        window = subprocess.Popen([program, "--simulate", "--report-shown", "--store", store],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)
        try:
            assert window.stdout.readline().strip() == "shown", "the window did not open"
            settings = os.path.join(store, os.fsencode(SETTINGS_VALUE))
            assert os.path.exists(settings), f"the window did not use the folder it was given: {os.listdir(folder)}"
            refused = q9ctl_run(q9ctl, store, "set", "mode1", "4")
            assert refused.returncode == 1, f"q9ctl wrote while the window was open: {refused.stdout!r}"
            assert b"q9config is open on this settings store" in refused.stderr, refused.stderr
            shown = q9ctl_run(q9ctl, store, "show")
            assert shown.returncode == 0, f"reading was refused: {shown.stderr!r}"
            forced = q9ctl_run(q9ctl, store, "--force", "set", "mode1", "4")
            assert forced.returncode == 0, f"--force did not write: {forced.stderr!r}"
        finally:
            window.terminate()
            window.wait(timeout=20)
        after = q9ctl_run(q9ctl, store, "set", "mode1", "3")
        assert after.returncode == 0, f"the closed window still keeps q9ctl off: {after.stderr!r}"


def expect_no_window(process, what):
    try:
        output, errors = process.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        process.kill()
        raise AssertionError(f"{what}: still running after 20 s")
    assert process.returncode == 0, f"{what}: exit {process.returncode}: {errors}"
    assert "shown" not in output, f"{what}: a window was shown"


def expect_usage_without_display(program):
    env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY")}
    usage = subprocess.run([program, "--help"], capture_output=True, text=True, env=env, timeout=20)
    assert usage.returncode == 0 and usage.stdout.startswith("usage: q9config"), \
        f"--help without a display: exit {usage.returncode}: {usage.stderr}"


def main(program, simulator, q9ctl):
    expect_usage_without_display(program)
    with tempfile.TemporaryDirectory() as store, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        first = start(program, store, runtime)
        try:
            line = first.stdout.readline().strip()
            assert line == "shown", f"the window did not open: {line!r} {first.stderr.read() if first.poll() is not None else ''}"
            expect_no_window(start(program, store, runtime), "a second copy")
        finally:
            first.terminate()
            first.wait(timeout=20)

        path = os.path.join(store, SETTINGS_VALUE)
        with open(path, "r+b") as settings:
            settings.seek(START_FLAG_OFFSET)
            settings.write((0).to_bytes(4, "little"))
        expect_no_window(start(program, store, runtime, "-runauto"), "-runauto with the start option off")

        with open(path, "r+b") as settings:
            settings.seek(START_FLAG_OFFSET)
            settings.write((1).to_bytes(4, "little"))
        shown = start(program, store, runtime, "-runauto")
        try:
            assert shown.stdout.readline().strip() == "shown", "-runauto with the start option on shows no window"
        finally:
            shown.terminate()
            shown.wait(timeout=20)
    apply_reaches_the_served_mouse(program, simulator)
    window_keeps_q9ctl_off_its_store(program, q9ctl)
    print("q9config: window, single instance, -runauto, APPLY and the store's window mark as expected")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3])
