#!/usr/bin/python3
"""Draws the palette window's pictures and the dialogs' tick:

- palette_indicator.bmp (bitmap 913, 112 x 56): the frame of the colour
  indicator, 56 x 28 at x 0 with filling off and at x 56 with filling on. The
  upper row is the colour part (ORed onto the swatches), the lower row the
  mask (ANDed first): white where the pen, transparent and fill swatches show
  through, black where the frame is drawn. With filling off the fill swatch
  shows through a grid of holes only.
- no_transparent.bmp (bitmap 914, 18 x 20): what stands between the pen and
  fill swatches while the transparent colour is off: a white well crossed
  out in red.
- ../../shell/res/glyphs.bmp (bitmap 936) grows from 64 x 16 to 64 x 48: its
  first 16 rows stay as they are and a 16 x 14 tick is added at (48, 18),
  black on white (the transparent-colour dialog merges or ANDs it), and the
  nine 16 x 16 pictures of the rotation centres, black on white: a framed
  square with a block at the centre's place (the rotate dialog's buttons).

    /usr/bin/python3 make_palette_pictures.py [OUTPUT_FOLDER]

The results are checked in; run it again after a change.
"""
import os
import sys

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
FACE = (192, 192, 192)
BLACK, WHITE, GREY = (0, 0, 0), (255, 255, 255), (128, 128, 128)

PEN = (3, 3, 20, 23)            # the swatches' visible insides (inclusive)
TRANSPARENT = (21, 5, 35, 21)
FILL = (37, 3, 53, 23)


def indicator():
    image = Image.new("RGB", (112, 56), BLACK)
    draw = ImageDraw.Draw(image)
    for x0, filling in ((0, False), (56, True)):
        colour = ImageDraw.Draw(image)
        colour.rectangle((x0, 0, x0 + 55, 27), FACE)
        for box in (PEN, FILL, TRANSPARENT):
            l, t, r, b = box
            colour.rectangle((x0 + l - 1, t - 1, x0 + r + 1, b + 1), outline=BLACK)
            colour.rectangle((x0 + l, t, x0 + r, b), BLACK)
            draw.rectangle((x0 + l, 28 + t, x0 + r, 28 + b), WHITE)
        if not filling:
            l, t, r, b = FILL
            for y in range(t, b + 1):
                for x in range(l, r + 1):
                    if (x + y) % 2:
                        image.putpixel((x0 + x, 28 + y), BLACK)
                        image.putpixel((x0 + x, y), FACE)
        # The transparent swatch stands over the two others.
        l, t, r, b = TRANSPARENT
        draw.rectangle((x0 + l, 28 + t, x0 + r, 28 + b), WHITE)
        colour.rectangle((x0 + l, t, x0 + r, b), BLACK)
    return image


def no_transparent():
    image = Image.new("RGB", (18, 20), FACE)
    draw = ImageDraw.Draw(image)
    draw.rectangle((1, 1, 16, 18), WHITE, outline=GREY)
    draw.line((3, 3, 14, 16), (255, 0, 0), 2)
    draw.line((14, 3, 3, 16), (255, 0, 0), 2)
    return image


TICK = [
    "................",
    ".............##.",
    "............###.",
    "...........###..",
    "..........###...",
    ".........###....",
    ".##.....###.....",
    ".###...###......",
    "..###.###.......",
    "...#####........",
    "....###.........",
    ".....#..........",
    "................",
    "................",
]


# Where the picture of each rotation centre goes (positions 0-8, row by row).
CENTRE_GLYPHS = [(0, 0), (32, 32), (16, 0), (0, 32), (32, 16), (16, 32), (0, 16), (48, 32), (16, 16)]


def centre_glyph(image, x0, y0, position):
    draw = ImageDraw.Draw(image)
    draw.rectangle((x0, y0, x0 + 15, y0 + 15), WHITE)
    draw.rectangle((x0 + 1, y0 + 1, x0 + 14, y0 + 14), outline=BLACK)
    bx = x0 + 1 + 5 * (position % 3)
    by = y0 + 1 + 5 * (position // 3)
    draw.rectangle((bx, by, bx + 3, by + 3), BLACK)


def glyphs(old_path):
    old = Image.open(old_path).convert("RGB")
    image = Image.new("RGB", (64, 48), FACE)
    image.paste(old.crop((0, 0, 64, 16)), (0, 0))
    for y, row in enumerate(TICK):
        for x, c in enumerate(row):
            image.putpixel((48 + x, 18 + y), BLACK if c == "#" else WHITE)
    for position, (x, y) in enumerate(CENTRE_GLYPHS):
        centre_glyph(image, x, y, position)
    return image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    indicator().save(os.path.join(out, "palette_indicator.bmp"))
    no_transparent().save(os.path.join(out, "no_transparent.bmp"))
    shell = os.path.join(HERE, "..", "..", "shell", "res", "glyphs.bmp")
    glyphs(shell).save(shell if len(sys.argv) <= 1 else os.path.join(out, "glyphs.bmp"))


if __name__ == "__main__":
    main()
