#!/usr/bin/python3
"""Prints the one table of `make bench` from the JSON the benchmarks and the
start-up measurement left in a results folder: each figure, its floor, peer
or goal measured or set for the same run, and the ratio. With --plot it also
draws where a solved frame's time goes: the drawing steps as the runtime
draws them, beside the memset/memcpy floor of the same steps (needs
matplotlib).
"""
import argparse
import functools
import json
import os
import sys

# The frame's drawing steps: counter, label, and whether the floor has one.
STEPS = [
    ("step_clear", "clear", True),
    ("step_white", "white fill", True),
    ("step_outlines", "cell outlines", False),
    ("step_green", "green fills", True),
    ("step_letters", "grid letters", False),
    ("step_labels", "hint labels", False),
    ("step_button", "button", False),
    ("step_blit", "win picture blit", True),
]


class Results:
    """The JSON of each benchmark program and of the start-up measurement."""

    def __init__(self, folder):
        self.files = {}
        for name in ("frame_bench", "present_bench", "game_window_bench", "words_bench",
                     "startup"):
            path = os.path.join(folder, name + ".json")
            if os.path.exists(path):
                with open(path) as source:
                    self.files[name] = json.load(source)

    def runs(self, program, name):
        """The runs of benchmark `name` (its name without /iterations:... and
        the like), failed ones left out."""
        return [b for b in self.files.get(program, {}).get("benchmarks", [])
                if b["run_name"].split("/")[0] == name and not b.get("error_occurred")]

    def value(self, program, name, field="cpu_time"):
        """A benchmark's figure: the median of its repetitions when repeated."""
        runs = self.runs(program, name)
        chosen = [b for b in runs if b.get("aggregate_name") == "median"] or runs
        return chosen[0].get(field) if chosen else None

    def spread(self, program, name, peer_name):
        """The lowest and highest ratio of repetitions run side by side (the
        repetitions are interleaved, so repetition i of both ran in one stretch)."""
        def repetitions(run):
            runs = [b for b in self.runs(program, run) if b.get("run_type") == "iteration"]
            return [b["cpu_time"] for b in sorted(runs, key=lambda b: b.get("repetition_index", 0))]
        ratios = [v / p for v, p in zip(repetitions(name), repetitions(peer_name)) if p]
        return f"{min(ratios):.2f}-{max(ratios):.2f}" if ratios else ""


def table(results):
    rows = []

    def row(figure, value, unit, peer_name, peer, goal, higher_is_better=False, ratios=""):
        if value is None or peer is None:
            rows.append((figure, "n/a", peer_name, "n/a", "n/a", "", goal))
            return
        ratio = value / peer if not higher_is_better else peer / value if value else float("inf")
        rows.append((figure, f"{value:.1f} {unit}", peer_name, f"{peer:.1f} {unit}",
                     f"{ratio:.2f}", ratios, goal))

    def alone(figure, text, note=""):
        rows.append((figure, text, note, "", "", "", ""))

    frame = functools.partial(results.value, "frame_bench")
    present = functools.partial(results.value, "present_bench")
    words = functools.partial(results.value, "words_bench")

    def compared(figure, name, peer_label, peer_name, goal=""):
        row(figure, frame(name), "us", peer_label, frame(peer_name), goal,
            ratios=results.spread("frame_bench", name, peer_name))

    for label, name, direct, floor in (
            ("puzzle", "GameFrameUnsolved", "DirectLoopUnsolved", "FloorPlaying"),
            ("solved", "GameFrameSolved", "DirectLoopSolved", "FloorSolved")):
        compared(f"game frame, {label}", name, "direct pixel loop, same scene", direct, "<= 1.0")
        compared(f"game frame, {label}", name, "floor: one page memset", "FloorOneMemset")
        compared(f"game frame, {label}", name, "floor: 2 page memsets + green"
                 + (" + 600x600 memcpy" if label == "solved" else ""), floor, "<= 1.2")
    compared("game frame, unchanged (not redrawn)", "GameFrameUnchanged",
             "floor: one page memset", "FloorOneMemset")
    for step, label, has_floor in STEPS:
        if has_floor:
            row(f"  step: {label}", frame("FrameSteps", step), "us", "its floor step",
                frame("FloorSteps", step), "")
    for step, label, has_floor in STEPS:
        if not has_floor:
            value = frame("FrameSteps", step)
            alone(f"  step: {label}", f"{value:.1f} us" if value is not None else "n/a",
                  "(no floor step)")

    pace_label, pace = "2.4 MB memcpy, same pace", present("FrameMemcpyPaced", "real_time")
    pass_cpu = functools.partial(present, field="pass_cpu_us")
    row("present pass, frame unchanged (SHM)", pass_cpu("PresentUnchangedShm"), "us", pace_label,
        pace, "<= 1.5")
    row("present pass, frame changed (SHM)", pass_cpu("PresentChangedShm"), "us", pace_label,
        pace, "")
    row("  same pass, wall clock incl. server", present("PresentChangedShm", "real_time"), "us",
        pace_label, pace, "")
    row("present pass, frame changed, 2x2 blocks", pass_cpu("PresentChangedShmScale2"), "us",
        "same at scale 1", pass_cpu("PresentChangedShm"), "")
    row("present pass unchanged, with row diff", present("PresentUnchangedShm", "real_time"),
        "us", "same without diff (wall)", present("PresentUnchangedShmNoDiff", "real_time"), "< 1")
    row("2.4 MB memcpy, back to back", present("FrameMemcpy"), "us", pace_label, pace, "")

    for name, label in (("IdleGameCpu", "puzzle"), ("SolvedGameCpu", "solved")):
        row(f"game CPU, {label}, idle 10 s",
            results.value("game_window_bench", name, "game_cpu_pct"), "%", "goal", 2.0, "<= 1")
        server = results.value("game_window_bench", name, "xserver_cpu_pct")
        if label == "puzzle":
            row(f"Xvfb CPU beside it ({label})", server, "%", "goal", 2.0, "<= 1")
        else:
            alone(f"Xvfb CPU beside it ({label})", f"{server:.1f} %" if server is not None
                  else "n/a")

    startup = results.files.get("startup", {})
    row("start to first frame (median)", startup.get("first_frame_ms_median"), "ms", "goal",
        60.0, "<= 1")
    peak = startup.get("vm_hwm_kib_max")
    row("peak resident memory (VmHWM)", peak / 1024 if peak else None, "MB", "goal", 16.0, "<= 1")

    load_speed = words("BM_LoadWordFile", "bytes_per_second")
    row("loadWordFile", load_speed / 1e6 if load_speed else None, "MB/s", "goal", 300.0,
        "<= 1", higher_is_better=True)
    row("generatePuzzle, default list (median)",
        words("BM_GeneratePuzzleDefaultList", "real_time"), "us", "goal", 20.0, "<= 1")

    for name, label in (("BM_LoadBigList", "200 MB list"),
                        ("BM_LoadTenMegabytesOfLineFeeds", "10 MB of line feeds")):
        big = label == "200 MB list"
        row(f"{label}: load (own process)", words(name, "load_s"), "s", "goal", 2.0, "<= 1")
        row("  the same in processor time", words(name, "load_cpu_s"), "s", "goal", 2.0, "<= 1")
        row("  its peak memory (VmHWM)", words(name, "peak_mb"), "MB",
            "2 x file + 16 MB" if big else "goal", words(name, "goal_mb") if big else 40.0,
            "<= 1")
        deal = words(name, "deal_s")
        alone("  its first deal", f"{deal * 1000:.1f} ms" if deal is not None else "n/a")

    for name, label in (("BM_CheckBigList", "200 MB list"),
                        ("BM_CheckShortWords", "10 M one-letter entries")):
        row(f"lettermoor-words check, {label} (own process)", words(name, "check_s"), "s",
            "goal", 2.0, "<= 1")
        row("  the same in processor time", words(name, "check_cpu_s"), "s", "goal", 2.0,
            "<= 1")
        row("  its peak memory (maxrss)", words(name, "peak_mb"), "MB", "2 x file + 16 MB",
            words(name, "goal_mb"), "<= 1")

    headers = ("figure", "value", "floor / peer / goal", "its value", "ratio",
               "ratio range", "target")
    widths = [max(len(str(r[i])) for r in rows + [headers]) for i in range(len(headers))]
    line = "  ".join(h.ljust(w) for h, w in zip(headers, widths))
    print(line)
    print("-" * len(line))
    for r in rows:
        print("  ".join(str(c).ljust(w) for c, w in zip(r, widths)))


def plot(results, out):
    try:
        import matplotlib
    except ImportError:
        print(f"python3-matplotlib is missing: {out} not redrawn", file=sys.stderr)
        return True
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    drawn = [results.value("frame_bench", "FrameSteps", key) for key, _, _ in STEPS]
    floor = [results.value("frame_bench", "FloorSteps", key) or 0.0 for key, _, _ in STEPS]
    if None in drawn:
        print(f"FrameSteps is missing from the results: {out} not redrawn", file=sys.stderr)
        return False
    rows = range(len(STEPS))
    fig, ax = plt.subplots(figsize=(9, 5), dpi=110)
    height = 0.38
    ax.barh([r - height / 2 for r in rows], drawn, height, label=f"runtime, {sum(drawn):.0f} µs",
            color="#2b6cb0")
    ax.barh([r + height / 2 for r in rows], floor, height,
            label=f"memset/memcpy floor, {sum(floor):.0f} µs", color="#a0aec0")
    for r, value in zip(rows, drawn):
        ax.text(value + 0.5, r - height / 2, f"{value:.1f}", va="center", fontsize=8)
    ax.set_yticks(list(rows))
    ax.set_yticklabels([label for _, label, _ in STEPS])
    ax.invert_yaxis()
    ax.set_xlabel("µs per frame (thread CPU time, median; each step includes ~0.6 µs of clock reads)")
    ax.set_title("Where a solved frame's time goes (1000x600, 32-bit)")
    ax.legend(loc="upper center", bbox_to_anchor=(0.5, -0.13), ncol=2, frameon=False)
    ax.grid(axis="x", alpha=0.3)
    fig.tight_layout()
    fig.savefig(out)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder", nargs="?", default="build/bench/bench-results")
    parser.add_argument("--plot", metavar="OUT.png", help="also draw the frame's steps")
    args = parser.parse_args()
    results = Results(args.folder)
    drawn = plot(results, args.plot) if args.plot else True
    table(results)
    return 0 if drawn else 1


if __name__ == "__main__":
    sys.exit(main())
