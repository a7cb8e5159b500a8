#!/usr/bin/env bash
# The export's reduction of a 640 x 480 true-colour picture to the 8-bit
# palette of the AVI, beside ImageMagick's "convert +dither -remap" on the
# same picture and palette. Usage: videoexport/bench/convert-bench.sh [BUILD_DIR]
# (after make build). Goal: at most ImageMagick's time, and under 25 ms.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
CONVERT=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now() { date +%s%N; }
best() {  # best wall time in ms of five runs of "$@"
  local b=0 s e t
  for _ in 1 2 3 4 5; do
    s=$(now); "$@"; e=$(now); t=$(( e - s ))
    if [ "$b" = 0 ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "scale=1; $b / 1000000" | bc
}

echo "== ZelvoExp32's conversion (in-process times, under Wine)"
"$ZELVO_WINE" "$DIR/videoexport/bench/ConvertBench.exe" "$(winepath -w "$work" 2>/dev/null || echo "$work")" </dev/null

echo "== ImageMagick $("$CONVERT" -version | head -1 | awk '{print $3}') on the same picture and palette (best of 5)"
t_remap=$(best "$CONVERT" "$work/frame.bmp" +dither -remap "$work/palette.bmp" "$work/im-remap.bmp")
t_copy=$(best "$CONVERT" "$work/frame.bmp" "$work/im-copy.bmp")
printf '  %-40s %7s ms\n' "+dither -remap palette.bmp (whole command)" "$t_remap" \
  "reading and writing only" "$t_copy"
printf '  %-40s %7s ms\n' "remap alone (difference)" "$(echo "scale=1; $t_remap - $t_copy" | bc)"
echo "  pixels the two choose differently: $(compare -metric AE "$work/export.bmp" "$work/im-remap.bmp" null: 2>&1 || true)"
