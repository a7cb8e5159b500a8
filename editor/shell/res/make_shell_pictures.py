#!/usr/bin/python3
"""Draws the bitmaps of the editor's film strip, about box and print dialog.
The results are checked in beside this script; run it again after a change:

    /usr/bin/python3 editor/shell/res/make_shell_pictures.py editor/shell/res

- sprockets.bmp (935): 60 x 10, 8 bits: the sprocket band of "FILMSTRIP" and
  "PRINTFILM"; the holes repeat every 12 pixels, the top band shows rows 2-9
  and the bottom band rows 0-7, so the holes sit near the film's outer edges.
- orientation.bmp (933): 64 x 32: a portrait page (left half) and a
  landscape page (right half) for the print dialog.
- about.bmp (937): 330 x 238, 8 bits: the about and start-up box's picture.
- ball.bmp (938): 26 x 26: the bouncing ball on white; the about box makes
  its mask from the white.
- stars.bmp (920): 75 x 13: five star frames of 15 x 13, on black (the box
  adds their light to the sky).

Needs Pillow (Debian's python3-pil); everything is drawn from shapes and the
built-in bitmap font, so the output does not depend on installed fonts.
"""
import math
import os
import sys

from PIL import Image, ImageDraw, ImageFont


def save_8bit(image, path, palette_from=None):
    image = image.convert('RGB')
    if palette_from is None:
        image = image.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    else:
        image = image.quantize(palette=palette_from, dither=Image.Dither.NONE)
    image.save(path)


def save_sharing_palette(images, folder):
    """The about box draws its ball and stars into its picture with raster
    operations, which work on palette indexes in a palette bitmap: the three
    share one palette with black at index 0 and white at index 255, as the
    system palette has them, so that OR with black and AND with white keep a
    pixel."""
    width = sum(image.width for image, _ in images)
    height = max(image.height for image, _ in images)
    sheet = Image.new('RGB', (width, height))
    x = 0
    for image, _ in images:
        sheet.paste(image, (x, 0))
        x += image.width
    quantized = sheet.quantize(colors=254, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    entries = quantized.getpalette()[:254 * 3]
    colours = [tuple(entries[i:i + 3]) for i in range(0, len(entries), 3)]
    colours = [c for c in colours if c not in ((0, 0, 0), (255, 255, 255))]
    colours += [(0, 0, 0)] * (254 - len(colours))
    ordered = [(0, 0, 0)] + colours[:254] + [(255, 255, 255)]
    palette = Image.new('P', (1, 1))
    palette.putpalette([v for c in ordered for v in c])
    for image, name in images:
        save_8bit(image, os.path.join(folder, name), palette)


def sprockets():
    image = Image.new('RGB', (60, 10), (16, 16, 16))
    draw = ImageDraw.Draw(image)
    for x0 in range(0, 60, 12):
        draw.rounded_rectangle((x0 + 3, 3, x0 + 8, 6), radius=1, fill=(232, 232, 224))
    return image


def page_icon(draw, left, top, width, height):
    right, bottom = left + width - 1, top + height - 1
    draw.polygon([(left + 1, top + 1), (right - 5, top + 1), (right - 1, top + 5), (right - 1, bottom - 1),
                  (left + 1, bottom - 1)], fill=(255, 255, 255), outline=(0, 0, 0))
    draw.line([(right - 5, top + 1), (right - 5, top + 5), (right - 1, top + 5)], fill=(0, 0, 0))
    for y in range(top + 8, bottom - 3, 3):
        draw.line([(left + 4, y), (right - 4, y)], fill=(0, 0, 160))


def orientation():
    image = Image.new('RGB', (64, 32), (192, 192, 192))
    draw = ImageDraw.Draw(image)
    page_icon(draw, 7, 2, 20, 28)    # portrait
    page_icon(draw, 34, 7, 28, 20)   # landscape
    return image


def big_text(image, text, left, top, scale, colour, shadow):
    font = ImageFont.load_default()
    box = font.getbbox(text)
    small = Image.new('L', (box[2] + 1, box[3] + 1), 0)
    ImageDraw.Draw(small).text((0, 0), text, font=font, fill=255)
    mask = small.resize((small.width * scale, small.height * scale), Image.NEAREST)
    if shadow:
        image.paste(shadow, (left + scale, top + scale), mask)
    image.paste(colour, (left, top), mask)


def turtle_colour(u, v):
    """A turtle seen from the side in a unit square (u right, v down)."""
    sx, sy = (u - 0.45) / 0.36, (v - 0.72) / 0.42
    if v <= 0.72 and sx * sx + sy * sy <= 1.0:
        if sx * sx + sy * sy > 0.72:
            return (28, 96, 44)
        plate = abs(math.sin(sx * 4.2)) < 0.18 or abs(v - 0.52) < 0.035
        return (36, 120, 54) if plate else (70, 168, 72)
    hx, hy = (u - 0.86) / 0.11, (v - 0.56) / 0.1
    if hx * hx + hy * hy <= 1.0:
        return (0, 0, 0) if abs(u - 0.89) < 0.035 and abs(v - 0.53) < 0.035 else (146, 196, 104)
    if 0.74 <= u <= 0.84 and 0.56 <= v <= 0.72:
        return (146, 196, 104)
    for lx in (0.2, 0.62):
        if lx <= u <= lx + 0.12 and 0.72 < v <= 0.9:
            return (120, 176, 92)
    return None


def about():
    width, height, ground = 330, 238, 186
    image = Image.new('RGB', (width, height))
    pixels = image.load()
    for y in range(height):
        for x in range(width):
            if y < ground:
                t = y / ground
                pixels[x, y] = (int(8 + 40 * t), int(12 + 50 * t), int(60 + 100 * t))
            else:
                t = (y - ground) / (height - ground)
                pixels[x, y] = (int(92 - 30 * t), int(70 - 20 * t), int(40 - 10 * t))
    draw = ImageDraw.Draw(image)
    # A few fixed stars; the twinkling ones are drawn by the box.
    for x, y in ((12, 10), (64, 14), (150, 8), (180, 30), (250, 12), (305, 22), (318, 60), (118, 84), (296, 118)):
        draw.point((x, y), fill=(230, 230, 200))
    draw.ellipse((286, 66, 312, 92), fill=(236, 232, 196))
    draw.ellipse((293, 62, 319, 88), fill=pixels[319, 62])
    draw.line([(0, ground), (width, ground)], fill=(40, 30, 20))
    # The ball lands on a small stone slab at x 34..60.
    draw.rectangle((28, ground, 66, ground + 5), fill=(120, 120, 128), outline=(60, 60, 64))
    # The turtle walks on the ground.
    for y in range(48):
        for x in range(56):
            c = turtle_colour((x + 0.5) / 56, (y + 0.5) / 48)
            if c:
                pixels[200 + x, ground - 40 + y] = c
    big_text(image, "Zelvo", 96, 104, 6, (255, 214, 64), (120, 60, 0))
    big_text(image, "Version 3.5", 100, 196, 2, (255, 255, 255), None)
    big_text(image, "Sprite animation editor", 100, 216, 1, (230, 230, 230), None)
    return image


def ball():
    image = Image.new('RGB', (26, 26), (255, 255, 255))
    pixels = image.load()
    for y in range(26):
        for x in range(26):
            dx, dy = (x + 0.5 - 13) / 12.5, (y + 0.5 - 13) / 12.5
            r2 = dx * dx + dy * dy
            if r2 > 1.0:
                continue
            angle = math.atan2(dy, dx)
            red = int((angle + math.pi) / (math.pi / 3)) % 2 == 0
            base = (220, 30, 30) if red else (250, 240, 230)
            light = max(0.35, 1.0 - 0.6 * ((dx + 0.4) ** 2 + (dy + 0.4) ** 2))
            colour = tuple(min(254, int(c * light)) for c in base)
            pixels[x, y] = colour
    return image


def stars():
    image = Image.new('RGB', (75, 13), (0, 0, 0))
    draw = ImageDraw.Draw(image)
    for frame in range(5):
        cx, cy = frame * 15 + 7, 6
        arm = 1 + frame * 1.3
        glow = 120 + frame * 33
        draw.line([(cx - arm, cy), (cx + arm, cy)], fill=(glow, glow, glow // 2 + 100))
        draw.line([(cx, cy - arm), (cx, cy + arm)], fill=(glow, glow, glow // 2 + 100))
        if frame >= 2:
            d = arm * 0.5
            draw.line([(cx - d, cy - d), (cx + d, cy + d)], fill=(glow // 2, glow // 2, glow // 3))
            draw.line([(cx - d, cy + d), (cx + d, cy - d)], fill=(glow // 2, glow // 2, glow // 3))
        draw.point((cx, cy), fill=(255, 255, 255))
    return image


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    save_8bit(sprockets(), os.path.join(folder, 'sprockets.bmp'))
    save_8bit(orientation(), os.path.join(folder, 'orientation.bmp'))
    save_sharing_palette([(about(), 'about.bmp'), (ball(), 'ball.bmp'), (stars(), 'stars.bmp')], folder)


if __name__ == '__main__':
    main()
