#!/usr/bin/python3
"""Draws the video export library's icon (100): a strip of film with a red
recording dot, at 32 and 16 pixels.

    /usr/bin/python3 make_icon.py OUTPUT.ico

The result is checked in beside this script; run it again after a change.
The icon file is put together by icotool (icoutils), which stores the images
as plain bitmaps that every system version reads.
"""
import os
import subprocess
import sys
import tempfile
from PIL import Image, ImageDraw


def draw(size):
    scale = size / 32.0
    image = Image.new('RGBA', (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)

    def box(x0, y0, x1, y1, fill):
        d.rectangle([round(x0 * scale), round(y0 * scale), round(x1 * scale) - 1, round(y1 * scale) - 1], fill=fill)

    box(2, 5, 30, 27, (40, 40, 48, 255))          # the film
    for x in range(4, 29, 5):                       # perforations
        box(x, 7, x + 3, 9, (230, 230, 230, 255))
        box(x, 23, x + 3, 25, (230, 230, 230, 255))
    box(5, 11, 27, 21, (120, 170, 220, 255))      # the picture
    r = 4.5 * scale
    cx, cy = 22 * scale, 16 * scale
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(220, 30, 30, 255))
    return image


def main():
    out = sys.argv[1]
    with tempfile.TemporaryDirectory() as work:
        pictures = []
        for size in (32, 16):
            path = os.path.join(work, '%d.png' % size)
            draw(size).save(path)
            pictures.append(path)
        subprocess.run(['icotool', '-c', '-o', out] + pictures, check=True)


if __name__ == '__main__':
    main()
