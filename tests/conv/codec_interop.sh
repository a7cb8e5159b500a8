#!/usr/bin/env bash
# Holds the still-image codecs against independent tools: files we write are
# read by PIL, libtiff-tools, djpeg and ImageMagick with the same pixels
# (JPEG within a tolerance); files they write are read by us; the bitmaps we
# find in programs made by the mingw tools are those wrestool lists, byte
# for byte.
set -euo pipefail
TOOL=$1
PY=/usr/bin/python3  # Debian's interpreter: it has PIL
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
tool() { "$ZELVO_WINE" "$TOOL" "$@"; }

# same A B TOLERANCE [index|mean]: the two pictures have the same size and
# RGB pixels within TOLERANCE on every channel; with "index", the same colour
# indices (PIL reads a 1-bit PCX as black and white, without its colours);
# with "mean", channels that differ by TOLERANCE on average (lossy coding).
same() {
  "$PY" - "$@" <<'EOF' || exit 1
import sys
from PIL import Image
index = len(sys.argv) > 4 and sys.argv[4] == "index"
mean = len(sys.argv) > 4 and sys.argv[4] == "mean"
def load(path):
    im = Image.open(path)
    if index:
        return im.size, [v // 255 if im.mode == "1" else v for v in im.getdata()]
    return im.size, list(im.convert("RGB").getdata())
(sa, a), (sb, b), tol = load(sys.argv[1]), load(sys.argv[2]), int(sys.argv[3])
if sa != sb:
    sys.exit(f"{sys.argv[1]} is {sa}, {sys.argv[2]} is {sb}")
diff = lambda x, y: abs(x - y) if index else max(abs(p - q) for p, q in zip(x, y))
if mean:
    worst = sum(abs(p - q) for x, y in zip(a, b) for p, q in zip(x, y)) / (3 * len(a))
else:
    worst = max(diff(x, y) for x, y in zip(a, b))
if worst > tol:
    sys.exit(f"{sys.argv[1]} and {sys.argv[2]} differ by up to {worst}")
EOF
}

expect_result() {  # expect_result N command...: the tool prints "result N"
  local want=$1; shift
  local got; got=$("$@" | tr -d '\r' | sed -n 1p)
  [ "$got" = "result $want" ] || fail "$* gave '$got', not 'result $want'"
}

# ---- our files, read by the others --------------------------------------------------------
checked=0
for fmt in pcx tif; do
  for bits in 1 4 8 24; do
    for size in "1 1" "33 7" "20 3"; do
      set -- $size
      name="our-$bits-$1x$2.$fmt"
      expect_result 1 tool make "$fmt" "$1" "$2" "$bits" "$name" "ref-$name.bmp" $((bits + $1))
      case $fmt$bits in
        pcx1|tif1) same "$name" "ref-$name.bmp" 0 index;;  # a bilevel picture keeps no colours
        # PIL takes the plane lines of many-plane files as long as the width
        # needs, not bytesPerLine; ImageMagick reads them right (and
        # misreads 8 bits).
        pcx4|pcx24) ae=$(compare -metric AE "$name" "ref-$name.bmp" null: 2>&1 || true)
              [ "$ae" = 0 ] || fail "ImageMagick reads $name with $ae other pixels";;
        *) same "$name" "ref-$name.bmp" 0;;
      esac
      checked=$((checked + 1))
    done
  done
done
for bits in 1 4 8 24; do
  tiffinfo -D "our-$bits-33x7.tif" > info.txt 2>&1 || fail "tiffinfo refused our $bits-bit file: $(cat info.txt)"
  grep -q 'LZW' info.txt || fail "our $bits-bit TIFF is not LZW"
  grep -q 'Software: Zelvo V2.5' info.txt || fail "no Software tag"
  grep -Eq 'DateTime: [0-9]{4}:[0-9]{2}:[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$' info.txt || fail "DateTime form"
  if grep -qi 'warning\|error' info.txt; then fail "tiffinfo complains: $(cat info.txt)"; fi
  entries=$(tiffdump "our-$bits-33x7.tif" | grep -c '^[A-Za-z]* (')
  want=19; [ "$bits" = 4 ] || [ "$bits" = 8 ] && want=20
  [ "$entries" = "$want" ] || fail "$bits-bit directory has $entries entries, not $want"
  tiffcp -c none "our-$bits-33x7.tif" "cp-$bits.tif" 2>/dev/null || fail "tiffcp refused our $bits-bit file"
  same "cp-$bits.tif" "ref-our-$bits-33x7.tif.bmp" 0 $([ "$bits" = 1 ] && echo index)
done
# A 24-bit frame 4000 pixels wide has 12000 row bytes: one row per strip.
expect_result 1 tool make tif 4000 3 24 wide.tif ref-wide.bmp
tiffdump wide.tif | grep -Eq 'RowsPerStrip \(278\) SHORT \(3\) 1<1>' || fail "wide rows are not one per strip"
# 8192 / 11 row bytes = 744 rows per strip, more than the 7 rows: not capped.
tiffdump our-8-33x7.tif | grep -Eq 'RowsPerStrip \(278\) SHORT \(3\) 1<248>' || fail "rows per strip of a 33-pixel 8-bit frame"

for size in "3 2" "64 48" "1 1"; do
  set -- $size
  expect_result 1 tool make jpg "$1" "$2" 24 "our-$1x$2.jpg" "ref-$1x$2.bmp" 5
  djpeg -ppm -outfile "dj-$1x$2.ppm" "our-$1x$2.jpg" || fail "djpeg refused our file"
  same "dj-$1x$2.ppm" "ref-$1x$2.bmp" 6 mean
  checked=$((checked + 1))
done
[ "$(identify -format '%Q' our-64x48.jpg)" = 100 ] || fail "quality is not 100"
sampling=$(identify -format '%[jpeg:sampling-factor]' our-64x48.jpg)
[ "$sampling" = "2x1,1x1,1x1" ] || fail "sampling $sampling"

# ---- their files, read by us --------------------------------------------------------------
"$PY" - <<'EOF'
from PIL import Image
import random
random.seed(7)
w, h = 37, 11
rgb = Image.new("RGB", (w, h))
rgb.putdata([(random.randrange(256), random.randrange(256), random.randrange(256)) for _ in range(w * h)])
rgb.save("rgb.png")
grey = Image.new("L", (w, h)); grey.putdata([random.randrange(256) for _ in range(w * h)]); grey.save("grey.png")
mono = grey.point(lambda v: 255 if v > 127 else 0).convert("1"); mono.save("mono.png")
pal = rgb.quantize(200); pal.save("pal.png")
pal16 = rgb.quantize(16); pal16.save("pal16.png")
for name, im in (("rgb", rgb), ("grey", grey), ("mono", mono), ("pal", pal), ("pal16", pal16)):
    im.save(f"pil-{name}.pcx")
    im.save(f"pil-{name}.tif")
rgb.save("pil-baseline.jpg", quality=95)
rgb.resize((3, 2)).save("pil-3x2.jpg", quality=100, subsampling=0)
rgb.resize((3, 2)).save("pil-3x2.png")
rgb.convert("CMYK").save("pil-cmyk.jpg")
EOF
for name in rgb grey mono pal pal16; do
  expect_result 1 tool read pcx "pil-$name.pcx" "back-$name-pcx.bmp"
  same "back-$name-pcx.bmp" "$name.png" 0
  checked=$((checked + 1))
  for c in none lzw packbits; do
    for order in L B; do
      case $name in pal16) bits="-b 4";; *) bits="";; esac
      src="pil-$name.tif"
      tiffcp -c "$c" -"$order" "$src" "t-$name-$c-$order.tif"
      expect_result 1 tool read tif "t-$name-$c-$order.tif" "back.bmp"
      same back.bmp "$name.png" 0
      checked=$((checked + 1))
    done
  done
  # The whole picture in one strip: its offset and byte count stand in the entries.
  tiffcp -c lzw -r 1000 "pil-$name.tif" "one-$name.tif"
  tiffdump "one-$name.tif" | grep -Eq 'StripOffsets \(273\) [A-Z]+ \([0-9]\) 1<' || fail "not one strip"
  expect_result 1 tool read tif "one-$name.tif" back.bmp
  same back.bmp "$name.png" 0
done
# A file without RowsPerStrip: one strip.
"$PY" - <<'EOF'
import struct
w, h = 5, 3
pixels = bytes(range(w * h))
entries = [(256, 3, 1, w), (257, 3, 1, h), (258, 3, 1, 8), (259, 3, 1, 1), (262, 3, 1, 1),
           (273, 4, 1, 8), (279, 4, 1, len(pixels))]
ifd = 8 + len(pixels) + (len(pixels) & 1)
out = b"II" + struct.pack("<HI", 42, ifd) + pixels + b"\0" * (len(pixels) & 1)
out += struct.pack("<H", len(entries)) + b"".join(struct.pack("<HHII", *e) for e in entries) + b"\0\0\0\0"
open("norows.tif", "wb").write(out)
from PIL import Image
Image.frombytes("L", (w, h), pixels).save("norows.png")
EOF
expect_result 1 tool read tif norows.tif back.bmp
same back.bmp norows.png 0

convert rgb.png rgb.ppm; convert grey.png grey.pgm
cjpeg -quality 90 -outfile cj-base.jpg rgb.ppm
cjpeg -progressive -quality 90 -outfile cj-prog.jpg rgb.ppm
cjpeg -grayscale -quality 90 -outfile cj-grey.jpg grey.pgm
for name in cj-base cj-prog cj-grey pil-baseline; do
  expect_result 1 tool read jpg "$name.jpg" back.bmp
  djpeg -rgb -ppm -outfile "$name.ppm" "$name.jpg"
  same back.bmp "$name.ppm" 2
  checked=$((checked + 1))
done
expect_result 1 tool read jpg pil-3x2.jpg back.bmp
same back.bmp pil-3x2.png 8
expect_result -4 tool read jpg pil-cmyk.jpg back.bmp
printf '\xff\xd8garbage that is no JPEG at all' > garbage.jpg
expect_result -3 tool read jpg garbage.jpg back.bmp

# ---- bitmaps in programs made by the mingw tools -----------------------------------------
"$PY" - <<'EOF'
from PIL import Image
Image.new("P", (4, 3), 1).save("b8.bmp")
Image.new("RGB", (5, 2), (10, 20, 30)).save("b24.bmp")
Image.new("1", (9, 9), 1).save("b1.bmp")
lines = ['#include <windows.h>',
         'LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US', '101 BITMAP "b8.bmp"', 'PICTURE BITMAP "b24.bmp"',
         'AVERYLONGBITMAPNAMEOFFORTYCHARACTERSXXXX BITMAP "b1.bmp"',
         'LANGUAGE LANG_GERMAN, SUBLANG_GERMAN', '101 BITMAP "b24.bmp"', 'PICTURE BITMAP "b1.bmp"']
open("two.rc", "w").write("\n".join(lines) + "\n")
open("many.rc", "w").write("\n".join(['#include <windows.h>'] + [f'{1000 + i} BITMAP "b8.bmp"' for i in range(101)]) + "\n")
open("none.rc", "w").write('#include <windows.h>\n1 RCDATA { "x" }\n')
open("lib.c", "w").write("int __stdcall DllMain(void *a, unsigned b, void *c) { return 1; }\n")
EOF
for rc in two many none; do
  i686-w64-mingw32-windres "$rc.rc" -O coff -o "$rc.res"
  i686-w64-mingw32-gcc-posix -shared -nostdlib -e _DllMain@12 lib.c "$rc.res" -o "$rc.dll"
done
x86_64-w64-mingw32-windres two.rc -O coff -o two64.res
x86_64-w64-mingw32-gcc-posix -shared -nostdlib -e DllMain lib.c two64.res -o two64.dll
for dll in two many two64; do
  tool resources "$dll.dll" | tr -d '\r' > ours.txt
  [ "$(head -n1 ours.txt)" = "result 1" ] || fail "$dll: $(head -n1 ours.txt)"
  tail -n +2 ours.txt > list.txt
  # wrestool: --type=2 --name=N --language=L per bitmap, in the tree's order.
  wrestool -l --type=2 "$dll.dll" | sed -E 's/.*--name=([^ ]+) --language=([0-9]+).*size=([0-9]+).*/\1 \2 \3/' > theirs.txt
  want=$(wc -l < theirs.txt); [ "$want" -gt 100 ] && want=100
  [ "$(wc -l < list.txt)" = "$want" ] || fail "$dll: $(wc -l < list.txt) bitmaps listed, wrestool has $(wc -l < theirs.txt)"
  index=0
  head -n 100 theirs.txt | while read -r name lang size; do
    line=$(sed -n "$((index + 1))p" list.txt)
    ours_name=${line%%|*}; ours_size=${line##*|}
    name=${name//\'/}
    case $name in
      [0-9]*) printf -v expected '%6d-%d' "$name" "$lang";;
      *) expected="$name-$lang";;
    esac
    expected=${expected:0:31}
    [ "$ours_name" = "$expected" ] || fail "$dll entry $index: '$ours_name', expected '$expected'"
    [ "$ours_size" = "$size" ] || fail "$dll entry $index: size $ours_size, wrestool $size"
    tool resource-bytes "$dll.dll" "$index" ours.bin
    wrestool -x --raw --type=2 --name="$name" --language="$lang" "$dll.dll" > theirs.bin
    cmp -s ours.bin theirs.bin || fail "$dll entry $index: bytes differ from wrestool's"
    index=$((index + 1))
  done
done
expect_result 0 tool resources none.dll
echo "$checked pictures read alike; resource lists match wrestool"
