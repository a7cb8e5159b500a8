#!/usr/bin/env bash
# Holds the archive against Info-ZIP: our archives pass `unzip -t` with the
# animation first and "anxinfo.dat" last, and archives made by `zip` (stored
# and deflated) unpack with their animation found.
set -euo pipefail
MAKESAMPLE=$1 DOCTOOL=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$ZELVO_WINE" "$MAKESAMPLE" . >/dev/null
unzip -tq sample.anx
# sed reads to the end: unzip writes name by name and would die of SIGPIPE
# behind a reader that stops early, failing the pipeline.
first=$(unzip -Z1 sample.anx | sed -n 1p)
last=$(unzip -Z1 sample.anx | tail -n1)
[[ "$first" == *sample.ans ]] || { echo "first entry is $first"; exit 1; }
[ "$last" = anxinfo.dat ] || { echo "last entry is $last"; exit 1; }
[ "$(unzip -p sample.anx anxinfo.dat)" = sample.ans ] || { echo "anxinfo.dat does not name sample.ans"; exit 1; }
"$ZELVO_WINE" "$DOCTOOL" check-anx sample.anx

printf 'sample.ans' > anxinfo.dat
for level in 0 6; do
  rm -f "info$level.anx"
  zip -q -"$level" "info$level.anx" sample.ans red.bmx green.bmx back.bmp anxinfo.dat
  "$ZELVO_WINE" "$DOCTOOL" check-anx "info$level.anx"
done
# Without an info entry, under another name: the one animation inside is found.
mkdir sub && cp sample.ans sub/renamed.ans && cp red.bmx green.bmx back.bmp sub/
(cd sub && zip -q -6 ../plain.anx renamed.ans red.bmx green.bmx back.bmp)
"$ZELVO_WINE" "$DOCTOOL" check-anx plain.anx
echo "archive checks passed"
