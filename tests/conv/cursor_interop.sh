#!/usr/bin/env bash
# Holds the library's icons, cursors and animated cursors against icotool
# and ImageMagick: files it writes are listed and extracted by icotool with
# the same pixels it reads back; icons icotool and ImageMagick make are read
# with their pixels; a written animated cursor equals, byte for byte, the
# file a Python script builds from the cycle and the frames' cursor files.
set -euo pipefail
TOOL=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$(dirname "$TOOL")/ZelvoConv32.dll" "$(dirname "$TOOL")/ijl11.dll" "$TOOL" "$work/"
cd "$work"
fail() { echo "$*"; exit 1; }
run() { "$ZELVO_WINE" ./CursorTool.exe "$@" | tr -d '\r'; }
PY=/usr/bin/python3
# Pixels of two pictures equal where the second is opaque (a PNG's alpha).
same_pixels() {
  "$PY" - "$1" "$2" <<'PYEOF' || fail "pixels of $1 and $2 differ"
import sys
from PIL import Image
a = Image.open(sys.argv[1]).convert('RGB')
b = Image.open(sys.argv[2]).convert('RGBA')
assert a.size == b.size, (a.size, b.size)
bad = [(x, y) for y in range(a.size[1]) for x in range(a.size[0])
       if b.getpixel((x, y))[3] >= 128 and a.getpixel((x, y)) != b.getpixel((x, y))[:3]]
assert not bad, bad[:5]
PYEOF
}

# 1. Icons and cursors the library writes, as icotool sees them.
for bits in 4 8; do
  run write "icon$bits.ico" "$bits" || fail "write icon $bits"
  list=$(icotool -l "icon$bits.ico")
  grep -q -- "--icon --index=1 --width=32 --height=32 --bit-depth=$bits" <<<"$list" || fail "icotool: $list"
  icotool -x -o "icon$bits.png" "icon$bits.ico"
  run read "icon$bits.ico" "back$bits" | grep "result=1 frames=1" >/dev/null || fail "read icon $bits"
  same_pixels "back$bits.0.ppm" "icon$bits.png"
done
run write arrow.CUR 4 || fail "write cursor"
list=$(icotool -l arrow.CUR)
grep -q -- "--cursor --index=1 --width=32 --height=32 --bit-depth=4" <<<"$list" || fail "icotool: $list"
grep -q -- "--hotspot-x=1 --hotspot-y=2" <<<"$list" || fail "icotool: $list"

# 2. Icons made by icotool (two sizes, 32-bit with alpha) and by ImageMagick (16 colours).
"$PY" - <<'PYEOF'
from PIL import Image
for size in (16, 48):
    im = Image.new('RGBA', (size, size))
    for y in range(size):
        for x in range(size):
            im.putpixel((x, y), ((x * 5) % 256, (y * 7) % 256, (x * y) % 256, 0 if (x + y) % 5 == 0 else 255))
    im.save('made%d.png' % size)
im = Image.new('RGB', (32, 32))
for y in range(32):
    for x in range(32):
        im.putpixel((x, y), [(255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 0)][(x // 8 + y // 8) % 4])
im.save('four.png')
PYEOF
icotool -c -o made.ico made16.png made48.png
out=$(run read made.ico fromicotool)
grep -q "frame=0 size=48x48 " <<<"$out" || fail "icotool's icon: $out"
same_pixels fromicotool.0.ppm made48.png
convert four.png -colors 16 magick.ico
out=$(run read magick.ico frommagick)
grep -q "result=1 frames=1" <<<"$out" || fail "ImageMagick's icon: $out"
same_pixels frommagick.0.ppm four.png

# 3. An animated cursor, byte for byte, and read back.
run write-ani walk.ani 4 || fail "write-ani"
"$PY" - <<'PYEOF'
import struct
def chunk(cid, data):
    return cid + struct.pack('<I', len(data)) + data + (b'\0' if len(data) % 2 else b'')
icons = [open('walk.ani.%d.cur' % i, 'rb').read() for i in range(3)]
anih = struct.pack('<9I', 36, 3, 4, 32, 32, 0, 0, 5, 3)
rate = struct.pack('<4I', 5, 10, 15, 20)
seq = struct.pack('<4I', 0, 2, 1, 2)
info = chunk(b'LIST', b'INFO' + chunk(b'INAM', b'Ti\0') + chunk(b'IART', b'Auth\0'))
fram = chunk(b'LIST', b'fram' + b''.join(chunk(b'icon', i) for i in icons))
body = b'ACON' + chunk(b'anih', anih) + chunk(b'rate', rate) + chunk(b'seq ', seq) + info + fram
expected = chunk(b'RIFF', body)
got = open('walk.ani', 'rb').read()
assert got == expected, 'walk.ani differs from the expectation at byte %d' % next(
    (i for i in range(min(len(got), len(expected))) if got[i] != expected[i]), min(len(got), len(expected)))
PYEOF
out=$(run read walk.ani walk)
grep -q "result=1 frames=3" <<<"$out" || fail "read walk.ani: $out"
grep -q "frame=2 size=32x32 bits=4 hotspot=3,4" <<<"$out" || fail "hotspots: $out"
grep -q "title=Ti author=Auth steps=4 0/5 2/10 1/15 2/20" <<<"$out" || fail "cycle: $out"
for i in 0 1 2; do
  icotool -x -o "cur$i.png" "walk.ani.$i.cur"
  same_pixels "walk.$i.ppm" "cur$i.png"
done
echo "cursor interop: all checks passed"
