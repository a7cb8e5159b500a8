#!/usr/bin/env python3
"""Draws the faces of the owner-drawn buttons of "Define Cursor animation" at
build time: bitmap 101 holds the two view buttons (frame sequence, frame
cycle) as two 100 x 17 pieces side by side, bitmap 102 the preview's stop
and play buttons as two 24 x 24 pieces.

    make_cursor_buttons.py OUTPUT_FOLDER

Plain 24-bit bitmaps drawn from a few shapes, so the build needs nothing
but Python.
"""
import os
import struct
import sys

FACE = (192, 192, 192)
INK = (0, 0, 128)


def write_bmp(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b), y counted from the top."""
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows += row
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(rows), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + rows)


def view_piece(x, y, cycle):
    """Frames in a row (sequence) or frames on a circle of arrows (cycle)."""
    if cycle:
        cx, cy = 50, 8
        d = ((x - cx) ** 2) * 0.04 + (y - cy) ** 2
        if 30 <= d <= 48:
            return INK
        if x in (57, 58) and 2 <= y <= 5:
            return INK
        return FACE
    for left in (14, 38, 62):
        if left <= x < left + 22 and 3 <= y < 14:
            edge = x in (left, left + 21) or y in (3, 13)
            return INK if edge else (255, 255, 255)
    return FACE


def views(x, y):
    return view_piece(x % 100, y, x >= 100)


def play_piece(x, y, play):
    if play:
        # A triangle pointing right.
        if 7 <= x <= 18 and abs(y - 12) <= (x - 7) * 0.55 and abs(y - 12) <= 6:
            return (0, 128, 0)
        return FACE
    if 7 <= x <= 16 and 7 <= y <= 16:
        return (128, 0, 0)
    return FACE


def play_buttons(x, y):
    return play_piece(x % 24, y, x >= 24)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, 'cursor_views.bmp'), 200, 17, views)
    write_bmp(os.path.join(out, 'cursor_play.bmp'), 48, 24, play_buttons)


if __name__ == '__main__':
    main()
