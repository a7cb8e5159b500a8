#!/usr/bin/env bash
# The change of 32 frames of 320 x 240 from 24 bits to 256 colours with
# "Use Frame Colors", beside ImageMagick reducing the same frames appended
# into one picture (+dither -colors 256). Prints both times and the mean
# error per channel. Usage: tests/bench/frame-format-bench.sh [BUILD_DIR]
source "$(dirname "$0")/bench-lib.sh"

echo "== project (in-process time, under Wine) =="
run_bench FrameFormatBench
echo
best=0
for _ in 1 2 3; do
  s=$(now); convert "$work/frames.bmp" +dither -colors 256 "$work/im.bmp"; e=$(now)
  t=$(( e - s )); if [ "$best" = 0 ] || [ "$t" -lt "$best" ]; then best=$t; fi
done
echo "== ImageMagick, the frames appended, +dither -colors 256 (whole command, best of 3) =="
echo "$(echo "scale=1; $best / 1000000" | bc) ms"
echo
echo "mean error per channel (0..255): project $(mae "$work/frames.bmp" "$work/zelvo.bmp"), ImageMagick $(mae "$work/frames.bmp" "$work/im.bmp")"
