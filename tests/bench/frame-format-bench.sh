#!/usr/bin/env bash
# The change of 32 frames of 320 x 240 from 24 bits to 256 colours with
# "Use Frame Colors", beside ImageMagick reducing the same frames appended
# into one picture (+dither -colors 256). Prints both times and the mean
# error per channel. Usage: tests/bench/frame-format-bench.sh [BUILD_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now() { date +%s%N; }
mae() { compare -metric MAE "$1" "$2" null: 2>&1 | sed -E 's/.*\(([0-9.e-]+)\).*/\1/' | awk '{printf "%.2f", $1 * 255}'; }

echo "== project (in-process time, under Wine) =="
"$ZELVO_WINE" "$DIR/tests/bench/FrameFormatBench.exe" "$(winepath -w "$work" 2>/dev/null || echo "$work")" </dev/null
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
