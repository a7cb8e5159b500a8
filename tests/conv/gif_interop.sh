#!/usr/bin/env bash
# Holds the image library's GIF files against ImageMagick and gifsicle: the
# animations it writes (1, 4 and 8 bits, plain and interlaced) as they read
# them, pixels, delays, disposal, offsets, loop and comment; a single image
# with its transparent colour; and files that ImageMagick writes (2, 16 and
# 256 colours, interlaced, local colour tables, offsets) read by the library,
# pixel for pixel against ImageMagick's own reading.
# Usage: gif_interop.sh GifTool.exe
set -euo pipefail
GIFTOOL=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$(dirname "$GIFTOOL")/ZelvoConv32.dll" "$(dirname "$GIFTOOL")/ijl11.dll" .

fail() { echo "FAIL: $*"; exit 1; }
tool() { "$ZELVO_WINE" "$GIFTOOL" "$@"; }
# The number of pixels that differ between two images.
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
same_pixels() {
  local n; n=$(differing "$1" "$2")
  [ "$n" = 0 ] || fail "$1 and $2 differ in $n pixels"
}
contains() { grep -qF -- "$2" <<<"$1" || fail "$3: no '$2' in: $1"; }

# ---- our animations as the others read them -----------------------------------------
for bits in 1 4 8; do
  for kind in plain interlaced; do
    name="ours-$bits-$kind"
    mkdir "$name"
    if [ "$kind" = interlaced ]; then tool write "$name.gif" "$name" "$bits" interlaced >/dev/null
    else tool write "$name.gif" "$name" "$bits" >/dev/null; fi
    info=$(gifsicle --info "$name.gif")
    contains "$info" "3 images" "$name"
    contains "$info" "logical screen 28x22" "$name"
    contains "$info" "global color table [$((1 << bits))]" "$name"
    contains "$info" "loop count 3" "$name"
    contains "$info" 'comment Zelvo\ninterop test' "$name"
    contains "$info" "image #1 24x16 at 4,2" "$name"
    contains "$info" "image #2 24x16 at 0,6" "$name"
    if [ "$kind" = interlaced ]; then
      [ "$(grep -c " interlaced$" <<<"$info")" = 3 ] || fail "$name: not every image interlaced: $info"
    else
      grep -q " interlaced$" <<<"$info" && fail "$name: interlaced: $info"
    fi
    # Screen, frame size, offsets, delay and disposal of every frame.
    geometry=$(identify -format "%W %H %w %h %X %Y %T %D\n" "$name.gif")
    expected=$'28 22 24 16 +0 +0 10 Undefined\n28 22 24 16 +4 +2 20 None\n28 22 24 16 +0 +6 30 Background'
    [ "$geometry" = "$expected" ] || fail "$name: identify says $geometry"
    for i in 0 1 2; do
      convert "$name.gif[$i]" +repage "$name/read$i.png"
      same_pixels "$name/source00$i.bmp" "$name/read$i.png"
    done
  done
done

# A single image with a transparent colour (the table's second entry).
tool single single.gif 8 >/dev/null
info=$(gifsicle --info single.gif)
contains "$info" "1 image" single.gif
contains "$info" "image #0 24x16 transparent 1" single.gif
[ "$(identify -format '%A' single.gif)" != False ] || fail "single.gif: ImageMagick sees no transparency"

# ---- their files as we read them ---------------------------------------------------
# A frame of 40 x 30 from a seeded plasma, reduced to N colours.
frame() {  # out colours seed
  convert -seed "$3" -size 40x30 plasma:fractal +dither -colors "$2" "$1"
}
check_read() {  # file frames [offsets "X,Y ..."]
  local file=$1 frames=$2 out=${1%.gif}
  mkdir "$out"
  local report; report=$(tool read "$file" "$out")
  contains "$report" "result=1" "$file"
  contains "$report" "frames=$frames" "$file"
  # The loop as gifsicle reads it.
  local info; info=$(gifsicle --info "$file")
  if grep -q "loop forever" <<<"$info"; then contains "$report" "loop=1,0 " "$file"
  elif grep -q "loop count" <<<"$info"; then
    contains "$report" "loop=1,$(sed -n 's/.*loop count \([0-9]*\).*/\1/p' <<<"$info") " "$file"
  else contains "$report" "loop=0," "$file"; fi
  for ((i = 0; i < frames; i++)); do
    convert "$file[$i]" +repage "$out/theirs$i.png"
    same_pixels "$out/frame$(printf %03d "$i").bmp" "$out/theirs$i.png"
  done
  if [ $# -gt 2 ]; then
    local i=0
    for at in $3; do
      contains "$report" "frame=$i left=${at%,*} top=${at#*,} " "$file"
      i=$((i + 1))
    done
  fi
}

for colours in 2 16 256; do
  frame "c$colours-a.gif" "$colours" 1
  frame "c$colours-b.gif" "$colours" 2
  frame "c$colours-c.gif" "$colours" 3
  # Each frame keeps its own colours: ImageMagick writes local tables.
  convert -delay 15 "c$colours-a.gif" "c$colours-b.gif" "c$colours-c.gif" -loop 0 "their-$colours.gif"
  check_read "their-$colours.gif" 3
  convert -delay 15 "c$colours-a.gif" "c$colours-b.gif" -interlace GIF "their-$colours-interlaced.gif"
  [ "$(gifsicle --info "their-$colours-interlaced.gif" | grep -c " interlaced$")" = 2 ] || fail "no interlaced file made"
  check_read "their-$colours-interlaced.gif" 2
done
gifsicle --info their-16.gif | grep "local color table" >/dev/null || fail "their-16.gif has no local tables"

# Frames of one size at offsets on a larger screen.
convert -delay 20 -page 60x50+0+0 c16-a.gif -page +12+7 c16-b.gif -page +20+20 c16-c.gif -loop 2 their-offsets.gif
[ "$(identify -format '%X%Y ' their-offsets.gif)" = "+0+0 +12+7 +20+20 " ] || fail "offsets not written"
check_read their-offsets.gif 3 "0,0 12,7 20,20"
echo "GIF interop: all checks passed"
