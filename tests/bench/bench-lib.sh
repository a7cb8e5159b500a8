# The start every in-process editor benchmark wrapper shares; sourced by the
# scripts beside it with the build folder as $1: BUILD, DIR, WINEPREFIX, a
# work folder removed on exit, and the helpers below.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now() { date +%s%N; }
# run_bench NAME: runs tests/bench/NAME.exe on the work folder.
run_bench() { "$ZELVO_WINE" "$DIR/tests/bench/$1.exe" "$(winepath -w "$work" 2>/dev/null || echo "$work")" </dev/null; }
# Mean absolute difference per channel on a 0..255 scale, by ImageMagick's compare.
mae() { compare -metric MAE "$1" "$2" null: 2>&1 | sed -E 's/.*\(([0-9.e-]+)\).*/\1/' | awk '{printf "%.2f", $1 * 255}'; }
