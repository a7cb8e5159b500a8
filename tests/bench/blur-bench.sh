#!/usr/bin/env bash
# "Blur medium" over 50 frames of 640 x 480 at 24 bits in process, beside
# ImageMagick convolving the same 50 BMPs with the same kernel (one convert
# per file, as the frames are separate pictures). Prints both times and the
# mean error per channel between the two results for frame 0.
# Usage: tests/bench/blur-bench.sh [BUILD_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now() { date +%s%N; }

echo "== project (in-process time, under Wine) =="
"$ZELVO_WINE" "$DIR/tests/bench/BlurBench.exe" "$(winepath -w "$work" 2>/dev/null || echo "$work")" </dev/null
echo
s=$(now)
for f in "$work"/in??.bmp; do
  convert "$f" -define convolve:scale='!' -morphology Convolve "3x3: 1,3,1 3,5,3 1,3,1" "${f%.bmp}-im.bmp"
done
e=$(now)
echo "== ImageMagick convert -morphology Convolve, 50 files (whole commands) =="
echo "$(echo "scale=1; ($e - $s) / 1000000" | bc) ms"
echo
mae=$(compare -metric MAE "$work/in00-im.bmp" "$work/zelvo.bmp" null: 2>&1 | sed -E 's/.*\(([0-9.e-]+)\).*/\1/' | awk '{printf "%.2f", $1 * 255}')
echo "mean difference per channel, frame 0 (0..255): $mae"
