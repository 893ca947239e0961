#!/usr/bin/env python3
"""Measures how many small faults in the product code the test suite catches.

Each mutant swaps one unique source snippet (found by its text anywhere under
runtime/, gfx/, widgets/ and game/, so files may move) for a faulty one:
a flipped comparison, an off-by-one, a dropped statement or a changed
constant. For each mutant of the seeded sample the script rebuilds a plain
RelWithDebInfo tree, runs the suite (each test program once, then the
script tests of ctest) until its first failure, restores the source and
prints whether the fault was caught. A snippet that no longer
occurs exactly once makes its mutant "not applicable".

    scripts/mutation-sample.py [--build build/mutation] [--seed 18] [--count 40] [--only TEXT]
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import time

PRODUCT_DIRS = ["runtime", "gfx", "widgets", "game"]

# (name, snippet, replacement); an empty replacement drops the statement.
POOL = [
    # runtime
    ("random: twister shift", "s[(i + kShift) % kStateWords]", "s[(i + kShift + 1) % kStateWords]"),
    ("random: tempering", "y ^= y >> 11;", "y ^= y >> 12;"),
    ("random: seed spread", "1664525u * gen.state[i - 1] + 1013904223u",
     "1664525u * gen.state[i - 1] + 1013904224u"),
    ("cp437: ASCII bound", "if (byte < 0x7F) return byte;", "if (byte < 0x7E) return byte;"),
    ("cp437: unknown character", "if (it == kReverse.end() || it->ch != ch) return -1;",
     "if (it == kReverse.end()) return -1;"),
    # gfx: clipping and rounding
    ("line: right outcode", "} else if (x > b.right) {", "} else if (x >= b.right) {"),
    ("line: bottom outcode", "code |= 4;", "code |= 8;"),
    ("line: bresenham step", "if (e >= 0) {\n                y += sy;",
     "if (e > 0) {\n                y += sy;"),
    ("line: reversed pattern anchor", "1u << ((b - a) % 16)", "1u << ((b - a + 1) % 16)"),
    ("line: box clip", "if (s.x2 < b.left || s.y2 < b.top || s.x1 > b.right || s.y1 > b.bottom)",
     "if (s.x2 < b.left || s.y2 <= b.top || s.x1 > b.right || s.y1 > b.bottom)"),
    ("line: rounding", "std::copysign(0.5, static_cast<double>(v))",
     "std::copysign(0.49, static_cast<double>(v))"),
    ("line: outline left edge", "vertical(s.x1, s.x1 >= o.bounds.left);",
     "vertical(s.x1, s.x1 > o.bounds.left);"),
    ("text: column mask", "(0xFFu >> (7 - to))", "(0xFFu >> (8 - to))"),
    ("text: first clipped glyph", "(b.left - ix) / glyphWidth", "(b.left - ix + 1) / glyphWidth"),
    ("clear: pen centre", "context.clipRect.width / 2", "(context.clipRect.width - 1) / 2"),
    ("clear: text rows filled", "std::min(rows, screen->height - top)",
     "std::min(rows - 1, screen->height - top)"),
    # gfx: blits
    ("blit: source rectangle", "return {x1, y1, x2 - x1 + 1, y2 - y1 + 1};",
     "return {x1, y1, x2 - x1, y2 - y1 + 1};"),
    ("blit: bottom clip", "if (py + h > clipBottom) h = clipBottom - py;",
     "if (py + h > clipBottom) h = clipBottom - py + 1;"),
    ("blit: left clip source", "        sx += clipLeft - px;\n", ""),
    ("blit: 16-bit mask colour", "[](std::uint16_t p) { return p == MaskColor16; }",
     "[](std::uint16_t p) { return p != p; }"),
    ("blit: wide mask colour", "colors == 0x00FF00FFu", "colors == 0x00FF00FEu"),
    # gfx: bitmap parsing
    ("bmp: zero width", "header.width <= 0 || header.height == 0", "header.width < 0 || header.height == 0"),
    ("bmp: row bytes", "header.bitCount, 7).value_or(0) / 8", "header.bitCount, 6).value_or(0) / 8"),
    ("bmp: row padding", "(rowDataSize(header) + 3) & ~3ull", "(rowDataSize(header) + 2) & ~3ull"),
    ("bmp: RLE4 depth check",
     "if (header.compression == CompressionRle4 && header.bitCount != 4) return LoadResult::BadFile;",
     ""),
    ("bmp: palette size", "header.bitCount <= 8 ? (1u << header.bitCount) : 0u",
     "header.bitCount < 8 ? (1u << header.bitCount) : 0u"),
    ("bmp: RLE nibble order", "i % 2 == 0 ? (byte >> 4) & 0x0F : byte & 0x0F",
     "i % 2 == 1 ? (byte >> 4) & 0x0F : byte & 0x0F"),
    ("bmp: RLE absolute padding", "return bytes % 2 == 0 || file.readByte() >= 0;",
     "return bytes % 2 == 1 || file.readByte() >= 0;"),
    ("bmp: RLE delta", "state.x += dx;", "state.x += dx + 1;"),
    ("bmp: channel scale", "if (length > 8) return value >> (length - 8);",
     "if (length > 8) return value >> (length - 7);"),
    ("bmp: channel fill", "(value >> (2 * length - 8))", "(value >> (2 * length - 9))"),
    ("bmp: mask length", "32 - std::countl_zero(mask) - result.shift",
     "31 - std::countl_zero(mask) - result.shift"),
    ("bmp: packed indices", "byte >> (8 - bitCount)", "byte >> (7 - bitCount)"),
    # gfx: input and key translation
    ("keys: Alt+2", "sign('2', '@', 0x0300, 0x7900),", "sign('2', '@', 0x0300, 0x7A00),"),
    ("keys: right Ctrl", "if (modifiers & (ModCtrl | ModRightCtrl)) return ColumnCtrl;",
     "if (modifiers & ModCtrl) return ColumnCtrl;"),
    ("keys: extended code", "((value & 0xFF00) | 0xFF)", "((value & 0xFF00) | 0xFE)"),
    ("keys: Alt+Left", "{0x4B, {0x4B00, 0x4B00, 0x7300, 0x9B00}},",
     "{0x4B, {0x4B00, 0x4B00, 0x7300, 0x9C00}},"),
    ("keys: umlaut case pair", "{0x94, 0x99},", "{0x94, 0x9A},"),
    ("keys: X Page Up", "{XK_Prior, 0x49, true},", "{XK_Prior, 0x51, true},"),
    ("keys: AltGr", "if (state & Mod5Mask) modifiers |= ModRightAlt | ModCtrl;",
     "if (state & Mod5Mask) modifiers |= ModRightAlt;"),
    ("keys: X function keys", "0x3B + (baseKeysym - XK_F1)", "0x3C + (baseKeysym - XK_F1)"),
    ("input: full key ring",
     "if (ring.writeIndex == ring.readIndex) ring.readIndex = (ring.readIndex + 1) % 16;", ""),
    ("input: extended key text", "static_cast<char>((code >> 8) & 0xFF)}",
     "static_cast<char>((code >> 8) & 0x7F)}"),
    ("console: arrow key", "extendedKey(\"HPMKGO\"[at])", "extendedKey(\"HPMMGO\"[at])"),
    # widgets
    ("panel: button hit edge", "if (b->x < px && px <= right", "if (b->x <= px && px <= right"),
    ("panel: ids", "node->id = (*link)->id + 1;", "node->id = (*link)->id + 2;"),
    ("panel: keep value", "if (value != keep) field = value;", "if (value == keep) field = value;"),
    ("panel: strike offset", "constexpr std::int32_t StrikeOffset = 4;",
     "constexpr std::int32_t StrikeOffset = 5;"),
    ("panel: label line pitch", "start += perLine, top += LinePitch", "start += perLine, top += LinePitch + 1"),
    # game
    ("word file: hint start", "separator == std::string_view::npos ? 1 : separator + 2",
     "separator == std::string_view::npos ? 1 : separator + 1"),
    # Slots 1, 3, ... stay empty so entries sit in even slots; the list keeps
    # its lines once and counts the empty slots in.
    ("word file: empty slot", "return 2 * std::max<std::size_t>(lines_->count(), 1) + 1;",
     "return std::max<std::size_t>(lines_->count(), 1) + 1;"),
    ("word file: first line", "reader.next();  // line 1 carries nothing", ""),
    ("line reader: CR LF", "if (pos_ < bytes_.size() && bytes_[pos_] == '\\n') ++pos_;", ""),
    ("generator: filler letters", "'A' + drawBelow(24)", "'A' + drawBelow(25)"),
    ("generator: last slot", "for (std::int32_t s = 1; s < highest; ++s) {",
     "for (std::int32_t s = 1; s <= highest; ++s) {"),
    ("generator: word length", "word.size() <= static_cast<std::size_t>(MaxWordLength)",
     "word.size() < static_cast<std::size_t>(MaxWordLength)"),
    ("generator: shared letters", "if (!letter.empty() && letter[0] != word[k]) return false;",
     "if (!letter.empty()) return false;"),
    ("generator: word end", "CellPair{at.row + length - 1, at.column}", "CellPair{at.row + length, at.column}"),
    ("grid: backwards word", "sameCell(word.first, other) == 1 && sameCell(word.last, one) == 1",
     "sameCell(word.first, other) == 1 && sameCell(word.last, other) == 1"),
    ("grid: column words", "if (pendingCell.a == clickedCell.a || pendingCell.b == clickedCell.b) {",
     "if (pendingCell.a == clickedCell.a) {"),
    ("grid: letter inset", "constexpr std::int32_t LetterInset = 13;", "constexpr std::int32_t LetterInset = 12;"),
    ("grid: unmark first cell", "if (first.inFoundWord == 0) first.highlight = 0;", ""),
    ("grid: click bounds", "x >= GridExtent || y >= GridExtent", "x > GridExtent || y >= GridExtent"),
    ("frame: close box", "return key != EscapeKey && key != CloseKey;", "return key != EscapeKey;"),
    ("frame: left button", "if ((game.mouseButtons & 1) == 0 ||", "if ((game.mouseButtons & 2) == 0 ||"),
    ("frame: new puzzle unstrikes", "widgets::KeepNumber, 0, hintLabelText(game, i));",
     "widgets::KeepNumber, widgets::KeepStrike, hintLabelText(game, i));"),
    ("win picture: solved", "if (word.found == 0) picture.solved = 0;", ""),
]

SUFFIXES = (".cpp", ".hpp", ".h")
# Quickest first, so most mutants are caught early.
TEST_PROGRAMS = ["runtime_tests", "widgets_tests", "game_tests", "packaging_tests", "gfx_tests",
                 "x11_tests"]


def product_files(root):
    for top in PRODUCT_DIRS:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if name.endswith(SUFFIXES):
                    yield os.path.join(folder, name)


def locate(root, snippet):
    """The one file holding the snippet exactly once, or None."""
    hits = []
    for path in product_files(root):
        with open(path, encoding="utf-8", errors="surrogateescape") as f:
            n = f.read().count(snippet)
        hits += [path] * n
    return hits[0] if len(hits) == 1 else None


def run(cmd, timeout, log):
    try:
        with open(log, "w") as out:
            return subprocess.run(["nice", "-n", "10"] + cmd, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return None


def build(args):
    return run(["cmake", "--build", args.build, "-j", str(args.jobs)], args.build_timeout,
               os.path.join(args.build, "mutation-build.log"))


def suite(args):
    """"passed", "failed" or "timeout". Each test program runs once with all its
    tests (a test process per case would pay every program's start-up again),
    two at a time and the quick ones first; the first failure stops the run."""
    deadline = time.monotonic() + args.timeout
    bin_dir = os.path.join(args.build, "bin")
    programs = [os.path.join(bin_dir, name) for name in TEST_PROGRAMS
                if os.path.exists(os.path.join(bin_dir, name))]
    runs = [["nice", "-n", "10", program, "--gtest_fail_fast"] for program in programs]
    # The tests ctest runs without a test program of their own (shell scripts).
    runs.append(["nice", "-n", "10", "ctest", "--test-dir", args.build, "--stop-on-failure",
                 "-LE", "_tests$"])
    log = open(os.path.join(args.build, "mutation-test.log"), "w")
    running = []
    outcome = "passed"
    try:
        while (runs or running) and outcome == "passed":
            while runs and len(running) < args.jobs:
                running.append(subprocess.Popen(runs.pop(0), cwd=os.path.join(args.build, "tests"),
                                                stdout=log, stderr=subprocess.STDOUT))
            time.sleep(0.2)
            for process in [p for p in running if p.poll() is not None]:
                running.remove(process)
                # A failure counts once it repeats: on this busy machine a test
                # that waits for another thread can lose its deadline.
                if process.returncode != 0:
                    log.write(f"\n== again: {' '.join(process.args)}\n")
                    log.flush()
                    try:
                        again = subprocess.run(process.args, cwd=os.path.join(args.build, "tests"),
                                               stdout=log, stderr=subprocess.STDOUT,
                                               timeout=max(deadline - time.monotonic(), 1))
                        if again.returncode != 0:
                            outcome = "failed"
                    except subprocess.TimeoutExpired:
                        outcome = "timeout"
            if time.monotonic() > deadline:
                outcome = "timeout"
    finally:
        for process in running:
            process.kill()
            process.wait()
        log.close()
    return outcome


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    parser.add_argument("--source", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--build", default=None, help="build tree (default SOURCE/build/mutation)")
    parser.add_argument("--seed", type=int, default=18)
    parser.add_argument("--count", type=int, default=40)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=900, help="seconds for one suite run")
    parser.add_argument("--build-timeout", type=int, default=1800)
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--only", default=None, help="run only the sampled mutants whose name has this text")
    args = parser.parse_args()
    root = os.path.abspath(args.source)
    args.build = os.path.abspath(args.build or os.path.join(root, "build", "mutation"))

    sample = sorted(random.Random(args.seed).sample(range(len(POOL)), min(args.count, len(POOL))))
    mutants = [POOL[i] for i in sample if args.only is None or args.only in POOL[i][0]]
    if args.list:
        for name, _, _ in mutants:
            print(name)
        return 0

    configure = ["cmake", "-S", root, "-B", args.build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DLETTERMOOR_SANITIZE=", "-DLETTERMOOR_TESTS=ON"]
    if shutil.which("ld.lld"):  # every mutant relinks every program; lld does it fastest
        configure.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld")
    subprocess.run(configure, check=True, stdout=subprocess.DEVNULL)
    started = time.monotonic()
    if build(args) != 0 or suite(args) != "passed":
        print(f"the unmutated suite does not pass; see {args.build}/mutation-*.log")
        return 2
    print(f"unmutated build and suite: {time.monotonic() - started:.0f} s", flush=True)

    tally = {"killed": 0, "killed (build)": 0, "killed (timeout)": 0, "survived": 0, "not applicable": 0}
    survivors = []
    for number, (name, snippet, replacement) in enumerate(mutants, 1):
        t0 = time.monotonic()
        path = locate(root, snippet)
        if path is None:
            result = "not applicable"
        else:
            with open(path, "rb") as f:
                original = f.read()
            mutated = original.replace(snippet.encode(), replacement.encode(), 1)
            try:
                with open(path, "wb") as f:
                    f.write(mutated)
                if build(args) != 0:
                    result = "killed (build)"
                else:
                    outcome = suite(args)
                    result = {"failed": "killed", "timeout": "killed (timeout)"}.get(outcome, "survived")
            finally:
                with open(path, "wb") as f:
                    f.write(original)
        tally[result] += 1
        if result == "survived":
            survivors.append(name)
        where = os.path.relpath(path, root) if path else "-"
        print(f"{number:2}/{len(mutants)} {result:16} {name} ({where}, {time.monotonic() - t0:.0f} s)",
              flush=True)

    build(args)  # leaves the tree built from the restored sources
    applicable = len(mutants) - tally["not applicable"]
    killed = applicable - tally["survived"]
    print(", ".join(f"{k}: {v}" for k, v in tally.items()))
    if survivors:
        print("survivors: " + "; ".join(survivors))
    rate = 100.0 * killed / applicable if applicable else 0.0
    print(f"kill rate: {killed}/{applicable} = {rate:.1f} % (seed {args.seed}, "
          f"{(time.monotonic() - started) / 60:.0f} min)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
