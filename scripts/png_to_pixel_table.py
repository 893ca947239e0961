#!/usr/bin/env python3
"""Writes game/window_icon_pixels.cpp from the window icon's PNG sizes.

usage: png_to_pixel_table.py OUT.cpp ICON-16.png ICON-32.png ICON-48.png

Each PNG must be 8-bit RGBA, not interlaced, and square (what rsvg-convert
writes). The table holds 0xAARRGGBB values, top row first, as the window
back ends hand them to the window system.
"""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError(f"{path}: no header")
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 6 or interlace != 0:
        raise ValueError(f"{path}: want 8-bit RGBA without interlacing")
    return width, height, unfilter(zlib.decompress(idat), width, height, 4)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, width, height, bpp):
    stride = width * bpp
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if kind > 4:
            raise ValueError(f"unknown row filter {kind}")
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            upper_left = previous[i - bpp] if i >= bpp else 0
            predictor = (0, left, up, (left + up) // 2, paeth(left, up, upper_left))[kind]
            line[i] = (line[i] + predictor) & 0xFF
        rows.append(line)
        previous = line
    return b"".join(rows)


def table(path):
    width, height, pixels = read_png(path)
    if width != height:
        raise ValueError(f"{path}: not square")
    values = []
    for i in range(0, len(pixels), 4):
        r, g, b, a = pixels[i:i + 4]
        values.append(a << 24 | r << 16 | g << 8 | b)
    lines = [f"const std::array<std::uint32_t, std::size_t{{{width}}} * {width}> "
             f"WindowIcon{width} = {{"]
    for i in range(0, len(values), 8):
        lines.append("   " + "".join(f" 0x{v:08X}," for v in values[i:i + 8]))
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    source = ("// Drawn from data/icon/lettermoor.svg by scripts/make-icons.sh; do not edit.\n"
              '#include "game/window_icon_pixels.hpp"\n\nnamespace game {\n\n// clang-format off\n')
    source += "".join(table(path) for path in sys.argv[2:])
    source += "// clang-format on\n\n}  // namespace game\n"
    with open(sys.argv[1], "w", encoding="ascii") as out:
        out.write(source)


if __name__ == "__main__":
    main()
