#!/usr/bin/env bash
# The printed page held against ImageMagick: PrintToMemory prints frames at
# whole-number scales through the print table into a memory DC, in bands and
# whole; ImageMagick composes the same frames, scaled by pixel replication,
# onto a white page of the printer's size. Every pixel must agree.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winwork=$("$ZELVO_WINE" winepath.exe -w "$work" 2>/dev/null </dev/null | tr -d '\r')
"$ZELVO_WINE" "$tool" "$winwork" </dev/null | tr -d '\r' >"$work/layout.txt"
[ -s "$work/layout.txt" ] || { echo "FAIL: no layout printed"; exit 1; }

args=(-size 600x800 xc:white)
while read -r file x y w h; do
  args+=(\( "$work/$file" -sample "${w}x${h}!" \) -geometry "+${x}+${y}" -composite)
done <"$work/layout.txt"
convert "${args[@]}" "$work/expected.png"

for page in page-bands page-whole; do
  [ "$(identify -format '%wx%h' "$work/$page.bmp")" = 600x800 ] || { echo "FAIL: $page has the wrong size"; exit 1; }
  differing=$(compare -metric AE "$work/$page.bmp" "$work/expected.png" null: 2>&1 || true)
  if [ "$differing" != 0 ]; then
    echo "FAIL: $page differs from ImageMagick's page in $differing pixels"
    exit 1
  fi
done
# The layout is not trivially white: the frames are there.
colours=$(convert "$work/page-whole.bmp" -unique-colors -format '%w' info:)
[ "$colours" -gt 20 ] || { echo "FAIL: only $colours colours on the page"; exit 1; }
echo "pages agree with ImageMagick ($colours colours)"
