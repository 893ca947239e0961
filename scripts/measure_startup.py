#!/usr/bin/env python3
"""Starts the game several times on one private Xvfb (scripts/with-xvfb.sh)
and prints, as JSON, how long each start took until the first frame was on
screen and the peak resident memory (VmHWM) of the running game.

The game reports the first completed presentation pass on stderr when
LETTERMOOR_TRACE_FIRST_FRAME=1; both it and this script read the machine's
monotonic clock, so the difference is the time from launching the process.
"""
import argparse
import json
import os
import re
import select
import signal
import statistics
import subprocess
import sys
import time

TRACE = re.compile(r"first frame shown at monotonic (\d+)\.(\d{9})")
WITH_XVFB = os.path.join(os.path.dirname(os.path.abspath(__file__)), "with-xvfb.sh")


def peak_resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def one_start(binary, run_dir, settle):
    env = dict(os.environ, LETTERMOOR_TRACE_FIRST_FRAME="1")
    launched = time.monotonic_ns()
    game = subprocess.Popen([binary], cwd=run_dir, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, bufsize=0)
    shown = None
    seen = b""
    deadline = time.monotonic() + 10
    # A game built without the trace never writes it: wait for output with
    # the deadline rather than block in a read until the game ends.
    while shown is None:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([game.stderr], [], [], left)[0]:
            break
        chunk = os.read(game.stderr.fileno(), 4096)
        if not chunk:
            break
        seen += chunk
        match = TRACE.search(seen.decode("ascii", "replace"))
        if match:
            shown = int(match.group(1)) * 1_000_000_000 + int(match.group(2))
    time.sleep(settle)
    peak = peak_resident_kib(game.pid)
    game.send_signal(signal.SIGTERM)
    try:
        game.wait(timeout=5)
    except subprocess.TimeoutExpired:
        game.kill()
        game.wait()
    first_frame_ms = (shown - launched) / 1e6 if shown is not None else None
    return first_frame_ms, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--run-dir", required=True)
    parser.add_argument("--starts", type=int, default=7)
    parser.add_argument("--settle", type=float, default=1.5,
                        help="seconds the game runs before its peak memory is read")
    args = parser.parse_args()
    if "XVFB_PID" not in os.environ:  # every start on one private X server
        os.execv(WITH_XVFB, [WITH_XVFB, sys.executable] + sys.argv)
    results = [one_start(os.path.abspath(args.binary), args.run_dir, args.settle)
               for _ in range(args.starts)]
    times = [t for t, _ in results if t is not None]
    peaks = [p for _, p in results]
    json.dump({
        "first_frame_ms": times,
        "first_frame_ms_median": statistics.median(times) if times else None,
        "vm_hwm_kib": peaks,
        "vm_hwm_kib_max": max(peaks) if peaks else None,
    }, sys.stdout, indent=1)
    print()
    if not times:
        sys.exit("measure_startup: the game never reported its first frame "
                 "(built without LETTERMOOR_MEASURING_SWITCHES?)")


if __name__ == "__main__":
    main()
