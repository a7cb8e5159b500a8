#!/usr/bin/env bash
# The image library's TIFF (LZW) and JPEG coding of a 2048 x 2048 24-bit
# frame beside tiffcp -c lzw, cjpeg and djpeg on the same picture.
# Usage: conv/bench/codec-bench.sh [BUILD_DIR] (after make build).
# Goal: at most twice their times.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now() { date +%s%N; }
best() {  # best wall time in ms of three runs of "$@"
  local b=0 s e t
  for _ in 1 2 3; do
    s=$(now); "$@" >/dev/null; e=$(now); t=$(( e - s ))
    if [ "$b" = 0 ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "scale=1; $b / 1000000" | bc
}

echo "== ZelvoConv32's codecs (in-process times, under Wine)"
"$ZELVO_WINE" "$DIR/conv/bench/CodecBench.exe" "$(winepath -w "$work" 2>/dev/null || echo "$work")" </dev/null

echo "== libtiff-tools and libjpeg-turbo's programs on the same picture (whole command, best of 3)"
cd "$work"
printf '%-26s %8s ms\n' "tiffcp -c lzw" "$(best tiffcp -c lzw source.tif their.tif)" \
  "tiffcp -c none (LZW read)" "$(best tiffcp -c none zelvo.tif read.tif)" \
  "cjpeg -quality 100" "$(best cjpeg -quality 100 -sample 2x1 -outfile their.jpg source.bmp)" \
  "djpeg" "$(best djpeg -bmp -outfile /dev/null zelvo.jpg)"
ls -l zelvo.tif their.tif zelvo.jpg their.jpg | awk '{printf "%-10s %10d bytes\n", $9, $5}'
