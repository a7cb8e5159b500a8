#!/usr/bin/env python3
"""Draws RunZelvo's pictures at build time: the program icon (101), the about
box's turtle sprite (102), its five star frames (104) and its picture (105).

    make_pictures.py OUTPUT_FOLDER

Every picture is drawn from a few shapes, so the build needs nothing but
Python; the files are plain 24-bit bitmaps and a 32-bit icon.
"""
import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)  # the sprite's transparent colour


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


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def turtle(u, v):
    """The turtle seen from the side in a unit square (u right, v down);
    None where it is not."""
    # Shell: the upper half of an ellipse standing on v = 0.72.
    sx, sy = (u - 0.45) / 0.36, (v - 0.72) / 0.42
    if v <= 0.72 and sx * sx + sy * sy <= 1.0:
        rim = sx * sx + sy * sy > 0.72
        # A few plates: lines through the shell.
        plate = abs(math.sin(sx * 4.2)) < 0.18 or abs(v - 0.52) < 0.035
        if rim:
            return (28, 96, 44)
        return (36, 120, 54) if plate else (70, 168, 72)
    # Head and eye.
    hx, hy = (u - 0.86) / 0.11, (v - 0.56) / 0.1
    if hx * hx + hy * hy <= 1.0:
        if abs(u - 0.89) < 0.035 and abs(v - 0.53) < 0.035:
            return (0, 0, 0)
        return (146, 196, 104)
    # Neck.
    if 0.74 <= u <= 0.84 and 0.56 <= v <= 0.72:
        return (146, 196, 104)
    # Legs and tail.
    for lx in (0.2, 0.62):
        if lx <= u <= lx + 0.12 and 0.72 < v <= 0.9:
            return (120, 176, 92)
    if 0.03 <= u <= 0.1 and 0.64 <= v <= 0.7:
        return (120, 176, 92)
    return None


def sprite_pixel(x, y):
    c = turtle((x + 0.5) / 26, (y + 0.5) / 26)
    return c if c else MAGENTA


STAR_ARMS = (1, 2, 4, 5, 6)


def star_pixel(x, y):
    frame, fx = divmod(x, 15)
    dx, dy = fx - 7, y - 6
    arm = STAR_ARMS[frame]
    if dx == 0 and dy == 0:
        return (255, 255, 255)
    if (dx == 0 and abs(dy) <= arm) or (dy == 0 and abs(dx) <= arm):
        fade = max(abs(dx), abs(dy)) / (arm + 1)
        return mix((255, 255, 220), (40, 40, 60), fade)
    if frame >= 3 and abs(dx) == abs(dy) and abs(dx) <= frame - 2:
        return (160, 160, 200)
    return (0, 0, 0)


GROUND = 226  # the turtle lands here


def fixed_stars(count=45):
    """Faint stars painted into the sky, from a small fixed generator."""
    state, stars = 12345, set()
    while len(stars) < count:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        x = state % 330
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        stars.add((x, state % 190))
    return stars


FIXED_STARS = fixed_stars()


def picture_pixel(x, y):
    # Night sky over a hill, a moon, a few fixed stars.
    if y >= GROUND - int(6 * math.sin(x / 330 * math.pi)):
        return mix((40, 110, 50), (14, 52, 24), (y - GROUND + 8) / 20)
    sky = mix((8, 12, 42), (70, 36, 96), y / GROUND)
    mx, my = x - 272, y - 54
    d = math.hypot(mx, my)
    if d <= 22:
        shade = math.hypot(mx + 8, my - 6) < 20
        return (236, 232, 196) if not shade else (214, 208, 170)
    if d <= 30:
        return mix((120, 110, 140), sky, (d - 22) / 8)
    if (x, y) in FIXED_STARS:
        return (200, 200, 220)
    return sky


def write_icon(path, size=32):
    """A 32-bit icon of the turtle with its AND mask."""
    colour = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray(mask_stride * size)
    for row in range(size):
        y = size - 1 - row  # bottom-up
        for x in range(size):
            c = turtle((x + 0.5) / size, (y + 0.5) / size * 0.9 + 0.05)
            if c:
                colour += bytes((c[2], c[1], c[0], 255))
            else:
                colour += bytes((0, 0, 0, 0))
                mask[row * mask_stride + x // 8] |= 0x80 >> (x % 8)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = info + colour + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(directory + entry + image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, 'about_sprite.bmp'), 26, 26, sprite_pixel)
    write_bmp(os.path.join(out, 'about_stars.bmp'), 15 * 5, 13, star_pixel)
    write_bmp(os.path.join(out, 'about_picture.bmp'), 330, 238, picture_pixel)
    write_icon(os.path.join(out, 'runzelvo.ico'))


if __name__ == '__main__':
    main()
