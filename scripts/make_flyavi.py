#!/usr/bin/env python3
"""Draws the "FLYAVI" clip: eight 16 x 16 frames side by side in one 24-bit BMP, a sheet
of paper flying in an arc from one folder to another. The clip format is a strip of square
frames; the bottom-left pixel's colour (the background) is the transparent colour.

Usage: scripts/make_flyavi.py [output]   (default resources/anim/FLYAVI.bmp)
"""
import math
import struct
import sys

SIZE, FRAMES = 16, 8
BACK = (0x80, 0x80, 0x00)      # teal background, made transparent by the player
FOLDER = (0xF0, 0xD0, 0x40)
FOLDER_EDGE = (0x90, 0x70, 0x10)
PAPER = (0xFF, 0xFF, 0xFF)
PAPER_EDGE = (0x20, 0x20, 0x20)


def frame(n):
    px = [[BACK] * SIZE for _ in range(SIZE)]

    def put(x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            px[y][x] = c

    def box(x0, y0, x1, y1, fill, edge):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                put(x, y, edge if x in (x0, x1) or y in (y0, y1) else fill)

    # Two folders at the bottom corners (kept off the bottom-left pixel).
    box(1, 11, 4, 14, FOLDER, FOLDER_EDGE)
    box(11, 11, 14, 14, FOLDER, FOLDER_EDGE)
    # The sheet travels along a half circle from the left folder to the right one.
    t = n / (FRAMES - 1)
    angle = math.pi * (1 - t)
    cx = 7.5 + 5 * math.cos(angle)
    cy = 10 - 8 * math.sin(angle)
    x0, y0 = int(round(cx)) - 1, int(round(cy)) - 2
    box(x0, y0, x0 + 3, y0 + 4, PAPER, PAPER_EDGE)
    return px


def write_bmp(path):
    width, height = SIZE * FRAMES, SIZE
    frames = [frame(n) for n in range(FRAMES)]
    row_size = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):       # bottom-up rows
        row = bytearray()
        for x in range(width):
            r, g, b = frames[x // SIZE][y][x % SIZE]
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "resources/anim/FLYAVI.bmp")
