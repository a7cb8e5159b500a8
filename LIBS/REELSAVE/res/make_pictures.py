#!/usr/bin/python3
"""Draws ZelvoSave's pictures: the program icon (100) and the tick boxes of
the animation list (101). The results are checked in beside this script;
run it again after changing a drawing:

    /usr/bin/python3 make_pictures.py [OUTPUT_FOLDER]

ticks.bmp is 32 by 24: the unchecked box at x 0 and the checked box at x 16
in the top 12 rows, and below them the mask of each (black where the box is
drawn, white where the list's background shows through; the picture itself
is black there, so that SRCAND then SRCPAINT draws it on any background).
"""
import os
import struct
import sys

from PIL import Image, ImageDraw

BOX = 16, 12


def tick_boxes():
    picture = Image.new('RGB', (2 * BOX[0], 2 * BOX[1]), (0, 0, 0))
    mask = Image.new('RGB', picture.size, (255, 255, 255))
    pd, md = ImageDraw.Draw(picture), ImageDraw.Draw(mask)
    for column, checked in ((0, False), (BOX[0], True)):
        box = (column + 2, 0, column + 13, 11)
        pd.rectangle(box, fill=(255, 255, 255), outline=(64, 64, 64))
        md.rectangle(box, fill=(0, 0, 0))
        if checked:
            tick = [(column + 4, 5), (column + 6, 8), (column + 11, 2)]
            pd.line(tick, fill=(0, 128, 0), width=2)
    result = Image.new('RGB', picture.size)
    result.paste(picture.crop((0, 0, 2 * BOX[0], BOX[1])), (0, 0))
    result.paste(mask.crop((0, 0, 2 * BOX[0], BOX[1])), (0, BOX[1]))
    return result


def icon_picture(size):
    """A dark screen with a turtle-green disc rising like a sun."""
    image = Image.new('RGBA', (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    s = size / 32.0
    d.rectangle((1 * s, 3 * s, 31 * s - 1, 25 * s), fill=(16, 24, 64, 255), outline=(160, 160, 160, 255))
    d.ellipse((9 * s, 8 * s, 23 * s, 22 * s), fill=(60, 170, 60, 255), outline=(20, 90, 20, 255))
    d.ellipse((13 * s, 12 * s, 19 * s, 18 * s), fill=(240, 192, 32, 255))
    d.rectangle((12 * s, 25 * s, 20 * s, 28 * s), fill=(128, 128, 128, 255))
    d.rectangle((7 * s, 28 * s, 25 * s, 30 * s), fill=(96, 96, 96, 255))
    return image


def write_icon(path, images):
    """An icon file of 32-bit BMP entries (with an AND mask), which every
    version of the system reads, unlike PNG entries."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for image in images:
        w, h = image.size
        rows = b''.join(bytes(image.getpixel((x, y))[i] for x in range(w) for i in (2, 1, 0, 3))
                        for y in range(h - 1, -1, -1))
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(w):
                if image.getpixel((x, y))[3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        header = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
        blob = header + rows + bytes(mask)
        entries.append(struct.pack('<BBBBHHII', w, h, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    tick_boxes().save(os.path.join(out, 'ticks.bmp'))
    write_icon(os.path.join(out, 'zelvosave.ico'), [icon_picture(16), icon_picture(32)])


if __name__ == '__main__':
    main()
