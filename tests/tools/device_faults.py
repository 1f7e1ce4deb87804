#!/usr/bin/env python3
"""q9ctl apply against a served mouse that fails: one unplugged after k frames, one that answers
slowly, one that never answers.

    device_faults.py unplug Q9SIM Q9CTL [--all]   the unplug sweep (a spread of k; --all: every k)
    device_faults.py slow Q9SIM Q9CTL             the slow and the silent mouse

Unplug sweep: an uninterrupted apply gives the reference memory and the apply's frame count N.
Then for each k a mouse unplugged after k frames: q9ctl fails with one line on stderr, the store's
files keep their bytes, the simulator ends by itself, and an apply to a fresh server on the same
memory file leaves the memory the reference apply left (the frame counter aside). With k = N the
mouse goes only after the last frame: that apply succeeds."""

import os
import subprocess
import sys
import tempfile
import time

FRAME_SIZE = 2059
MEMORY_SIZE = 65536
FRAME_COUNTER_SIZE = 4  # the image ends with the number of frames the mouse took
# Every run is bounded: a hang fails the test instead of stalling CI.
RUN_LIMIT_S = 60


def first_line(process):
    """The first line of a process's output, without reading past it."""
    line = b""
    while not line.endswith(b"\n"):
        byte = os.read(process.stdout.fileno(), 1)
        if not byte:
            break
        line += byte
    return line.decode()


class Mouse:
    """q9sim serve on a device folder, ready once it says where it serves. Its output and errors
    share one pipe, and the first line is read byte by byte: communicate() with a time-out reads
    the pipe itself and would miss what a buffered readline() had taken beyond the first line."""

    def __init__(self, q9sim, device_dir, *options):
        self.process = subprocess.Popen([q9sim, "serve", "--device-dir", device_dir, *options],
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        line = first_line(self.process)
        assert line.startswith("q9sim: serving"), f"q9sim did not start: {line!r} {self.process.stdout.read()}"

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
        output, errors = self.process.communicate(timeout=RUN_LIMIT_S)
        return self.process.returncode, output, errors

    def wait_for_end(self, seconds=10):
        """The simulator of an unplugged mouse ends by itself."""
        try:
            output, errors = self.process.communicate(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.communicate()
            raise AssertionError(f"q9sim still runs {seconds} s after the unplug")
        return self.process.returncode, output, errors


def q9ctl_apply(q9ctl, store, device_dir):
    started = time.monotonic()
    run = subprocess.run([q9ctl, "--store", store, "--device-dir", device_dir, "apply"],
                         capture_output=True, text=True, timeout=RUN_LIMIT_S)
    return run, time.monotonic() - started


def folder_bytes(folder):
    """Every file under the folder with its bytes (the q9ctl lock file aside: it only holds a lock)."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = f.read()
    return files


def read(path):
    with open(path, "rb") as f:
        return f.read()


def without_frame_counter(image):
    assert len(image) > MEMORY_SIZE, f"the memory file has no state: {len(image)} bytes"
    return image[:-FRAME_COUNTER_SIZE]


def one_error_line(run, what):
    assert run.returncode != 0, f"{what}: q9ctl reported success: {run.stdout!r}"
    lines = [line for line in run.stderr.splitlines() if line.strip()]
    assert len(lines) == 1 and lines[0].startswith("q9ctl: "), f"{what}: not one clear error line: {run.stderr!r}"
    return lines[0]


def reference_apply(q9sim, q9ctl, work):
    """An uninterrupted apply on a fresh store: the frame count and the memory it leaves."""
    store, device_dir = os.path.join(work, "store"), os.path.join(work, "device")
    os.makedirs(device_dir, exist_ok=True)
    frames, memory = os.path.join(work, "reference.frames"), os.path.join(work, "reference.mem")
    mouse = Mouse(q9sim, device_dir, "--frames", frames, "--memory", memory)
    try:
        run, _ = q9ctl_apply(q9ctl, store, device_dir)
        assert run.returncode == 0, f"the uninterrupted apply failed: {run.stderr!r}"
    finally:
        mouse.stop()
    logged = read(frames)
    assert len(logged) % FRAME_SIZE == 0 and logged, f"the frame log holds {len(logged)} bytes"
    return store, device_dir, len(logged) // FRAME_SIZE, without_frame_counter(read(memory))


def unplugged_apply(q9sim, q9ctl, work, store, device_dir, count, reference, k):
    memory = os.path.join(work, f"unplug{k}.mem")
    before = folder_bytes(store)
    mouse = Mouse(q9sim, device_dir, "--memory", memory, "--unplug-after", str(k))
    run, seconds = q9ctl_apply(q9ctl, store, device_dir)
    code, output, _ = mouse.wait_for_end()
    assert code == 0 and f"device removed after {k} frames" in output, f"k={k}: q9sim ended with {code}: {output!r}"
    if k < count:
        line = one_error_line(run, f"k={k}")
        assert str(count - k) in line or k == 0, f"k={k}: the error does not say what was lost: {line}"
        assert device_dir in line, f"k={k}: the error does not say where the mouse was looked for: {line}"
    else:
        assert run.returncode == 0, f"k={k}: the mouse went after the last frame, yet: {run.stderr!r}"
    assert folder_bytes(store) == before, f"k={k}: the failed apply changed the store"
    # Plugged in again: the same memory, a fresh server, and the whole apply once more.
    mouse = Mouse(q9sim, device_dir, "--memory", memory)
    try:
        again, _ = q9ctl_apply(q9ctl, store, device_dir)
    finally:
        mouse.stop()
    assert again.returncode == 0, f"k={k}: the apply after the unplug failed: {again.stderr!r}"
    assert without_frame_counter(read(memory)) == reference, f"k={k}: the mouse does not hold what one apply leaves"
    return seconds, run.stderr.strip()


def spread(count):
    """No frame, the first, the second, the middle, the last two before the end, and after the last."""
    return sorted({0, 1, 2, count // 2, count - 2, count - 1, count})


def unplug_sweep(q9sim, q9ctl, every_k):
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as work:
        store, device_dir, count, reference = reference_apply(q9sim, q9ctl, work)
        ks = range(0, count + 1) if every_k else spread(count)
        slowest = 0.0
        for k in ks:
            seconds, message = unplugged_apply(q9sim, q9ctl, work, store, device_dir, count, reference, k)
            slowest = max(slowest, seconds)
            print(f"k={k:2}: {seconds:.2f} s  {message or 'applied'}")
    print(f"unplug sweep: {len(ks)} values of k of an apply of {count} frames, slowest failed apply "
          f"{slowest:.2f} s, whole sweep {time.monotonic() - started:.1f} s")


def slow_mouse(q9sim, q9ctl):
    with tempfile.TemporaryDirectory() as work:
        store, device_dir = os.path.join(work, "store"), os.path.join(work, "device")
        os.makedirs(device_dir)
        # Well below the channel's one-second time-out: slow, but every frame goes through.
        memory = os.path.join(work, "slow.mem")
        mouse = Mouse(q9sim, device_dir, "--reply-delay", "150", "--memory", memory)
        try:
            run, seconds = q9ctl_apply(q9ctl, store, device_dir)
        finally:
            mouse.stop()
        assert run.returncode == 0, f"a mouse answering in 150 ms was given up on: {run.stderr!r}"
        assert "applied" in run.stdout, run.stdout
        print(f"reply delay 150 ms: applied in {seconds:.2f} s")
        # Past the time-out, and silent: the first frame times out and the rest is not sent.
        for options in (["--reply-delay", "3000"], ["--never-answer"]):
            mouse = Mouse(q9sim, device_dir, *options, "--memory", memory)
            try:
                run, seconds = q9ctl_apply(q9ctl, store, device_dir)
            finally:
                code, output, _ = mouse.stop()
            line = one_error_line(run, " ".join(options))
            assert "stopped answering: 0 of" in line and "no answer in time" in line, f"{options}: not the time-out: {line}"
            assert code == 0, f"q9sim {options} ended with {code}: {output}"
            # Generous: the channel gives up after a second; starting and the pauses add a few.
            assert seconds < 30, f"{options}: q9ctl took {seconds:.1f} s"
            print(f"q9sim {' '.join(options)}: q9ctl failed after {seconds:.2f} s: {line}")
        refused = subprocess.run([q9sim, "serve", "--device-dir", device_dir, "--reply-delay", "10", "--never-answer"],
                                 capture_output=True, text=True, timeout=RUN_LIMIT_S)
        assert refused.returncode == 2 and "excludes" in refused.stderr, refused.stderr
        for bad in ("-1", "600001", "soon"):
            refused = subprocess.run([q9sim, "serve", "--device-dir", device_dir, "--reply-delay", bad],
                                     capture_output=True, text=True, timeout=RUN_LIMIT_S)
            assert refused.returncode == 2 and "--reply-delay" in refused.stderr, f"{bad}: {refused.stderr!r}"
    print("slow mouse: a slow reply works, a late and a missing one end in the time-out")


def main(arguments):
    mode, q9sim, q9ctl = arguments[:3]
    if mode == "unplug":
        unplug_sweep(q9sim, q9ctl, "--all" in arguments[3:])
    elif mode == "slow":
        slow_mouse(q9sim, q9ctl)
    else:
        raise SystemExit(f"unknown mode {mode}")


if __name__ == "__main__":
    main(sys.argv[1:])
