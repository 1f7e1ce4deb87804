#!/usr/bin/env python3
"""The program as a user starts it, on an X server: the window opens with the simulated mouse, a
second copy ends at once without a window, and an automatic start with the start option off ends
without a window.

    q9config_smoke.py PATH/TO/q9config"""

import os
import subprocess
import sys
import tempfile

SETTINGS_VALUE = os.path.join("software", "zoQVGMMouse", "qvGMPROFILE.GPX")
START_FLAG_OFFSET = 30956  # ReservedData.IntegerData[0] of the settings record


def start(program, store, runtime, *arguments):
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    return subprocess.Popen([program, "--simulate", "--report-shown", "--store", store, *arguments],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)


def expect_no_window(process, what):
    try:
        output, errors = process.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        process.kill()
        raise AssertionError(f"{what}: still running after 20 s")
    assert process.returncode == 0, f"{what}: exit {process.returncode}: {errors}"
    assert "shown" not in output, f"{what}: a window was shown"


def main(program):
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
    print("q9config: window, single instance and -runauto as expected")


if __name__ == "__main__":
    main(sys.argv[1])
