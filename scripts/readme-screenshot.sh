#!/usr/bin/env bash
# Regenerates docs/lettermoor.png, the README's picture: the X tests start the
# game on a private Xvfb, find two words and keep the window's pixels, which
# are then written as a PNG. Usage: scripts/readme-screenshot.sh [TEST-BUILD]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build/test}
"$repo/scripts/ensure-packages.sh"
[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target lettermoor x11_tests
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build/tests" && LETTERMOOR_README_SCREENSHOT="$work/window.ppm" \
    "$build/bin/x11_tests" --gtest_filter='GameBlackBox.*' > "$work/test.log") ||
    { cat "$work/test.log" >&2; exit 1; }
[[ -s "$work/window.ppm" ]] || { echo "the test kept no picture" >&2; exit 1; }
mkdir -p "$repo/docs"
# A PNG of 8-bit RGB rows, each with filter byte 0 (none).
python3 - "$work/window.ppm" "$repo/docs/lettermoor.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
magic, size, depth, pixels = data.split(b"\n", 3)
width, height = map(int, size.split())
assert magic == b"P6" and depth == b"255" and len(pixels) == width * height * 3
stride = width * 3
rows = b"".join(b"\0" + pixels[y * stride:(y + 1) * stride] for y in range(height))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
open(sys.argv[2], "wb").write(png)
PY
echo "wrote docs/lettermoor.png"
