#!/usr/bin/env python3
"""The program against a served mouse that is unplugged part way through an apply, on an X server:
APPLY clicked in q9config --device-dir makes q9sim take five frames and go; the window says the
settings did not reach the mouse and stays alive, and once the mouse is served again the next
APPLY writes the whole apply.

    unplug_apply_e2e.py PATH/TO/q9config PATH/TO/q9sim"""

import os
import subprocess
import sys
import tempfile
import time

from q9config_smoke import APPLY_IN_WINDOW, apply_finished, click, frames_of

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from device_faults import first_line  # noqa: E402  (reads the first line without reading past it)

UNPLUG_AFTER = 5
WARNING = "Warning!"  # the title of the window's message dialog


def visible(name):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                          capture_output=True, text=True, timeout=20).stdout.split()


def wait_for(condition, what, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise AssertionError(f"{what} within {timeout} s")


def serve(simulator, runtime, frames, *options):
    mouse = subprocess.Popen([simulator, "serve", "--device-dir", runtime, "--frames", frames, *options],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    assert first_line(mouse).startswith("q9sim: serving"), "q9sim did not start"
    return mouse


def main(program, simulator):
    with tempfile.TemporaryDirectory() as store, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        frames = os.path.join(runtime, "frames.bin")
        mouse = serve(simulator, runtime, frames, "--unplug-after", str(UNPLUG_AFTER))
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
        window = subprocess.Popen([program, "--report-shown", "--store", store, "--device-dir", runtime],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)
        try:
            assert window.stdout.readline().strip() == "shown", "the window did not open"
            time.sleep(2)  # the arrival shortly after start
            click(APPLY_IN_WINDOW)
            wait_for(lambda: visible(WARNING), "no message that the settings did not reach the mouse")
            output, _ = mouse.communicate(timeout=20)
            assert f"device removed after {UNPLUG_AFTER} frames" in output, output
            assert len(frames_of(frames)) == UNPLUG_AFTER, f"{len(frames_of(frames))} frames reached the mouse"
            assert window.poll() is None, f"the window ended with {window.returncode}"
            subprocess.check_call(["xdotool", "windowfocus", "--sync", visible(WARNING)[0], "key", "Return"])
            wait_for(lambda: not visible(WARNING), "the message did not close")

            # Plugged in again: the next APPLY writes every frame and tells of no failure.
            os.remove(frames)
            mouse = serve(simulator, runtime, frames)
            time.sleep(2)  # the arrival of the socket
            click(APPLY_IN_WINDOW)
            wait_for(lambda: apply_finished(frames), "the apply after the unplug did not finish")
            time.sleep(1)  # a failure would be told after the apply's last pauses
            assert not visible(WARNING), "the apply after the unplug was told as a failure"
            assert window.poll() is None, f"the window ended with {window.returncode}"
        finally:
            window.terminate()
            mouse.terminate()
            window.wait(timeout=20)
            mouse.wait(timeout=20)
    print(f"q9config: an unplug after {UNPLUG_AFTER} frames is told, and the next apply goes through")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
