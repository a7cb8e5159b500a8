#!/usr/bin/env bash
# The control's checked-in resources are what their generators make: the
# about box's animation (MakeAboutAnimation.exe, $1) and the icon
# (make_icon.py), compared byte for byte with the files in $2.
set -euo pipefail
: "${ZELVO_WINE:?run through ctest}"
GENERATOR=$1 RES=$2
WORK=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-ocx-res.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
"$ZELVO_WINE" "$GENERATOR" "Z:${WORK//\//\\}" </dev/null >/dev/null 2>&1 || { echo "FAIL: the generator failed" >&2; exit 1; }
/usr/bin/python3 "$RES/make_icon.py" "$WORK/zelvoplay.ico"
for file in ABOUTBOX.ANS COPYRGHT.BMX STAR.BMX zelvoplay.ico; do
  cmp "$RES/$file" "$WORK/$file" || { echo "FAIL: $file differs from what its generator makes" >&2; exit 1; }
done
echo "resources: all four files regenerate to the same bytes"
