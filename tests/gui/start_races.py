#!/usr/bin/env python3
"""Many copies of q9config started at once, on an X server: per round ten copies on one store and
one runtime folder, of which exactly one shows its window and the others end at once, cleanly.
Then the shown copy is killed (SIGKILL, so nothing of its own clean-up runs) and a new start must
still open its window: the kernel lets go of a dead copy's locks.

    start_races.py PATH/TO/q9config [ROUNDS]   (default 10 rounds)"""

import concurrent.futures
import os
import signal
import subprocess
import sys
import tempfile
import time

COPIES = 10
# Generous bounds: ten Qt programs start on two cores at once.
LOSER_EXIT_S = 30
SHOWN_S = 30


def start(program, store, runtime):
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    return subprocess.Popen([program, "--simulate", "--report-shown", "--store", store],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)


def first_line(process):
    """The copy's first line of output ("shown" once its window is painted), or "" when it ended."""
    return process.stdout.readline().strip()


def visible_windows():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "QVGM_CONFIG"],
                           capture_output=True, text=True, timeout=20)
    return found.stdout.split()


def finish(process):
    if process.poll() is None:
        process.terminate()
    try:
        process.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        process.kill()
        process.communicate()


def one_round(program, store, runtime, pool, number):
    """Ten starts at once; returns the one copy that shows its window, still running."""
    copies = [start(program, store, runtime) for _ in range(COPIES)]
    lines = list(pool.map(first_line, copies, timeout=SHOWN_S + LOSER_EXIT_S))
    shown = [copy for copy, line in zip(copies, lines) if line == "shown"]
    try:
        assert len(shown) == 1, f"round {number}: {len(shown)} of {COPIES} copies showed a window: {lines}"
        for copy in copies:
            if copy is shown[0]:
                continue
            _, errors = copy.communicate(timeout=LOSER_EXIT_S)
            assert copy.returncode == 0, f"round {number}: a second copy ended with {copy.returncode}: {errors}"
        windows = visible_windows()
        assert len(windows) == 1, f"round {number}: {len(windows)} windows on the screen"
    except BaseException:
        for copy in copies:
            finish(copy)
        raise
    return shown[0]


def start_after_kill(program, store, runtime, window):
    """Kills the shown window; how long until a new start has painted its own."""
    window.send_signal(signal.SIGKILL)
    window.communicate(timeout=20)
    started = time.monotonic()
    again = start(program, store, runtime)
    try:
        line = first_line(again)
        seconds = time.monotonic() - started
        assert line == "shown", f"no window after the running one was killed: {line!r} {again.stderr.read()}"
        assert seconds < SHOWN_S, f"the window took {seconds:.1f} s"
    finally:
        finish(again)
    return seconds


def main(program, rounds):
    started = time.monotonic()
    after_kill = []
    with tempfile.TemporaryDirectory() as store, tempfile.TemporaryDirectory() as runtime, \
            concurrent.futures.ThreadPoolExecutor(max_workers=COPIES) as pool:
        os.chmod(runtime, 0o700)
        for number in range(1, rounds + 1):
            window = one_round(program, store, runtime, pool, number)
            # Every round ends in the kill, so the next round's copies meet the dead copy's lock file.
            after_kill.append(start_after_kill(program, store, runtime, window))
    after_kill.sort()
    print(f"start races: {rounds} rounds of {COPIES} simultaneous starts, one window each; a start after "
          f"SIGKILL showed its window in median {after_kill[len(after_kill) // 2]:.2f} s, slowest "
          f"{after_kill[-1]:.2f} s; {time.monotonic() - started:.1f} s in all")


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 10)
