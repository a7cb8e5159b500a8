#!/usr/bin/env bash
# Holds the stored frames against ImageMagick: frames stored raw, as BI_RLE8 or
# as BI_RLE4 are standard DIB data that an independent BMP reader decodes to
# the same pixels as our reader.
set -euo pipefail
DOCTOOL=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
checked=0
for case in "1 0x000" "4 0x000" "8 0x000" "16 0x000" "24 0x000" "32 0x000" "4 0x020" "8 0x200" "4 0x010" "8 0x100"; do
  set -- $case
  "$ZELVO_WINE" "$DOCTOOL" make-bmx "s$1-$2.bmx" "$1" "$2"
  "$ZELVO_WINE" "$DOCTOOL" dump-frames "s$1-$2.bmx" "f$1-$2-"
  for bmp in f"$1-$2"-*-c*.bmp; do
    index=${bmp#f$1-$2-}; index=${index%%-c*}
    # The fourth byte of a 32-bit pixel is unused: ImageMagick would read it as alpha.
    convert "$bmp" -alpha off -depth 8 "dec-$index.ppm"
    diff=$(compare -metric AE "dec-$index.ppm" "f$1-$2-$index.ppm" null: 2>&1 || true)
    if [ "$diff" != 0 ]; then echo "$bmp differs from our decoding: $diff"; exit 1; fi
    checked=$((checked + 1))
  done
done
# Every compression that the choices produce was among them.
ls f*-c1.bmp f*-c2.bmp f*-c0.bmp >/dev/null
echo "$checked stored frames decode alike"
