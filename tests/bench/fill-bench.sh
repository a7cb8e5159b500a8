#!/usr/bin/env bash
# Fills one region of a 2048 x 2048 24-bit frame with the paint tool's two
# fills (in process, under Wine) and with ImageMagick's "convert -fill black
# -draw 'color X,Y floodfill'" on the same BMP, and prints the times side by
# side. Usage: tests/bench/fill-bench.sh [BUILD_DIR]   (after make build).
# Goal: each fill at most twice ImageMagick's time.
source "$(dirname "$0")/bench-lib.sh"
CONVERT=/usr/bin/convert
COMPARE=/usr/bin/compare

best() {  # best wall time in ms of three runs of "$@"
  local b=0 s e t
  for _ in 1 2 3; do
    s=$(now); "$@"; e=$(now); t=$(( e - s ))
    if [ "$b" = 0 ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "scale=1; $b / 1000000" | bc
}

echo "== the paint tool's fills (in-process times, under Wine)"
out=$("$ZELVO_WINE" "$DIR/tests/bench/FillBench.exe" "$(winepath -w "$work" 2>/dev/null || echo "$work")" </dev/null)
echo "$out"
seed=$(echo "$out" | sed -nE 's/^seed ([0-9]+),([0-9]+).*/\1,\2/p' | tr -d '\r')

echo "== ImageMagick $("$CONVERT" -version | head -1 | awk '{print $3}') on the same frame (whole command, best of 3)"
t_fill=$(best "$CONVERT" "$work/region.bmp" -fill black -draw "color $seed floodfill" BMP3:"$work/im-fill.bmp")
t_copy=$(best "$CONVERT" "$work/region.bmp" BMP3:"$work/im-copy.bmp")
printf '%-28s %8s ms\n' "floodfill at $seed" "$t_fill" "read + write only" "$t_copy"
echo "floodfill less read + write: $(echo "scale=1; $t_fill - $t_copy" | bc) ms"
echo "pixels differing from ImageMagick's fill:" \
  "ExtFloodFill $("$COMPARE" -metric AE "$work/zelvo-flood.bmp" "$work/im-fill.bmp" null: 2>&1 || true)," \
  "mask fill $("$COMPARE" -metric AE "$work/zelvo-mask.bmp" "$work/im-fill.bmp" null: 2>&1 || true)"
