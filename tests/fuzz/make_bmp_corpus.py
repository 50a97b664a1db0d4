#!/usr/bin/env python3
"""Writes the seed corpus of the BMP file fuzzer (tests/fuzz/bmp_file_fuzzer.cpp): small valid
BMP files of each depth and header the loader reads, each after the fuzzer's first byte (bit 0:
a DIB section; bits 1-3 and 4-6: a width and height of its own, 0 for the file's).
Usage: make_bmp_corpus.py [folder], by default tests/fuzz/corpus/bmp_file."""
import os
import struct
import sys


def bmp(width, height, bits, header=40, compression=0, table=(), top_down=False, masks=None):
    rows = []
    for y in range(height):
        if bits <= 8:
            acc, filled, row = 0, 0, bytearray()
            for x in range(width):
                acc = (acc << bits) | ((x + y) % max(len(table), 1))
                filled += bits
                if filled == 8:
                    row.append(acc)
                    acc, filled = 0, 0
            if filled:
                row.append((acc << (8 - filled)) & 0xFF)
        elif bits == 16:
            row = b"".join(struct.pack("<H", (0x7C00 >> (5 * ((x + y) % 3)))) for x in range(width))
        elif bits == 24:
            row = b"".join(bytes((0x20 + x, 0x40 + y, 0x60 + x + y)) for x in range(width))
        else:
            row = b"".join(bytes((0x20 + x, 0x40 + y, 0x60 + x + y, 0x80)) for x in range(width))
        rows.append(bytes(row) + b"\0" * (-len(row) % 4))
    pixels = b"".join(rows if top_down else reversed(rows))
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        colours = b"".join(struct.pack("<I", c)[:3] for c in table)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, -height if top_down else height, 1, bits, compression,
                           len(pixels), 2835, 2835, len(table), 0)
        m = masks or (0xFF0000, 0xFF00, 0xFF)
        if header > 40:
            info += struct.pack("<III", *m) + b"\0" * (header - 52)
        elif compression == 3:
            info += struct.pack("<III", *m)
        colours = b"".join(struct.pack("<I", c) for c in table)
    body = info + colours
    return b"BM" + struct.pack("<IHHI", 14 + len(body) + len(pixels), 0, 0, 14 + len(body)) + body + pixels


SEEDS = {
    "rgb24": (0x00, bmp(5, 3, 24)),
    "rgb24_section_stretched": (0x13, bmp(5, 3, 24)),
    "rgb32": (0x01, bmp(4, 2, 32)),
    "fields32_v4_top_down": (0x01, bmp(3, 3, 32, header=108, compression=3, top_down=True)),
    "fields32_v5_stretched": (0x24, bmp(3, 2, 32, header=124, compression=3)),
    "fields16_565": (0x01, bmp(3, 2, 16, compression=3, masks=(0xF800, 0x7E0, 0x1F))),
    "rgb16": (0x00, bmp(3, 2, 16)),
    "mono": (0x00, bmp(9, 2, 1, table=(0x000000, 0xFFFFFF))),
    "mono_section_stretched": (0x57, bmp(9, 2, 1, table=(0x000000, 0xFFFFFF))),
    "two_colours": (0x01, bmp(9, 2, 1, table=(0xFF0000, 0x0000FF))),
    "palette4": (0x01, bmp(5, 2, 4, table=(0x112233, 0x445566, 0x778899))),
    "palette8": (0x00, bmp(5, 2, 8, table=(0x112233, 0x445566, 0x778899))),
    "core24": (0x00, bmp(3, 2, 24, header=12)),
    "core1": (0x01, bmp(3, 2, 1, header=12, table=(0x000000, 0xFFFFFF))),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "bmp_file")
    os.makedirs(folder, exist_ok=True)
    for name, (mode, data) in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(bytes((mode,)) + data)


if __name__ == "__main__":
    main()
