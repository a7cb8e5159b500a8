#!/usr/bin/python3
"""Draws the tool strips of the region editor (bitmap 928, 64 x 160) and of
the path editor (bitmap 929, 64 x 256).

    /usr/bin/python3 make_compose_pictures.py OUTPUT_FOLDER

Each strip holds 32 x 32 icons stacked in its left column and the same icons
highlighted (chosen or pressed) in its right column. 928: select, new region,
delete region, then zoom in (y 96) and zoom out (y 128). 929: select, add
node, delete node, spread, mirror left-right, mirror top-bottom, number of
nodes, test run. Written as 4-bit BMPs in the 16 standard colours; the
results are checked in beside this script: run it again after a change.
"""
import os
import sys

from PIL import Image, ImageDraw

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'shell', 'res'))
from standard_colours import *  # noqa: E402,F401,F403 (the 16 colours and write_bmp4)

ICON = 32


def button(draw, x, y, pressed):
    """A raised (or pressed) 32 x 32 button face."""
    draw.rectangle([x, y, x + ICON - 1, y + ICON - 1], fill=GREY if pressed else SILVER)
    light, dark = (GREY, WHITE) if pressed else (WHITE, GREY)
    draw.line([x, y + ICON - 1, x, y, x + ICON - 1, y], fill=light)
    draw.line([x + ICON - 1, y, x + ICON - 1, y + ICON - 1, x, y + ICON - 1], fill=dark)
    draw.line([x + 1, y + ICON - 2, x + ICON - 2, y + ICON - 2, x + ICON - 2, y + 1], fill=BLACK if not pressed else SILVER)


def node(draw, x, y, colour=WHITE):
    draw.rectangle([x - 3, y - 3, x + 2, y + 2], fill=colour, outline=BLACK)


def arrow(draw, x, y):
    draw.polygon([(x + 9, y + 6), (x + 9, y + 24), (x + 13, y + 20), (x + 17, y + 27),
                  (x + 20, y + 25), (x + 16, y + 18), (x + 22, y + 18)], fill=WHITE, outline=BLACK)


def plus(draw, x, y, colour):
    draw.rectangle([x - 1, y - 5, x + 1, y + 5], fill=colour)
    draw.rectangle([x - 5, y - 1, x + 5, y + 1], fill=colour)


def cross(draw, x, y):
    for d in range(-1, 2):
        draw.line([x - 5 + d, y - 5, x + 5 + d, y + 5], fill=RED)
        draw.line([x - 5 + d, y + 5, x + 5 + d, y - 5], fill=RED)


def path_icon(draw, index, x, y):
    if index == 0:
        arrow(draw, x, y)
    elif index == 1:
        draw.line([x + 6, y + 24, x + 16, y + 12], fill=BLACK)
        node(draw, x + 6, y + 24)
        node(draw, x + 16, y + 12)
        plus(draw, x + 23, y + 22, GREEN)
    elif index == 2:
        draw.line([x + 6, y + 24, x + 16, y + 10], fill=BLACK)
        node(draw, x + 6, y + 24)
        node(draw, x + 16, y + 10)
        cross(draw, x + 23, y + 22)
    elif index == 3:
        draw.line([x + 4, y + 16, x + 27, y + 16], fill=BLACK)
        for i in range(4):
            node(draw, x + 5 + i * 7, y + 16, WHITE if i in (0, 3) else YELLOW)
    elif index == 4:
        draw.line([x + 16, y + 4, x + 16, y + 27], fill=NAVY)
        draw.polygon([(x + 13, y + 9), (x + 13, y + 23), (x + 4, y + 23)], fill=BLUE)
        draw.polygon([(x + 19, y + 9), (x + 19, y + 23), (x + 28, y + 23)], outline=BLUE)
    elif index == 5:
        draw.line([x + 4, y + 16, x + 27, y + 16], fill=NAVY)
        draw.polygon([(x + 9, y + 13), (x + 23, y + 13), (x + 23, y + 4)], fill=BLUE)
        draw.polygon([(x + 9, y + 19), (x + 23, y + 19), (x + 23, y + 28)], outline=BLUE)
    elif index == 6:
        points = [(x + 5, y + 25), (x + 10, y + 12), (x + 17, y + 20), (x + 26, y + 6)]
        draw.line(points, fill=BLACK)
        for p in points:
            node(draw, *p)
        draw.text((x + 18, y + 20), '#', fill=MAROON)
    else:
        draw.polygon([(x + 10, y + 7), (x + 10, y + 25), (x + 25, y + 16)], fill=GREEN, outline=BLACK)


def region_icon(draw, index, x, y):
    if index == 0:
        arrow(draw, x, y)
    elif index == 1:
        draw.rectangle([x + 5, y + 6, x + 21, y + 19], outline=BLACK)
        plus(draw, x + 23, y + 23, GREEN)
    elif index == 2:
        draw.rectangle([x + 5, y + 6, x + 21, y + 19], outline=BLACK)
        cross(draw, x + 23, y + 23)
    else:
        draw.ellipse([x + 5, y + 5, x + 21, y + 21], fill=WHITE, outline=BLACK)
        draw.line([x + 19, y + 19, x + 27, y + 27], fill=BLACK, width=3)
        if index == 3:
            plus(draw, x + 13, y + 13, BLACK)
        else:
            draw.rectangle([x + 8, y + 12, x + 18, y + 14], fill=BLACK)


def strip(count, icon):
    image = Image.new('RGB', (2 * ICON, count * ICON), SILVER)
    draw = ImageDraw.Draw(image)
    for i in range(count):
        for column in range(2):
            x, y = column * ICON, i * ICON
            button(draw, x, y, column == 1)
            icon(draw, i, x + column, y + column)
    return image


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_bmp4(os.path.join(folder, 'regiontools.bmp'), strip(5, region_icon))
    write_bmp4(os.path.join(folder, 'pathtools.bmp'), strip(8, path_icon))


if __name__ == '__main__':
    main()
