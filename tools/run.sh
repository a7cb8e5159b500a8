#!/usr/bin/env bash
# Builds the sample animation with the project's own writers and shows what
# was made. Usage: run.sh BUILD_DIR
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-build}" && pwd)
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
mkdir -p "$BUILD/sample"
cd "$BUILD/sample"
"$ZELVO_WINE" "$DIR/samples/MakeSample.exe" . 
ls -l "$BUILD/sample"
