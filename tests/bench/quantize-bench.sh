#!/usr/bin/env bash
# Reduces a 1024 x 1024 photo-like image to 256 colours with the project's
# quantizer and with ImageMagick, and prints the times and mean errors side
# by side. Usage: tests/bench/quantize-bench.sh [BUILD_DIR]   (after make build)
source "$(dirname "$0")/bench-lib.sh"
CONVERT=/usr/bin/convert
COMPARE=/usr/bin/compare

ms() { echo "scale=1; ($2 - $1) / 1000000" | bc; }

echo "== project quantizer (in-process times, under Wine) =="
start=$(now)
"$ZELVO_WINE" "$DIR/tests/bench/QuantizeBench.exe" "$work" </dev/null
end=$(now)
echo "whole program run including Wine start and file writes: $(ms "$start" "$end") ms"

echo
echo "== ImageMagick $("$CONVERT" -version | head -1 | awk '{print $3}') on the same image (whole command, best of 3) =="
best() {  # best wall time of three runs of "$@"
  local b=0 s e t
  for _ in 1 2 3; do
    s=$(now); "$@"; e=$(now); t=$(( e - s ))
    if [ "$b" = 0 ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "scale=1; $b / 1000000" | bc
}
t_plain=$(best "$CONVERT" "$work/source.bmp" +dither -colors 256 "$work/im-plain.bmp")
t_dither=$(best "$CONVERT" "$work/source.bmp" -colors 256 "$work/im-dither.bmp")
t_read=$(best "$CONVERT" "$work/source.bmp" "$work/im-copy.bmp")
printf '%-28s %7s ms\n' "-colors 256 +dither" "$t_plain" "-colors 256 (dithered)" "$t_dither" \
  "read + write only" "$t_read"

echo
echo "== mean error per channel (0..255), measured by ImageMagick compare -metric MAE =="
printf '%-34s %s\n' "project, median cut" "$(mae "$work/source.bmp" "$work/zelvo.bmp")" \
  "project, median cut, dithered" "$(mae "$work/source.bmp" "$work/zelvo-dither.bmp")" \
  "project, popularity" "$(mae "$work/source.bmp" "$work/zelvo-popular.bmp")" \
  "ImageMagick -colors 256 +dither" "$(mae "$work/source.bmp" "$work/im-plain.bmp")" \
  "ImageMagick -colors 256" "$(mae "$work/source.bmp" "$work/im-dither.bmp")"
