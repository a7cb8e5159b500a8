#!/usr/bin/python3
"""Draws the player control's icon (icon 1): a film frame on a night-blue
tile with a golden play triangle and a star, at 32 and 16 pixels.

    make_icon.py OUTPUT.ico

Run with Debian's python3 (it needs python3-pil). The result is checked in
as Res/zelvoplay.ico; a test draws it again and compares the bytes.
"""
import sys

from PIL import Image, ImageDraw

NIGHT = (16, 20, 72, 255)
FILM = (40, 40, 48, 255)
HOLE = (200, 200, 210, 255)
GOLD = (248, 200, 64, 255)
WHITE = (255, 255, 255, 255)


def draw(size):
    s = size / 32.0
    image = Image.new('RGBA', (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle([0, 0, size - 1, size - 1], radius=max(2, int(5 * s)), fill=NIGHT)
    # The film strip down the left and right edges, with its holes.
    d.rectangle([int(3 * s), int(3 * s), int(8 * s), size - 1 - int(3 * s)], fill=FILM)
    d.rectangle([size - 1 - int(8 * s), int(3 * s), size - 1 - int(3 * s), size - 1 - int(3 * s)], fill=FILM)
    for y in range(5, 28, 6):
        for x in (5, 25):
            d.rectangle([int(x * s), int(y * s), int((x + 1) * s), int((y + 2) * s)], fill=HOLE)
    # The play triangle.
    d.polygon([(int(12 * s), int(9 * s)), (int(12 * s), int(23 * s)), (int(22 * s), int(16 * s))], fill=GOLD)
    # A small star in the upper right of the frame.
    cx, cy = int(19 * s), int(7 * s)
    d.line([(cx - 1, cy), (cx + 1, cy)], fill=WHITE)
    d.line([(cx, cy - 1), (cx, cy + 1)], fill=WHITE)
    return image


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_icon.py OUTPUT.ico')
    big = draw(32)
    big.save(sys.argv[1], format='ICO', sizes=[(32, 32), (16, 16)], bitmap_format='bmp',
             append_images=[draw(16)])


if __name__ == '__main__':
    main()
