#!/usr/bin/env python3
"""Start-up of the window: time from starting q9config to its first paint, and its resident memory
once shown, each also as a ratio to a bare Qt window of the same size (819 x 595) measured in the
same run. Run under an X server (scripts/bench-startup.sh starts one):

    bench/startup.py BUILD/src/mainwindow/q9config [--baseline BUILD/bench/q9_bench_bare_window] [--runs N]

Each run starts `q9config --simulate --report-shown` on a private settings store and runtime folder;
the program prints "shown" after the window's first paint. The baseline is
started the same way and reports its first paint alike. Runs of the two alternate, so both see the
same load of the machine. The first run of each creates its files and is not counted."""

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
            raise RuntimeError(f"{program} ended before its window was shown (exit {process.wait()})")
        time.sleep(0.3)  # let the first arrival and the monitor check settle
        rss, peak = resident_kib(process.pid)
    finally:
        process.terminate()
        process.wait()
    return shown * 1000.0, rss, peak


def summary(name, results):
    times = [r[0] for r in results]
    rss = statistics.median(r[1] for r in results)
    print(f"{name}: start to window shown: median {statistics.median(times):.1f} ms "
          f"(min {min(times):.1f}, max {max(times):.1f}); resident memory once shown: median "
          f"{rss / 1024:.1f} MiB, peak {max(r[2] for r in results) / 1024:.1f} MiB")
    return statistics.median(times), rss


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--baseline", help="a bare Qt window of the same size (q9_bench_bare_window)")
    parser.add_argument("--runs", type=int, default=15)
    arguments = parser.parse_args()
    programs = [arguments.program] + ([arguments.baseline] if arguments.baseline else [])
    results = {program: [] for program in programs}
    with tempfile.TemporaryDirectory() as store, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        for program in programs:
            one_run(program, store, runtime)
        for _ in range(arguments.runs):
            for program in programs:
                results[program].append(one_run(program, store, runtime))
    print(f"runs: {arguments.runs}")
    window_time, window_rss = summary(os.path.basename(arguments.program), results[arguments.program])
    if arguments.baseline:
        bare_time, bare_rss = summary("bare window", results[arguments.baseline])
        print(f"ratio to the bare window: start-up {window_time / bare_time:.2f}, "
              f"resident memory {window_rss / bare_rss:.2f}")


if __name__ == "__main__":
    sys.exit(main())
