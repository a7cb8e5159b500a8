#!/usr/bin/env bash
# Builds the sample animation with the project's own writers and opens it in
# the editor, in the foreground, until its window is closed; with
# RUN_PROGRAM=player RunZelvo plays it instead. Without an X display the
# program runs on a private Xvfb screen for RUN_SECONDS (default 10) and leaves
# a screenshot in BUILD_DIR/sample/screenshot.png.
# Usage: run.sh BUILD_DIR [sample.ans|sample.anx]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-build}" && pwd)
SAMPLE=${2:-sample.ans}
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
mkdir -p "$BUILD/sample"
cd "$BUILD/sample"
"$ZELVO_WINE" "$DIR/samples/MakeSample.exe" . >/dev/null
ls -l "$BUILD/sample"

# The editor opens the sample; RUN_PROGRAM=player plays it in RunZelvo instead.
if [ "${RUN_PROGRAM:-editor}" = player ]; then
  PROGRAM=$DIR/players/runplayer/RunZelvo.exe NAME=RunZelvo
else
  PROGRAM=$DIR/editor/ZELVO.exe NAME=ZELVO
fi
TARGET=$("$ZELVO_WINE" winepath -w "$BUILD/sample/$SAMPLE" 2>/dev/null)
if [ -n "${DISPLAY:-}" ]; then
  echo "run: $NAME opens $SAMPLE ($ZELVO_TEST_ARCH build); close its window to end"
  status=0
  "$ZELVO_WINE" "$PROGRAM" "$TARGET" || status=$?
  echo "run: $NAME ended with exit code $status"
  exit 0
fi

# No display: run on a private screen for a while and keep a screenshot.
seconds=${RUN_SECONDS:-10}
echo "run: no X display; $NAME opens $SAMPLE on Xvfb for $seconds s"
export PROGRAM TARGET seconds
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$ZELVO_WINE" "$PROGRAM" "$TARGET" </dev/null &
  program=$!
  sleep "$seconds"
  import -window root -display "$DISPLAY" screenshot.png || true
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  wineserver -k 2>/dev/null || true'
echo "run: screenshot in $BUILD/sample/screenshot.png"
