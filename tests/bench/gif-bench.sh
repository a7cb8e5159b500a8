#!/usr/bin/env bash
# Makes three 100-frame 320 x 240 animated GIFs with ImageMagick (noise, a
# flat cartoon, one bit), times the image library's import and export of
# each (GifBench, in-process) and prints them beside the time ImageMagick
# takes to read and write the same file (`convert in.gif out.gif`).
# Usage: tests/bench/gif-bench.sh [BUILD_DIR]   (after make build)
source "$(dirname "$0")/bench-lib.sh"
cd "$work"

echo "making the files with ImageMagick..."
convert -seed 7 -size 3200x2400 xc: +noise Random -crop 320x240 +repage +dither -colors 256 -delay 4 noise.gif
convert -seed 7 -size 3200x2400 plasma:fractal -blur 0x6 -posterize 3 -crop 320x240 +repage +dither -colors 16 \
  -delay 4 cartoon.gif
convert -seed 7 -size 3200x2400 plasma:fractal -blur 0x4 -threshold 50% -crop 320x240 +repage -monochrome \
  -delay 4 onebit.gif
for f in noise.gif cartoon.gif onebit.gif; do
  [ "$(identify "$f" | wc -l)" = 100 ] || { echo "$f: not 100 frames"; exit 1; }
done

echo
echo "== ZelvoConv32 (in-process, best of 3, under Wine) =="
"$ZELVO_WINE" "$DIR/tests/bench/GifBench.exe" . noise.gif cartoon.gif onebit.gif

echo
echo "== ImageMagick $(convert -version | head -1 | awk '{print $3}'): convert in.gif out.gif (whole command, best of 3) =="
best() {  # best wall time of three runs of "$@", in ms
  local b=0 s e t
  for _ in 1 2 3; do
    s=$(date +%s%N); "$@"; e=$(date +%s%N); t=$(( e - s ))
    if [ "$b" = 0 ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "scale=1; $b / 1000000" | bc
}
for f in noise.gif cartoon.gif onebit.gif; do
  printf '%-16s both %8s ms\n' "$f" "$(best convert "$f" "im-$f")"
done
