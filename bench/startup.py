#!/usr/bin/env python3
"""Start-up of the window: time from starting q9config to its first paint, and its resident memory
once shown. Run under an X server (scripts/bench-startup.sh starts one):

    bench/startup.py BUILD/src/mainwindow/q9config [--runs N]

Each run starts `q9config --simulate --report-shown` on a private settings store and runtime folder;
the program prints "shown" after the window's first paint. The first run creates the factory
settings and is not counted."""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        fields = dict(line.split(":", 1) for line in status if ":" in line)
    return int(fields["VmRSS"].split()[0]), int(fields["VmHWM"].split()[0])


def one_run(program, store, runtime):
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    start = time.monotonic()
    process = subprocess.Popen([program, "--simulate", "--report-shown", "--store", store],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env, text=True)
    try:
        line = process.stdout.readline().strip()
        shown = time.monotonic() - start
        if line != "shown":
            raise RuntimeError(f"q9config ended before its window was shown (exit {process.wait()})")
        time.sleep(0.3)  # let the first arrival and the monitor check settle
        rss, peak = resident_kib(process.pid)
    finally:
        process.terminate()
        process.wait()
    return shown * 1000.0, rss, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--runs", type=int, default=15)
    arguments = parser.parse_args()
    with tempfile.TemporaryDirectory() as store, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        one_run(arguments.program, store, runtime)
        results = [one_run(arguments.program, store, runtime) for _ in range(arguments.runs)]
    times = [r[0] for r in results]
    print(f"runs: {len(results)}")
    print(f"start to window shown: median {statistics.median(times):.1f} ms "
          f"(min {min(times):.1f}, max {max(times):.1f})")
    print(f"resident memory once shown: median {statistics.median(r[1] for r in results) / 1024:.1f} MiB, "
          f"peak {max(r[2] for r in results) / 1024:.1f} MiB")


if __name__ == "__main__":
    sys.exit(main())
