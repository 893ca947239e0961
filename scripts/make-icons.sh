#!/usr/bin/env bash
# Draws the icon's committed outputs from data/icon/lettermoor.svg with
# rsvg-convert (Debian's librsvg2-bin): the theme PNGs in data/icon/ and the
# window icon's pixel table, game/window_icon_pixels.cpp. Run it after
# changing the drawing and commit what it writes; the build only installs
# and compiles the results.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
svg=$repo/data/icon/lettermoor.svg
command -v rsvg-convert > /dev/null || {
    echo "make-icons.sh: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
    exit 1
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

draw() {  # size, output
    rsvg-convert --width "$1" --height "$1" --format png --output "$2" "$svg"
}
for size in 48 256; do draw "$size" "$repo/data/icon/lettermoor-$size.png"; done
draw 16 "$scratch/16.png"
draw 32 "$scratch/32.png"
python3 "$repo/scripts/png_to_pixel_table.py" "$repo/game/window_icon_pixels.cpp" \
    "$scratch/16.png" "$scratch/32.png" "$repo/data/icon/lettermoor-48.png"
