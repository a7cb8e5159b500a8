#!/usr/bin/python3
"""Draws the tool bars' button faces (bitmaps 101-166, 22 x 22), the selector
bitmap (908, 112 x 48) and the transform tools (909, 304 x 56) of the editor.

    /usr/bin/python3 make_tool_pictures.py OUTPUT_FOLDER

Every picture is drawn with PIL in the 16 standard colours and written as a
4-bit BMP; light grey RGB(192,192,192) is the faces' transparent colour. The
results are checked in beside this script; run it again after a change.
"""
import os
import sys

from PIL import Image, ImageDraw

from standard_colours import *  # noqa: E402,F401,F403 (the 16 colours and write_bmp4)

FACE = 22


def canvas(width=FACE, height=FACE, colour=SILVER):
    image = Image.new('RGB', (width, height), colour)
    return image, ImageDraw.Draw(image)


def dashed_rectangle(d, box, colour=BLACK):
    x1, y1, x2, y2 = box
    for x in range(x1, x2 + 1):
        if (x - x1) % 2 == 0:
            d.point((x, y1), colour)
            d.point((x, y2), colour)
    for y in range(y1, y2 + 1):
        if (y - y1) % 2 == 0:
            d.point((x1, y), colour)
            d.point((x2, y), colour)


def dashed_polygon(d, points, colour=BLACK):
    closed = points + [points[0]]
    step = 0
    for (x1, y1), (x2, y2) in zip(closed, closed[1:]):
        n = max(abs(x2 - x1), abs(y2 - y1))
        for i in range(n):
            if step % 2 == 0:
                d.point((x1 + (x2 - x1) * i // n, y1 + (y2 - y1) * i // n), colour)
            step += 1


# Digits of three by five pixels for the zoom buttons.
DIGITS = {
    '1': ['.#.', '##.', '.#.', '.#.', '###'],
    '2': ['##.', '..#', '.#.', '#..', '###'],
    '4': ['#.#', '#.#', '###', '..#', '..#'],
    '8': ['###', '#.#', '###', '#.#', '###'],
}


def digit(d, x, y, ch, colour=BLACK):
    for row, line in enumerate(DIGITS[ch]):
        for column, mark in enumerate(line):
            if mark == '#':
                d.point((x + column, y + row), colour)


# ---- faces: each draws the enabled look into a 22 x 22 silver square -------------

def face_new(d):
    d.polygon([(5, 2), (13, 2), (17, 6), (17, 19), (5, 19)], fill=WHITE, outline=BLACK)
    d.line([(13, 2), (13, 6), (17, 6)], BLACK)
    d.line([(14, 3), (16, 5)], GREY)


def face_open(d):
    d.polygon([(2, 6), (7, 6), (9, 8), (16, 8), (16, 18), (2, 18)], fill=YELLOW, outline=OLIVE)
    d.polygon([(5, 11), (20, 11), (17, 18), (2, 18)], fill=OLIVE, outline=BLACK)
    d.line([(13, 3), (16, 3), (18, 5)], BLACK)
    d.polygon([(18, 5), (20, 5), (18, 7)], fill=BLACK)


def face_film(d, x=2, y=4, w=13, h=13):
    d.rectangle((x, y, x + w, y + h), fill=BLACK)
    d.rectangle((x + 3, y + 2, x + w - 3, y + h - 2), fill=AQUA)
    for hole in range(y + 1, y + h, 3):
        d.point((x + 1, hole), WHITE)
        d.point((x + w - 1, hole), WHITE)


def face_add_frames(d):
    face_film(d)
    d.rectangle((15, 13, 20, 14), fill=GREEN)
    d.rectangle((17, 11, 18, 16), fill=GREEN)


def face_save(d):
    d.rectangle((3, 3, 18, 18), fill=NAVY, outline=BLACK)
    d.rectangle((6, 3, 15, 9), fill=WHITE, outline=BLACK)
    d.rectangle((6, 13, 15, 18), fill=SILVER, outline=BLACK)
    d.rectangle((12, 14, 13, 17), fill=NAVY)


def face_print(d):
    d.rectangle((6, 2, 15, 9), fill=WHITE, outline=BLACK)
    d.rectangle((2, 9, 19, 16), fill=SILVER, outline=BLACK)
    d.line([(3, 10), (18, 10)], WHITE)
    d.rectangle((5, 14, 16, 19), fill=WHITE, outline=BLACK)
    d.point((16, 12), LIME)


def face_cut(d):
    d.line([(7, 2), (13, 12)], BLACK)
    d.line([(14, 2), (8, 12)], BLACK)
    d.line([(8, 2), (14, 12)], GREY)
    d.line([(13, 2), (7, 12)], GREY)
    d.ellipse((3, 12, 9, 18), outline=NAVY)
    d.ellipse((12, 12, 18, 18), outline=NAVY)


def face_copy(d):
    for x, y in ((2, 2), (8, 7)):
        d.rectangle((x, y, x + 10, y + 12), fill=WHITE, outline=BLACK)
        for line in range(y + 3, y + 11, 2):
            d.line([(x + 2, line), (x + 8, line)], NAVY)


def face_paste(d):
    d.rectangle((3, 4, 15, 19), fill=OLIVE, outline=BLACK)
    d.rectangle((6, 2, 12, 5), fill=SILVER, outline=BLACK)
    d.rectangle((9, 8, 19, 20), fill=WHITE, outline=BLACK)
    for line in range(11, 19, 2):
        d.line([(11, line), (17, line)], NAVY)


def face_arrow(d, right):
    points = [(4, 9), (9, 4), (9, 7), (13, 7), (17, 10), (18, 15), (15, 18), (15, 13), (13, 11), (9, 11), (9, 14)]
    if right:
        points = [(21 - x, y) for x, y in points]
    d.polygon(points, fill=NAVY, outline=BLACK)


def face_step(d, forward):
    if forward:
        d.polygon([(5, 4), (14, 11), (5, 18)], fill=BLACK)
        d.rectangle((15, 4, 17, 18), fill=BLACK)
    else:
        d.polygon([(16, 4), (7, 11), (16, 18)], fill=BLACK)
        d.rectangle((4, 4, 6, 18), fill=BLACK)


def face_grid(d):
    d.rectangle((2, 2, 19, 19), fill=WHITE, outline=BLACK)
    for at in (6, 10, 14):
        d.line([(at, 3), (at, 18)], GREY)
        d.line([(3, at), (18, at)], GREY)
    d.rectangle((7, 7, 9, 9), fill=BLUE)


def face_onion(d):
    d.rectangle((2, 2, 13, 13), fill=WHITE, outline=GREY)
    d.ellipse((4, 4, 10, 10), outline=GREY)
    d.rectangle((8, 8, 19, 19), fill=WHITE, outline=BLACK)
    d.ellipse((11, 11, 17, 17), fill=RED, outline=BLACK)


def face_zoom_film(d):
    face_film(d, 5, 5, 11, 11)
    d.line([(1, 10), (4, 10)], BLACK)
    d.polygon([(1, 10), (3, 8), (3, 12)], fill=BLACK)
    d.line([(17, 10), (20, 10)], BLACK)
    d.polygon([(20, 10), (18, 8), (18, 12)], fill=BLACK)


def face_run(d):
    d.polygon([(5, 3), (17, 11), (5, 19)], fill=LIME, outline=GREEN)
    d.line([(6, 5), (6, 17)], WHITE)


def face_zoom(d, label):
    d.ellipse((2, 2, 14, 14), fill=WHITE, outline=BLACK)
    d.line([(13, 13), (19, 19)], BLACK, width=3)
    digit(d, 7, 6, label, NAVY)


def face_freehand(d):
    d.line([(3, 17), (5, 14), (8, 16), (10, 13)], BLACK)
    d.polygon([(10, 11), (17, 4), (20, 7), (13, 14)], fill=YELLOW, outline=BLACK)
    d.polygon([(10, 11), (13, 14), (9, 15)], fill=WHITE, outline=BLACK)


def face_line(d):
    d.line([(3, 18), (18, 3)], BLACK, width=2)


def face_rectangle(d):
    d.rectangle((3, 5, 18, 16), outline=BLACK)
    d.rectangle((4, 6, 17, 15), outline=BLACK)


def face_ellipse(d):
    d.ellipse((2, 4, 19, 17), outline=BLACK, width=2)


def face_arc(d):
    d.arc((3, 3, 26, 26), 180, 270, BLACK, width=2)


def face_polygon(d):
    d.polygon([(3, 9), (10, 3), (18, 7), (15, 18), (6, 16)], outline=BLACK)
    d.polygon([(4, 9), (10, 4), (17, 7), (14, 17), (6, 15)], outline=BLACK)


def face_fill(d):
    d.polygon([(3, 9), (10, 2), (17, 9), (10, 16)], fill=WHITE, outline=BLACK)
    d.line([(4, 9), (16, 9)], GREY)
    d.polygon([(17, 9), (19, 12), (19, 17), (17, 19), (16, 15)], fill=BLUE)
    d.line([(10, 2), (10, 8)], BLACK)


def face_spray(d):
    d.rectangle((3, 9, 9, 19), fill=RED, outline=BLACK)
    d.rectangle((5, 6, 7, 8), fill=SILVER, outline=BLACK)
    for x, y in ((12, 4), (15, 6), (13, 8), (17, 3), (18, 8), (16, 10), (12, 11), (19, 5), (14, 2)):
        d.point((x, y), BLACK)


def face_text(d):
    d.polygon([(10, 2), (12, 2), (18, 19), (15, 19), (13, 14), (9, 14), (7, 19), (4, 19)], fill=BLACK)
    d.polygon([(10, 11), (12, 11), (11, 7)], fill=SILVER)


def face_eyedropper(d):
    d.line([(3, 18), (11, 10)], BLACK, width=2)
    d.polygon([(10, 8), (14, 12), (12, 14), (8, 10)], fill=GREY, outline=BLACK)
    d.ellipse((13, 3, 19, 9), fill=BLACK)
    d.point((4, 17), RED)


def face_select_rectangle(d):
    dashed_rectangle(d, (3, 4, 18, 17))


def face_select_polygon(d):
    dashed_polygon(d, [(3, 10), (9, 3), (18, 6), (15, 18), (5, 16)])


def face_stretch(d):
    dashed_rectangle(d, (2, 2, 12, 12))
    d.rectangle((8, 8, 19, 19), outline=BLACK)
    d.line([(12, 12), (17, 17)], BLUE)
    d.polygon([(17, 17), (14, 17), (17, 14)], fill=BLUE)


def disabled(enabled):
    """The grey, embossed look of a disabled button: every dark mark of the
    face becomes grey over a white copy one pixel lower right."""
    image, d = canvas()
    source = enabled.load()
    marks = [(x, y) for y in range(FACE) for x in range(FACE) if source[x, y] not in (SILVER, WHITE, YELLOW, AQUA)]
    for x, y in marks:
        if x + 1 < FACE and y + 1 < FACE:
            d.point((x + 1, y + 1), WHITE)
    for x, y in marks:
        d.point((x, y), GREY)
    return image


# id of the enabled face: (drawing, id of the disabled face or None)
FACES = {
    104: (face_new, None),
    103: (face_open, None),
    163: (face_add_frames, 164),
    102: (face_save, 101),
    161: (face_print, 162),
    123: (face_cut, 124),
    130: (face_copy, 122),
    125: (face_paste, 126),
    129: (lambda d: face_arrow(d, False), 121),
    127: (lambda d: face_arrow(d, True), 128),
    111: (lambda d: face_step(d, False), 112),
    109: (lambda d: face_step(d, True), 110),
    150: (face_grid, 151),
    154: (face_onion, 132),
    153: (face_zoom_film, 152),
    165: (face_run, 166),
    113: (lambda d: face_zoom(d, '1'), 114),
    115: (lambda d: face_zoom(d, '2'), 116),
    117: (lambda d: face_zoom(d, '4'), 118),
    119: (lambda d: face_zoom(d, '8'), 120),
    108: (face_freehand, 107),
    106: (face_line, 105),
    142: (face_rectangle, 143),
    149: (face_ellipse, 133),
    134: (face_arc, 135),
    138: (face_polygon, 139),
    144: (face_fill, 145),
    148: (face_spray, 155),
    157: (face_text, 156),
    136: (face_eyedropper, 137),
    146: (face_select_rectangle, 147),
    140: (face_select_polygon, 141),
    159: (face_stretch, 158),
}


# ---- the selector bitmap (908) ----------------------------------------------------------

def bevel(d, box, light, dark):
    x1, y1, x2, y2 = box
    d.line([(x1, y2), (x1, y1), (x2, y1)], light)
    d.line([(x2, y1), (x2, y2), (x1, y2)], dark)


def selector_bitmap():
    """At x 0 the face of a selector button (normal above, pressed below), at
    x 56 a popup cell; the value's sample is drawn over them by the editor."""
    image, d = canvas(112, 48)
    for pressed in (False, True):
        top = 24 if pressed else 0
        d.rectangle((0, top, 55, top + 23), outline=BLACK)
        if pressed:
            bevel(d, (1, top + 1, 54, top + 22), GREY, SILVER)
        else:
            bevel(d, (1, top + 1, 54, top + 22), WHITE, GREY)
        # The small arrow says that the button opens a choice.
        shift = 1 if pressed else 0
        d.polygon([(46 + shift, 10 + top + shift), (52 + shift, 10 + top + shift), (49 + shift, 13 + top + shift)],
                  fill=BLACK)
        cell = (56, top, 111, top + 23)
        if pressed:
            d.rectangle(cell, fill=WHITE)
            bevel(d, cell, GREY, WHITE)
            bevel(d, (57, top + 1, 110, top + 22), BLACK, SILVER)
        else:
            bevel(d, cell, WHITE, GREY)
    return image


# ---- the transform tools (909) ---------------------------------------------------------------

def transform_shape(d, kind, x, y):
    """The outline of transform kind 0..7 in the 38 x 28 cell at (x, y)."""
    if kind == 0:
        dashed_rectangle(d, (x + 9, y + 6, x + 28, y + 21))
        for cx, cy in ((9, 6), (28, 6), (28, 21), (9, 21)):
            d.rectangle((x + cx - 1, y + cy - 1, x + cx + 1, y + cy + 1), fill=BLACK)
    elif kind == 1:
        d.rectangle((x + 8, y + 5, x + 29, y + 22), outline=BLACK)
        d.line([(x + 12, y + 9), (x + 25, y + 18)], NAVY)
        d.polygon([(x + 12, y + 9), (x + 16, y + 9), (x + 12, y + 12)], fill=NAVY)
        d.polygon([(x + 25, y + 18), (x + 21, y + 18), (x + 25, y + 15)], fill=NAVY)
    elif kind == 2:
        d.polygon([(x + 13, y + 6), (x + 31, y + 6), (x + 25, y + 21), (x + 7, y + 21)], outline=BLACK)
    elif kind == 3:
        d.polygon([(x + 9, y + 4), (x + 28, y + 9), (x + 28, y + 23), (x + 9, y + 18)], outline=BLACK)
    elif kind == 4:
        d.polygon([(x + 13, y + 6), (x + 25, y + 6), (x + 31, y + 21), (x + 7, y + 21)], outline=BLACK)
    elif kind == 5:
        d.polygon([(x + 9, y + 8), (x + 28, y + 4), (x + 28, y + 23), (x + 9, y + 19)], outline=BLACK)
    elif kind == 6:
        d.ellipse((x + 5, y + 8, x + 32, y + 19), outline=BLACK)
    else:
        d.ellipse((x + 12, y + 3, x + 25, y + 24), outline=BLACK)


def transform_bitmap():
    """Eight 38 x 28 cells side by side: the normal look above, the selected
    look below."""
    image, d = canvas(304, 56)
    for kind in range(8):
        x = kind * 38
        bevel(d, (x, 0, x + 37, 27), WHITE, GREY)
        transform_shape(d, kind, x, 0)
        d.rectangle((x, 28, x + 37, 55), fill=WHITE)
        bevel(d, (x, 28, x + 37, 55), BLACK, SILVER)
        transform_shape(d, kind, x, 28)
    return image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for face_id, (draw, disabled_id) in FACES.items():
        image, d = canvas()
        draw(d)
        write_bmp4(os.path.join(out, 'face%d.bmp' % face_id), image)
        if disabled_id is not None:
            write_bmp4(os.path.join(out, 'face%d.bmp' % disabled_id), disabled(image))
    write_bmp4(os.path.join(out, 'selector.bmp'), selector_bitmap())
    write_bmp4(os.path.join(out, 'transform.bmp'), transform_bitmap())


if __name__ == '__main__':
    main()
