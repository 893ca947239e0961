#!/usr/bin/env python3
"""Prints the one table of `make bench` from the JSON the benchmarks and the
start-up measurement left in a results folder: each figure, its floor, peer
or goal measured or set for the same run, and the ratio."""
import json
import os
import sys


def load(folder, name):
    path = os.path.join(folder, name)
    if not os.path.exists(path):
        return None
    with open(path) as source:
        return json.load(source)


def bench(results, name, field="cpu_time"):
    """A benchmark's figure: the median of its repetitions when repeated."""
    if results is None:
        return None
    runs = [b for b in results["benchmarks"] if b["run_name"] == name]
    chosen = [b for b in runs if b.get("aggregate_name") == "median"] or runs
    if not chosen or chosen[0].get("error_occurred"):
        return None
    return chosen[0].get(field)


def repetitions(results, name, field="cpu_time"):
    """A repeated benchmark's figure in each repetition, in repetition order."""
    if results is None:
        return []
    runs = [b for b in results["benchmarks"]
            if b["run_name"] == name and b.get("run_type") == "iteration"
            and not b.get("error_occurred")]
    return [b[field] for b in sorted(runs, key=lambda b: b.get("repetition_index", 0))]


def spread(results, name, peer_name):
    """The lowest and highest ratio of repetitions run side by side (the
    repetitions are interleaved, so repetition i of both ran in one stretch)."""
    ratios = [v / p for v, p in zip(repetitions(results, name), repetitions(results, peer_name))
              if p]
    if not ratios:
        return ""
    return f"{min(ratios):.2f}-{max(ratios):.2f}"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "build/bench/bench-results"
    frame = load(folder, "frame_bench.json")
    game = load(folder, "game_frame_bench.json")
    present = load(folder, "present_bench.json")
    window = load(folder, "game_window_bench.json")
    words = load(folder, "words_bench.json")
    startup = load(folder, "startup.json") or {}

    rows = []

    def row(figure, value, unit, peer_name, peer, goal, lower_is_better=True, ratios=""):
        if value is None or peer is None:
            rows.append((figure, "n/a", peer_name, "n/a", "n/a", "", goal))
            return
        ratio = value / peer if lower_is_better else peer / value if value else float("inf")
        rows.append((figure, f"{value:.1f} {unit}", peer_name, f"{peer:.1f} {unit}",
                     f"{ratio:.2f}", ratios, goal))

    for label, name, direct in (("puzzle", "GameFrameUnsolved", "DirectLoopUnsolved"),
                                ("solved", "GameFrameSolved", "DirectLoopSolved")):
        value = bench(game, name)
        row(f"game frame, {label}", value, "us", "direct pixel loop, same scene",
            bench(game, direct), "<= 1.0", ratios=spread(game, name, direct))
        row(f"game frame, {label}", value, "us", "floor: one page memset",
            bench(game, "FloorOneMemset"), "", ratios=spread(game, name, "FloorOneMemset"))
    row("game frame, unchanged (not redrawn)", bench(game, "GameFrameUnchanged"), "us",
        "floor: one page memset", bench(game, "FloorOneMemset"), "",
        ratios=spread(game, "GameFrameUnchanged", "FloorOneMemset"))
    row("runtime frame, puzzle", bench(frame, "FramePlaying"), "us",
        "floor: 2 page memsets + green", bench(frame, "FloorPlaying"), "<= 1.2")
    row("runtime frame, solved", bench(frame, "FrameSolved"), "us",
        "floor + 600x600 memcpy", bench(frame, "FloorSolved"), "<= 1.2")
    for step, name in (("step_clear", "clear"), ("step_white", "white fill"),
                       ("step_green", "green fills"), ("step_blit", "win picture blit")):
        row(f"  step: {name}", bench(frame, "FrameSteps", step), "us", "its floor step",
            bench(frame, "FloorSteps", step), "")
    for step, name in (("step_outlines", "cell outlines"), ("step_letters", "grid letters"),
                       ("step_labels", "hint labels"), ("step_button", "button")):
        value = bench(frame, "FrameSteps", step)
        rows.append((f"  step: {name}", f"{value:.1f} us" if value is not None else "n/a",
                     "(no floor step)", "", "", "", ""))

    pace = bench(present, "FrameMemcpyPaced/iterations:200/manual_time", "real_time")
    row("present pass, frame unchanged (SHM)",
        bench(present, "PresentUnchangedShm/iterations:200/manual_time", "pass_cpu_us"), "us",
        "2.4 MB memcpy, same pace", pace, "<= 1.5")
    row("present pass, frame changed (SHM)",
        bench(present, "PresentChangedShm/iterations:200/manual_time", "pass_cpu_us"), "us",
        "2.4 MB memcpy, same pace", pace, "")
    row("  same pass, wall clock incl. server",
        bench(present, "PresentChangedShm/iterations:200/manual_time", "real_time"), "us",
        "2.4 MB memcpy, same pace", pace, "")
    row("present pass, frame changed, 2x2 blocks",
        bench(present, "PresentChangedShmScale2/iterations:200/manual_time", "pass_cpu_us"), "us",
        "same at scale 1",
        bench(present, "PresentChangedShm/iterations:200/manual_time", "pass_cpu_us"), "")
    row("present pass unchanged, with row diff",
        bench(present, "PresentUnchangedShm/iterations:200/manual_time", "real_time"), "us",
        "same without diff (wall)",
        bench(present, "PresentUnchangedShmNoDiff/iterations:200/manual_time", "real_time"),
        "< 1")
    row("2.4 MB memcpy, back to back", bench(present, "FrameMemcpy"), "us",
        "2.4 MB memcpy, same pace", pace, "")

    for name, label, goal in (("IdleGameCpu/iterations:1", "puzzle", 2.0),
                              ("SolvedGameCpu/iterations:1", "solved", 2.0)):
        row(f"game CPU, {label}, idle 10 s", bench(window, name, "game_cpu_pct"), "%",
            "goal", goal, "<= 1")
        server = bench(window, name, "xserver_cpu_pct")
        if label == "puzzle":
            row(f"Xvfb CPU beside it ({label})", server, "%", "goal", 2.0, "<= 1")
        else:
            rows.append((f"Xvfb CPU beside it ({label})",
                         f"{server:.1f} %" if server is not None else "n/a", "", "", "", "", ""))

    row("start to first frame (median)", startup.get("first_frame_ms_median"), "ms", "goal",
        60.0, "<= 1")
    peak = startup.get("vm_hwm_kib_max")
    row("peak resident memory (VmHWM)", peak / 1024 if peak else None, "MB", "goal", 16.0, "<= 1")

    load_speed = bench(words, "BM_LoadWordFile/repeats:5", "bytes_per_second")
    row("loadWordFile", load_speed / 1e6 if load_speed else None, "MB/s", "goal", 300.0,
        "<= 1", lower_is_better=False)
    deal = bench(words, "BM_GeneratePuzzleDefaultList/repeats:9", "real_time")
    row("generatePuzzle, default list (median)", deal, "us", "goal",
        20.0, "<= 1")

    for name, label in (("BM_LoadBigList/iterations:1/manual_time", "200 MB list"),
                        ("BM_LoadTenMegabytesOfLineFeeds/iterations:1/manual_time",
                         "10 MB of line feeds")):
        size = bench(words, name, "file_mb")
        row(f"{label}: load (own process)", bench(words, name, "load_s"), "s", "goal", 2.0,
            "<= 1")
        row("  the same in processor time", bench(words, name, "load_cpu_s"), "s", "goal", 2.0,
            "<= 1")
        row(f"  its peak memory (VmHWM)", bench(words, name, "peak_mb"), "MB",
            "2 x file + 16 MB" if label == "200 MB list" else "goal",
            bench(words, name, "goal_mb") if label == "200 MB list" else 40.0, "<= 1")
        rows.append((f"  its first deal", f"{bench(words, name, 'deal_s') * 1000:.1f} ms"
                     if size is not None else "n/a", "", "", "", "", ""))

    for name, label in (("BM_CheckBigList/iterations:1/manual_time", "200 MB list"),
                        ("BM_CheckShortWords/iterations:1/manual_time",
                         "10 M one-letter entries")):
        row(f"lettermoor-words check, {label} (own process)", bench(words, name, "check_s"),
            "s", "goal", 2.0, "<= 1")
        row("  the same in processor time", bench(words, name, "check_cpu_s"), "s", "goal", 2.0,
            "<= 1")
        row("  its peak memory (maxrss)", bench(words, name, "peak_mb"), "MB",
            "2 x file + 16 MB", bench(words, name, "goal_mb"), "<= 1")

    headers = ("figure", "value", "floor / peer / goal", "its value", "ratio",
               "ratio range", "target")
    widths = [max(len(str(r[i])) for r in rows + [headers]) for i in range(len(headers))]
    line = "  ".join(h.ljust(w) for h, w in zip(headers, widths))
    print(line)
    print("-" * len(line))
    for r in rows:
        print("  ".join(str(c).ljust(w) for c, w in zip(r, widths)))


if __name__ == "__main__":
    main()
