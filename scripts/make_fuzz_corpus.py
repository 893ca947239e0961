#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/.

load_image: a small picture in every bitmap form the loader reads, plus both
raw-dump forms. word_text: word files with every kind of line end and the
awkward shapes a hand-edited file takes. key_events: a few event streams.
Run it again after changing it and commit the files it writes.
"""

import os
import struct
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "corpus")
WORD_FILE_SHIFT = 7  # game::WordFileShift

WIDTH, HEIGHT = 7, 5


def pixel_value(x, y, bits):
    """A value per pixel that changes along both axes, within `bits` bits."""
    v = (x * 37 + y * 91 + x * y * 13) & 0xFFFFFFFF
    return v % (1 << bits) if bits < 32 else (v * 0x01010101) & 0xFFFFFFFF


def pack_row(values, bits):
    if bits >= 8:
        out = b"".join(struct.pack("<I", v)[:bits // 8] for v in values)
    else:
        per_byte = 8 // bits
        padded = values + [0] * (-len(values) % per_byte)
        out = bytes(sum(v << (8 - bits * (j + 1)) for j, v in enumerate(padded[i:i + per_byte]))
                    for i in range(0, len(padded), per_byte))
    return out + b"\0" * (-len(out) % 4)


def rle_rows(rows, bits):
    """Encoded runs per row: one repeated run, one absolute run, end of line."""
    out = bytearray()
    for values in rows:
        rest = values[2:]
        if bits == 8:
            repeated, packed = values[0], bytes(rest)
        else:
            repeated = (values[0] << 4) | values[0]
            packed = bytes((rest[i] << 4) | (rest[i + 1] if i + 1 < len(rest) else 0)
                           for i in range(0, len(rest), 2))
        out += bytes([2, repeated, 0, len(rest)]) + packed + b"\0" * (len(packed) % 2) + b"\0\0"
    return bytes(out) + b"\0\1"


def bitmap(header_size, bits, compression=0, top_down=False, masks=None):
    # The colour table: 3 bytes an entry after the oldest header, 4 after the others.
    pad = b"" if header_size == 12 else b"\0"
    table = b"".join(bytes([(i * 53) & 0xFF, (i * 101) & 0xFF, (i * 197) & 0xFF]) + pad
                     for i in range(1 << bits)) if bits <= 8 else b""
    rows = [[pixel_value(x, y, bits) for x in range(WIDTH)] for y in range(HEIGHT)]
    stored = rows if top_down else list(reversed(rows))
    pixels = (rle_rows(stored, bits) if compression in (1, 2)
              else b"".join(pack_row(r, bits) for r in stored))

    if header_size == 12:
        info = struct.pack("<IHHHH", 12, WIDTH, HEIGHT, 1, bits)
    else:
        height = -HEIGHT if top_down else HEIGHT
        info = struct.pack("<IiiHHII", header_size, WIDTH, height, 1, bits, compression,
                           len(pixels))[:header_size]
        if header_size >= 52 and masks:
            info = info.ljust(40, b"\0") + struct.pack("<4I", *masks)
        info = info.ljust(header_size, b"\0")
    extra = b""
    if compression == 3 and header_size < 52:
        extra = struct.pack("<3I", *masks[:3])
    offset = 14 + header_size + len(extra) + len(table)
    body = info + extra + table + pixels
    return struct.pack("<HIHHI", 0x4D42, 14 + len(body), 0, 0, offset) + body


def raw_dump_image():
    """A 4x3 image buffer of 4 bytes per pixel as it lies in memory."""
    pitch = 16
    header = struct.pack("<5i", 7, 4, 4, 3, pitch) + b"\0" * 12
    rows = b"".join(struct.pack("<4I", *[0xFF000000 | (x * 0x40 << 16) | (y * 0x60)
                                          for x in range(4)]) for y in range(3))
    return header + rows


def load_image_seeds():
    rgb565 = (0xF800, 0x07E0, 0x001F, 0)
    argb = (0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    seeds = {
        "core1.bmp": bitmap(12, 1), "core4.bmp": bitmap(12, 4),
        "core8.bmp": bitmap(12, 8), "core24.bmp": bitmap(12, 24),
        "info1.bmp": bitmap(40, 1), "info2.bmp": bitmap(40, 2),
        "info4.bmp": bitmap(40, 4), "info8.bmp": bitmap(40, 8),
        "info16.bmp": bitmap(40, 16), "info24.bmp": bitmap(40, 24),
        "info32.bmp": bitmap(40, 32),
        "info24_top_down.bmp": bitmap(40, 24, top_down=True),
        "info8_top_down.bmp": bitmap(40, 8, top_down=True),
        "info16_fields565.bmp": bitmap(40, 16, 3, masks=rgb565),
        "info32_fields.bmp": bitmap(40, 32, 3, masks=argb),
        "info32_fields_top_down.bmp": bitmap(40, 32, 3, True, argb),
        "v2_16_fields.bmp": bitmap(52, 16, 3, masks=rgb565),
        "v3_32_fields_alpha.bmp": bitmap(56, 32, 3, masks=argb),
        "os2_24.bmp": bitmap(64, 24),
        "v4_32_fields.bmp": bitmap(108, 32, 3, masks=argb),
        "v5_24.bmp": bitmap(124, 24), "v5_8.bmp": bitmap(124, 8),
        "rle8.bmp": bitmap(40, 8, 1), "rle4.bmp": bitmap(40, 4, 2),
    }
    image = raw_dump_image()
    seeds["dump_long.raw"] = bytes([0xFE]) + struct.pack("<I", len(image)) + image
    seeds["dump_short.raw"] = bytes([0xFD]) + b"\0" * 4 + struct.pack("<H", len(image)) + image
    return seeds


def scrambled(line):
    """Each character of `line` stands for the code page 437 byte of its ordinal."""
    return bytes((b + WORD_FILE_SHIFT) & 0xFF for b in line.encode("latin-1"))


def word_file(lines, end=b"\n", final_end=True):
    out = end.join(scrambled(line) for line in lines)
    return out + end if final_end else out


def word_text_seeds():
    words = ["APFEL", "BIRNE", "HAUS", "KATZE", "HUND", "MOOR", "BUCHSTABE", "FENSTER",
             "TISCH", "LAMPE", "ZUGABE", "R\x84TSEL"]  # 0x84: a-umlaut in code page 437
    lines = ["Kommentar", "Tipp:"] + [w + ";-Hinweis zu " + w for w in words]
    mixed = b"".join(scrambled(line) + end for line, end in
                     zip(lines, [b"\n", b"\r\n", b"\r", b"\n", b"\r\r\n"] * 4))
    return {
        "lf.txt": word_file(lines),
        "crlf.txt": word_file(lines, b"\r\n"),
        "cr.txt": word_file(lines, b"\r"),
        "mixed_ends.txt": mixed,
        "no_final_end.txt": word_file(lines, final_end=False),
        "blank_lines.txt": word_file(lines + ["", "", ""]),
        "twenty_letters.txt": word_file(["c", "p"] + ["ABCDEFGHIJKLMNOPQRST;-zwanzig"] * 11
                                        + ["ENDE;-x"]),
        "separators.txt": word_file(["c", "p", "CAT;-small pet", "CAT;", "CAT;-", "CAT",
                                     ";-no word", "AB;-C;D", ""]),
        "only_line_feeds.txt": b"\n" * 64,
        "nul_bytes.txt": word_file(lines) + b"\0\0\0" + scrambled("X;-y") + b"\0\n",
        "empty.txt": b"",
    }


def key_events_seeds():
    return {
        "zeros": bytes(32),
        "ones": bytes([0xFF]) * 32,
        "counting": bytes(range(256)),
        "escape_and_arrows": b"\x1b\x00\x00\xff\x1b\x48\x01\x00\x00\x00\x09\x00\x00\xff\x02" * 4,
    }


def main():
    for target, seeds in (("load_image", load_image_seeds()), ("word_text", word_text_seeds()),
                          ("key_events", key_events_seeds())):
        folder = os.path.join(ROOT, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
