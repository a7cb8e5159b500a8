#!/usr/bin/env bash
# Builds the sample animation with the project's own writers and plays it in
# RunZelvo, in the foreground, until its window is closed; with
# RUN_PROGRAM=editor the editor opens it instead. Without an X display the
# player runs on a private Xvfb screen for RUN_SECONDS (default 10) and leaves
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

if [ "${RUN_PROGRAM:-player}" = editor ]; then
  # The editor opens the sample animation; without a display it has nowhere to show.
  if [ -n "${DISPLAY:-}" ]; then
    exec "$ZELVO_WINE" "$DIR/editor/ZELVO.exe" "$("$ZELVO_WINE" winepath -w "$BUILD/sample/$SAMPLE" 2>/dev/null)"
  fi
  echo "run: no DISPLAY; the editor is $DIR/editor/ZELVO.exe"
  exit 0
fi

PLAYER=$DIR/players/runplayer/RunZelvo.exe
if [ -n "${DISPLAY:-}" ]; then
  echo "run: playing $SAMPLE in RunZelvo ($ZELVO_TEST_ARCH build); close its window to end"
  status=0
  "$ZELVO_WINE" "$PLAYER" "$SAMPLE" || status=$?
  echo "run: RunZelvo ended with exit code $status"
  exit 0
fi

# No display: play on a private screen for a while and keep a screenshot.
seconds=${RUN_SECONDS:-10}
echo "run: no X display; playing $SAMPLE in RunZelvo on Xvfb for $seconds s"
export PLAYER SAMPLE seconds
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$ZELVO_WINE" "$PLAYER" "$SAMPLE" </dev/null &
  player=$!
  sleep "$seconds"
  import -window root -display "$DISPLAY" screenshot.png || true
  kill "$player" 2>/dev/null || true
  wait "$player" 2>/dev/null || true
  wineserver -k 2>/dev/null || true'
echo "run: screenshot in $BUILD/sample/screenshot.png"
