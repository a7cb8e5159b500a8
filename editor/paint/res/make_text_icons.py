#!/usr/bin/python3
"""Draws the nine 16 x 16 button faces of the "Insert Text" dialog (icons
6000-6008): bold, italic, underline, left, centre, right, top, baseline and
bottom, as black ink on a transparent ground.

    /usr/bin/python3 make_text_icons.py [OUTPUT_FOLDER]

The results are checked in beside this script; run it again after a change.
"""
import os
import struct
import sys

from PIL import Image, ImageDraw

from make_paint_resources import mono_image

SIZE = 16


def letter_b(d):
    for x in (4, 5):
        d.line((x, 3, x, 12), fill=1)
    d.line((4, 3, 9, 3), fill=1)
    d.line((4, 7, 10, 7), fill=1)
    d.line((4, 12, 10, 12), fill=1)
    d.line((10, 4, 10, 6), fill=1)
    d.line((11, 8, 11, 11), fill=1)
    d.line((9, 4, 9, 6), fill=1)
    d.line((10, 8, 10, 11), fill=1)


def letter_i(d):
    d.line((7, 3, 11, 3), fill=1)
    d.line((4, 12, 8, 12), fill=1)
    d.line((9, 3, 6, 12), fill=1)


def letter_u(d):
    d.line((4, 2, 4, 9), fill=1)
    d.line((10, 2, 10, 9), fill=1)
    d.line((5, 10, 9, 10), fill=1)
    d.line((3, 13, 11, 13), fill=1)


def lines(align):
    def draw(d):
        for row, length in ((3, 12), (6, 8), (9, 12), (12, 6)):
            if align == 'left':
                x0 = 2
            elif align == 'right':
                x0 = 14 - length
            else:
                x0 = 8 - length // 2
            d.line((x0, row, x0 + length - 1, row), fill=1)
    return draw


def vertical(where):
    """A small "T" hanging from, standing on, or sitting on a dotted line."""
    def draw(d):
        line_y = {'top': 3, 'baseline': 9, 'bottom': 13}[where]
        for x in range(1, 15, 2):
            d.point((x, line_y), fill=1)
        top = {'top': line_y + 1, 'baseline': line_y - 6, 'bottom': line_y - 9}[where]
        d.line((5, top, 11, top), fill=1)
        d.line((8, top, 8, top + 6 if where != 'bottom' else top + 8), fill=1)
        if where == 'baseline':
            d.line((8, line_y, 8, line_y + 3), fill=1)  # the descender below the line
    return draw


FACES = [
    ('text_bold.ico', letter_b),
    ('text_italic.ico', letter_i),
    ('text_underline.ico', letter_u),
    ('text_left.ico', lines('left')),
    ('text_center.ico', lines('center')),
    ('text_right.ico', lines('right')),
    ('text_top.ico', vertical('top')),
    ('text_baseline.ico', vertical('baseline')),
    ('text_bottom.ico', vertical('bottom')),
]


def write_icon(path, ink):
    """A monochrome .ICO: black ink, the ground showing through elsewhere."""
    image = mono_image(SIZE, lambda x, y: 0, lambda x, y: 0 if ink.getpixel((x, y)) else 1)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, 1, 1, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(directory + entry + image)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, draw in FACES:
        ink = Image.new('1', (SIZE, SIZE), 0)
        draw(ImageDraw.Draw(ink))
        write_icon(os.path.join(folder, name), ink)


if __name__ == '__main__':
    main()
