"""The 16 standard colours and the 4-bit BMP writer shared by the scripts
that draw the editor's button faces and tool strips (this folder's
make_tool_pictures.py, ../../compose/res/make_compose_pictures.py)."""
import struct

BLACK = (0, 0, 0)
MAROON = (128, 0, 0)
GREEN = (0, 128, 0)
OLIVE = (128, 128, 0)
NAVY = (0, 0, 128)
PURPLE = (128, 0, 128)
TEAL = (0, 128, 128)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
RED = (255, 0, 0)
LIME = (0, 255, 0)
YELLOW = (255, 255, 0)
BLUE = (0, 0, 255)
FUCHSIA = (255, 0, 255)
AQUA = (0, 255, 255)
WHITE = (255, 255, 255)
PALETTE = [BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
           GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE]


def write_bmp4(path, image):
    """A bottom-up 4-bit BMP with the 16 standard colours."""
    width, height = image.size
    pixels = image.load()
    stride = ((width + 1) // 2 + 3) & ~3
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(0, width, 2):
            high = PALETTE.index(pixels[x, y])
            low = PALETTE.index(pixels[x + 1, y]) if x + 1 < width else 0
            row.append(high << 4 | low)
        row += bytes(stride - len(row))
        rows += row
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(colours)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(rows), 2835, 2835, 16, 16)
    with open(path, 'wb') as f:
        f.write(header + info + colours + rows)
