#!/usr/bin/env bash
# Frames saved as bitmap files at every depth, as other programs read them:
# the headers by their layout, the pixels by python PIL and ImageMagick alike.
# Usage: single_images.sh SaveSingleImages.exe
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$ZELVO_WINE" "$exe" . </dev/null
for bits in 1 4 8 16 24 32; do
  f="$work/d$bits.bmp"
  [ -f "$f" ] || { echo "d$bits.bmp was not written"; ls -la "$work"; exit 1; }
  identify -verbose "$f" > "$work/id$bits.txt"
  grep -q "Geometry: 13x7+0+0" "$work/id$bits.txt" || { echo "identify d$bits.bmp:"; head -20 "$work/id$bits.txt"; exit 1; }
  convert "$f" -alpha off -depth 8 "rgb:$work/im$bits.rgb"
done
/usr/bin/python3 - "$work" <<'PY'
import struct, sys
from PIL import Image
work = sys.argv[1]
WHITE, BLACK, RED = (255, 255, 255), (0, 0, 0), (255, 0, 0)
for bits in (1, 4, 8, 16, 24, 32):
    path = f"{work}/d{bits}.bmp"
    data = open(path, "rb").read()
    bfType, bfSize, _, _, bfOffBits = struct.unpack_from("<2sIHHI", data, 0)
    (biSize, width, height, planes, bitCount, compression, sizeImage, _, _, clrUsed, _) = \
        struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert bfType == b"BM", bits
    assert bfSize == len(data), (bits, bfSize, len(data))
    assert (biSize, width, height, planes, bitCount) == (40, 13, 7, 1, bits), (bits, width, height, bitCount)
    table = 4 << bits if bits <= 8 else 0
    masks = 12 if bits == 16 else 0
    assert bfOffBits == 14 + 40 + table + masks, (bits, bfOffBits)
    assert clrUsed == (1 << bits if bits <= 8 else 0), (bits, clrUsed)
    stride = (13 * bits + 31) // 32 * 4
    assert len(data) - bfOffBits == stride * 7, (bits, len(data) - bfOffBits)
    if bits == 16:
        assert compression == 3, compression
        assert struct.unpack_from("<III", data, 54) == (0x7C00, 0x3E0, 0x1F), struct.unpack_from("<III", data, 54)
    else:
        assert compression == 0, (bits, compression)
    image = Image.open(path)
    image.load()
    rgb = image.convert("RGB")
    assert rgb.size == (13, 7), rgb.size
    right = BLACK if bits == 1 else RED
    for x in range(13):
        assert rgb.getpixel((x, 0)) == WHITE, (bits, x, rgb.getpixel((x, 0)))
        for y in range(1, 7):
            want = BLACK if x < 4 else WHITE if x < 9 else right
            assert rgb.getpixel((x, y)) == want, (bits, x, y, rgb.getpixel((x, y)), want)
    magick = open(f"{work}/im{bits}.rgb", "rb").read()
    assert magick == rgb.tobytes(), f"ImageMagick and PIL differ at {bits} bits"
    print(f"{bits} bits: header, PIL and ImageMagick agree")
PY
