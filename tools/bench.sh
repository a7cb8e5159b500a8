#!/usr/bin/env bash
# Runs the benchmark programs and prints their figures beside those of the
# independent tools on the same files. Usage: tools/bench.sh [BUILD_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== document files"
"$ZELVO_WINE" "$DIR/tests/bench/DocumentBench.exe" "$(winepath -w "$work" 2>/dev/null || echo "$work")"
(
  cd "$work"
  t0=$(date +%s%N); zip -q -6 info.zip big.ans big*.bmx
  t1=$(date +%s%N); mkdir out && unzip -q info.zip -d out; t2=$(date +%s%N)
  echo "Info-ZIP on the same files: zip -6 $(( (t1 - t0) / 1000000 )) ms, unzip $(( (t2 - t1) / 1000000 )) ms"
)

echo "== video export colour conversion"
bash "$ROOT/videoexport/bench/convert-bench.sh" "$BUILD"

echo "== paint fill"
bash "$ROOT/tests/bench/fill-bench.sh" "$BUILD"

echo
echo "== blur medium over 50 frames"
bash "$ROOT/tests/bench/blur-bench.sh" "$BUILD"

echo
echo "== animated GIF"
bash "$ROOT/tests/bench/gif-bench.sh" "$BUILD"
echo
echo "== still-image codecs"
bash "$ROOT/conv/bench/codec-bench.sh" "$BUILD"
echo
echo "== change of frame format"
bash "$ROOT/tests/bench/frame-format-bench.sh" "$BUILD"
