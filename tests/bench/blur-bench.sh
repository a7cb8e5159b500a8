#!/usr/bin/env bash
# "Blur medium" over 50 frames of 640 x 480 at 24 bits in process, beside
# ImageMagick convolving the same 50 BMPs with the same kernel (one convert
# per file, as the frames are separate pictures). Prints both times and the
# mean error per channel between the two results for frame 0.
# Usage: tests/bench/blur-bench.sh [BUILD_DIR]
source "$(dirname "$0")/bench-lib.sh"

echo "== project (in-process time, under Wine) =="
run_bench BlurBench
echo
s=$(now)
for f in "$work"/in??.bmp; do
  convert "$f" -define convolve:scale='!' -morphology Convolve "3x3: 1,3,1 3,5,3 1,3,1" "${f%.bmp}-im.bmp"
done
e=$(now)
echo "== ImageMagick convert -morphology Convolve, 50 files (whole commands) =="
echo "$(echo "scale=1; ($e - $s) / 1000000" | bc) ms"
echo
echo "mean difference per channel, frame 0 (0..255): $(mae "$work/in00-im.bmp" "$work/zelvo.bmp")"
