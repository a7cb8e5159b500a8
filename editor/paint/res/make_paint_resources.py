#!/usr/bin/python3
"""Draws the frame canvas's pictures:

- paint_patterns.bmp (bitmap 921): five 8 x 8 monochrome pieces side by side.
  0 and 1 are the pixel grids for zoom 4 and 8 (dark in the last column and
  row of each enlarged pixel), 2 is the onion-skin pattern without a grid, 3
  and 4 are the onion-skin patterns for zoom 4 and 8, clear on the grid lines
  so that the grid stays dark over the reference frame. A set (white) bit lets
  the frame or the reference frame through, a clear (black) bit draws dark.
- paint_move.cur (cursor 952): the four-way arrow shown over a selected area
  that the mouse can move and while a pasted area is placed.
- paint_handle.cur (cursor 953): the cross with a hollow square shown over a
  corner handle or a lasso node.

    /usr/bin/python3 make_paint_resources.py [OUTPUT_FOLDER]

The results are checked in beside this script; run it again after a change.
"""
import os
import struct
import sys

from PIL import Image, ImageDraw

PIECE = 8


def grid_bit(x, y, period):
    """1 inside an enlarged pixel, 0 on its last column and row."""
    return 0 if x % period == period - 1 or y % period == period - 1 else 1


def onion_bit(x, y, period):
    """A checkerboard of single pixels, cleared on the grid lines."""
    if period and not grid_bit(x, y, period):
        return 0
    return 1 if (x + y) % 2 == 0 else 0


PIECES = [
    lambda x, y: grid_bit(x, y, 4),
    lambda x, y: grid_bit(x, y, 8),
    lambda x, y: onion_bit(x, y, 0),
    lambda x, y: onion_bit(x, y, 4),
    lambda x, y: onion_bit(x, y, 8),
]


def draw_patterns(path):
    image = Image.new('1', (PIECE * len(PIECES), PIECE), 0)
    for index, bit in enumerate(PIECES):
        for y in range(PIECE):
            for x in range(PIECE):
                image.putpixel((index * PIECE + x, y), bit(x, y))
    image.save(path, 'BMP')


# ---- cursors ---------------------------------------------------------------
# A cursor is drawn as two 32 x 32 pictures: `shape` (1 where the cursor is)
# and `ink` (1 where it is black); the outline of the shape is white.

SIZE = 32


def mono_image(size, xor_bit, and_bit):
    """The picture of a monochrome icon or cursor of size x size: header,
    black-and-white palette, XOR mask and AND mask (1 = transparent), each as
    bottom-up rows of 4 bytes. Also used by make_text_icons.py."""
    def rows(bit):
        data = bytearray()
        for y in range(size - 1, -1, -1):
            value = 0
            for x in range(size):
                value = (value << 1) | bit(x, y)
            data += struct.pack('>I', value << (32 - size))
        return data

    xor = rows(xor_bit)
    mask = rows(and_bit)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return header + palette + xor + mask


def write_cursor(path, shape, ink, hotspot):
    """A monochrome .CUR file: XOR mask 1 = white where shown."""
    image = mono_image(SIZE, lambda x, y: 1 if shape.getpixel((x, y)) and not ink.getpixel((x, y)) else 0,
                       lambda x, y: 0 if shape.getpixel((x, y)) else 1)
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(directory + entry + image)


def outlined(draw_ink):
    """The ink drawn by draw_ink(ImageDraw) and a shape one pixel wider all round."""
    ink = Image.new('1', (SIZE, SIZE), 0)
    draw_ink(ImageDraw.Draw(ink))
    shape = Image.new('1', (SIZE, SIZE), 0)
    for y in range(SIZE):
        for x in range(SIZE):
            if ink.getpixel((x, y)):
                for dy in (-1, 0, 1):
                    for dx in (-1, 0, 1):
                        if 0 <= x + dx < SIZE and 0 <= y + dy < SIZE:
                            shape.putpixel((x + dx, y + dy), 1)
    return shape, ink


def draw_move(d):
    c = 15
    d.line((c - 9, c, c + 9, c), fill=1)
    d.line((c, c - 9, c, c + 9), fill=1)
    for k in range(4):  # arrow heads, 4 pixels deep
        d.line((c - 9 + k, c - k, c - 9 + k, c + k), fill=1)
        d.line((c + 9 - k, c - k, c + 9 - k, c + k), fill=1)
        d.line((c - k, c - 9 + k, c + k, c - 9 + k), fill=1)
        d.line((c - k, c + 9 - k, c + k, c + 9 - k), fill=1)


def draw_handle(d):
    c = 15
    d.line((c - 10, c, c - 4, c), fill=1)
    d.line((c + 4, c, c + 10, c), fill=1)
    d.line((c, c - 10, c, c - 4), fill=1)
    d.line((c, c + 4, c, c + 10), fill=1)
    d.rectangle((c - 2, c - 2, c + 2, c + 2), outline=1)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    draw_patterns(os.path.join(folder, 'paint_patterns.bmp'))
    shape, ink = outlined(draw_move)
    write_cursor(os.path.join(folder, 'paint_move.cur'), shape, ink, (15, 15))
    shape, ink = outlined(draw_handle)
    write_cursor(os.path.join(folder, 'paint_handle.cur'), shape, ink, (15, 15))


if __name__ == '__main__':
    main()
