#!/usr/bin/python3
"""Draws where a frame's time goes: the solved frame's drawing steps as the
runtime draws them, beside the memset/memcpy floor of the same steps, from
frame_bench's JSON output (FrameSteps and FloorSteps, median of repetitions).

usage: plot_frame_steps.py frame_bench.json out.png
"""
import json
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

STEPS = [
    ("step_clear", "clear (black)"),
    ("step_white", "white fill"),
    ("step_outlines", "cell outlines"),
    ("step_green", "green fills"),
    ("step_letters", "grid letters"),
    ("step_labels", "hint labels"),
    ("step_button", "button"),
    ("step_blit", "win picture blit"),
]


def step_times(results, name):
    """Microseconds per step of benchmark `name`: its median if repeated."""
    runs = [b for b in results["benchmarks"] if b["run_name"] == name]
    chosen = [b for b in runs if b.get("aggregate_name") == "median"] or runs
    if not chosen:
        sys.exit(f"{name} is missing from the benchmark output")
    return [chosen[0].get(key, 0.0) for key, _ in STEPS]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1]) as source:
        results = json.load(source)
    drawn = step_times(results, "FrameSteps")
    floor = step_times(results, "FloorSteps")

    labels = [label for _, label in STEPS]
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
    ax.set_yticklabels(labels)
    ax.invert_yaxis()
    ax.set_xlabel("µs per frame (thread CPU time, median; each step includes ~0.6 µs of clock reads)")
    ax.set_title("Where a solved frame's time goes (1000x600, 32-bit)")
    ax.legend(loc="upper center", bbox_to_anchor=(0.5, -0.13), ncol=2, frameon=False)
    ax.grid(axis="x", alpha=0.3)
    fig.tight_layout()
    fig.savefig(sys.argv[2])


if __name__ == "__main__":
    main()
