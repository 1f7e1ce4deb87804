#!/usr/bin/env python3
"""Kills q9ctl's saving commands at random moments and checks what the settings store holds then.

Each trial copies one of two starting stores (an empty one, and one holding all six values with
edited profiles), runs one saving command against the copy and kills it with SIGKILL after a random
delay between 0 and the command's usual duration. Afterwards:

- every value file is byte for byte one of the images that value may legitimately hold: what it held
  before, what a first start stores, or what an uninterrupted run of the command leaves (these images
  are collected first, from uninterrupted runs on the same starting stores);
- `q9ctl show` loads the store (exit status 0);
- after that start no `.q9tmp.` file remains anywhere in the store and the settings folder holds
  exactly regular files named as the program's values.

Prints one summary line and exits non-zero on any torn value, leftover file or load failure.
"""

import argparse
import os
import random
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

KEY_FOLDER = Path("software") / "zoQVGMMouse"
VALUE_NAMES = {"qvGMPROFILE.GPX"} | {f"MyProfile{i}.GPX" for i in range(5)}
TEMPORARY_MARK = ".q9tmp."

# Saving commands; {gpx} is a profile file to import, {dev} the simulator's socket folder.
COMMANDS = {
    "set-cpi": ["set", "cpi", "1", "800", "--profile", "2"],
    "set-light": ["set", "light", "--color", "112233", "--brightness", "high"],
    "set-report-rate": ["set", "report-rate", "500"],
    "set-mode2": ["set", "mode2", "3"],
    "macro-add": ["macro", "add", "crash", "A down, A up, 20ms", "--profile", "4"],
    "import": ["import", "3", "{gpx}"],
    "reset": ["reset", "1"],
    "apply-simulated": ["apply", "--simulate"],
    "apply-q9sim": ["--device-dir", "{dev}", "apply"],
}


class Runner:
    def __init__(self, args, work):
        self.q9ctl = args.q9ctl
        self.q9sim = args.q9sim
        self.work = work
        self.device_folder = work / "device"
        self.gpx = work / "import.GPX"
        self.sim = None

    def argv(self, store, command):
        words = [w.replace("{gpx}", str(self.gpx)).replace("{dev}", str(self.device_folder)) for w in command]
        return [self.q9ctl, "--store", str(store)] + words

    def run(self, store, command, check=True):
        done = subprocess.run(self.argv(store, command), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if check and done.returncode != 0:
            raise RuntimeError(f"{' '.join(command)} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
        return done.returncode

    def start_simulator(self):
        """q9sim serving a mouse on the driver socket; restarted whenever it is gone."""
        if self.sim and self.sim.poll() is None:
            return
        if not self.q9sim:
            return
        self.device_folder.mkdir(exist_ok=True)
        self.sim = subprocess.Popen([self.q9sim, "serve", "--device-dir", str(self.device_folder)],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and not any(self.device_folder.iterdir()):
            time.sleep(0.02)

    def stop_simulator(self):
        if self.sim and self.sim.poll() is None:
            self.sim.kill()
            self.sim.wait()


def read_values(store):
    """Name -> bytes of every entry of the settings folder (None for one that is no regular file)."""
    folder = store / KEY_FOLDER
    values = {}
    if folder.is_dir():
        for entry in folder.iterdir():
            values[entry.name] = entry.read_bytes() if entry.is_file() and not entry.is_symlink() else None
    return values


def make_starts(runner):
    """The starting stores: empty, and one with every value stored and profiles 1, 2 and 3 edited."""
    empty = runner.work / "start-empty"
    empty.mkdir()
    full = runner.work / "start-full"
    runner.run(full, ["apply", "--simulate"])
    runner.run(full, ["set", "light", "--color", "abcdef", "--profile", "1"])
    runner.run(full, ["set", "cpi", "1", "2000", "--profile", "2"])
    runner.run(full, ["export", "2", str(runner.gpx)])
    runner.run(full, ["set", "cpi", "2", "1600", "--profile", "2"])
    for leftover in (full / ".q9config-store.lock", empty / ".q9config-store.lock"):
        if leftover.exists():
            leftover.unlink()
    return {"empty": empty, "full": full}


def fresh_copy(start, target):
    if target.exists():
        shutil.rmtree(target)
    shutil.copytree(start, target, symlinks=True)


def images_without_the_command(runner, start, scratch):
    """What each value may hold when a command did nothing: its image in the starting store, or what
    a first start on that store leaves."""
    before = read_values(start)
    fresh_copy(start, scratch)
    runner.run(scratch, ["show"])
    first_start = read_values(scratch)
    return {value: {before.get(value), first_start.get(value)} for value in VALUE_NAMES}


def collect_images(runner, starts, commands, runs=2):
    """Legitimate images per (start, command): name -> set of bytes (None: the value is absent).
    Also measures each command's usual duration (median of the uninterrupted runs)."""
    images = {}
    durations = {name: [] for name in commands}
    scratch = runner.work / "scratch"
    for start_name, start in starts.items():
        unchanged = images_without_the_command(runner, start, scratch)
        for name, command in commands.items():
            legit = {value: set(images) for value, images in unchanged.items()}
            for _ in range(runs):
                if name == "apply-q9sim":
                    runner.start_simulator()
                fresh_copy(start, scratch)
                began = time.monotonic()
                runner.run(scratch, command)
                durations[name].append(time.monotonic() - began)
                for value, image in read_values(scratch).items():
                    legit.setdefault(value, set()).add(image)
            images[(start_name, name)] = legit
    return images, {name: statistics.median(times) for name, times in durations.items()}


def kill_after(runner, store, command, delay):
    """Runs the command, kills it after `delay` seconds; True when it was killed before finishing."""
    process = subprocess.Popen(runner.argv(store, command), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        process.wait(timeout=delay)
        return False
    except subprocess.TimeoutExpired:
        process.send_signal(signal.SIGKILL)
        process.wait()
        return True


def torn_values(store, legit):
    torn = []
    for value, image in read_values(store).items():
        if value.startswith(TEMPORARY_MARK):
            continue  # a killed write's temporary file; the next start must remove it
        if image not in legit.get(value, {None}):
            torn.append(value)
    for value in VALUE_NAMES:
        if value not in read_values(store) and None not in legit[value]:
            torn.append(value + " (missing)")
    return torn


def leftovers(store):
    """Temporary files anywhere in the store, and entries of the settings folder that are no value."""
    found = [str(p.relative_to(store)) for p in store.rglob(TEMPORARY_MARK + "*")]
    folder = store / KEY_FOLDER
    for entry in folder.iterdir() if folder.is_dir() else []:
        if entry.name not in VALUE_NAMES or entry.is_symlink() or not entry.is_file():
            if not entry.name.startswith(TEMPORARY_MARK):
                found.append(str(entry.relative_to(store)))
    return found


def check_store(runner, store, legit, where, counts):
    """The checks after one killed run: whole images before and after the next start (`q9ctl show`),
    that start succeeding, and no leftovers once it has run. Adds to counts["torn"], ["load"] and
    ["leftover"], tells each finding on stderr, and returns how many it found."""
    torn = torn_values(store, legit)
    loads = runner.run(store, ["show"], check=False) == 0
    if not loads:
        counts["load"] += 1
        print(f"{where}: the store does not load", file=sys.stderr)
    torn += [v for v in torn_values(store, legit) if v not in torn]
    left = leftovers(store)
    counts["torn"] += len(torn)
    counts["leftover"] += len(left)
    for value in torn:
        print(f"{where}: {value} holds an image it never held nor could hold", file=sys.stderr)
    for entry in left:
        print(f"{where}: {entry} remains after the next start", file=sys.stderr)
    return len(torn) + len(left) + (0 if loads else 1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--trials", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--q9ctl", required=True, help="path of q9ctl")
    parser.add_argument("--q9sim", default=None, help="path of q9sim (without it, apply runs on the simulated mouse only)")
    parser.add_argument("--keep", action="store_true", help="keep the work folder of the trials")
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 32)
    rng = random.Random(seed)

    commands = dict(COMMANDS)
    if not args.q9sim:
        del commands["apply-q9sim"]
    work = Path(tempfile.mkdtemp(prefix="q9-crash-"))
    runner = Runner(args, work)
    counts = {"torn": 0, "leftover": 0, "load": 0, "killed": 0}
    began = time.monotonic()
    try:
        starts = make_starts(runner)
        images, durations = collect_images(runner, starts, commands)
        print("usual durations: " + ", ".join(f"{n} {d * 1000:.0f} ms" for n, d in durations.items()))
        store = work / "store"
        for trial in range(args.trials):
            start_name = rng.choice(sorted(starts))
            name = rng.choice(sorted(commands))
            delay = rng.uniform(0, durations[name])
            if name == "apply-q9sim":
                runner.start_simulator()
            fresh_copy(starts[start_name], store)
            counts["killed"] += kill_after(runner, store, commands[name], delay)
            where = f"trial {trial}: {name} on the {start_name} store killed after {delay * 1000:.1f} ms"
            check_store(runner, store, images[(start_name, name)], where, counts)
    finally:
        runner.stop_simulator()
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    elapsed = time.monotonic() - began
    print(f"trials {args.trials}, killed {counts['killed']}, torn values {counts['torn']}, "
          f"leftover files {counts['leftover']}, load failures {counts['load']} "
          f"(seed {seed}, {elapsed:.1f} s)")
    return 1 if counts["torn"] or counts["leftover"] or counts["load"] else 0


if __name__ == "__main__":
    sys.exit(main())
