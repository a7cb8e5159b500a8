#!/usr/bin/python3
"""Draws the film edge of the image library's "AVIREEL" strip (bitmap 100,
60 x 16): row 0 (y 0-7) is the plain edge, row 1 (y 8-15) the band of five
sprocket holes, one every 12 pixels, that the strip tiles along its top and
bottom. Written as an 8-bit BMP.

    /usr/bin/python3 make_reel_border.py OUTPUT_FOLDER

The result is checked in beside this script; run it again after a change.
"""
import os
import sys

from PIL import Image, ImageDraw

FILM = (16, 16, 16)
EDGE = (64, 64, 64)
HOLE = (224, 224, 208)
HOLE_SHADE = (144, 144, 128)


def draw():
    picture = Image.new("RGB", (60, 16), FILM)
    d = ImageDraw.Draw(picture)
    # Row 0: the edge alone, a lighter line along the film's border.
    d.line([(0, 0), (59, 0)], fill=EDGE)
    d.line([(0, 7), (59, 7)], fill=EDGE)
    # Row 1: a hole of 6 x 4 pixels in the middle of each 12-pixel pitch.
    for pitch in range(5):
        left = pitch * 12 + 3
        d.rectangle([left, 10, left + 5, 13], fill=HOLE)
        d.line([(left, 10), (left + 5, 10)], fill=HOLE_SHADE)
        d.line([(left, 10), (left, 13)], fill=HOLE_SHADE)
    return picture


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    draw().convert("P", palette=Image.ADAPTIVE, colors=256).save(os.path.join(folder, "ReelBorder.bmp"))


if __name__ == "__main__":
    main()
