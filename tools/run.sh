#!/usr/bin/env bash
# Builds the sample animation with the project's own writers and starts the
# editor on it. Usage: run.sh BUILD_DIR
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-build}" && pwd)
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
mkdir -p "$BUILD/sample"
cd "$BUILD/sample"
"$ZELVO_WINE" "$DIR/samples/MakeSample.exe" . >/dev/null
ls -l "$BUILD/sample"
# The editor opens the sample animation; without a display it has nowhere to show.
if [ -n "${DISPLAY:-}" ]; then
  exec "$ZELVO_WINE" "$DIR/editor/ZELVO.exe" "$("$ZELVO_WINE" winepath -w "$BUILD/sample/sample.ans" 2>/dev/null)"
else
  echo "run: no DISPLAY; the editor is $DIR/editor/ZELVO.exe"
fi
