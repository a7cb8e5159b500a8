#!/usr/bin/env bash
# The built-in animation checked in beside ZelvoSave is exactly what its
# generator writes.
#   defans_regenerate.sh MakeDefaultAnimation.exe CHECKED_IN_FOLDER
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-defans.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$ZELVO_WINE" "$1" "Z:${work//\//\\}" </dev/null >/dev/null
for file in SCRNSAVE.ANS DOOR.BMX LIGHT.BMX LOGO.BMX; do
  cmp "$2/$file" "$work/$file" || { echo "FAIL: $file differs from what MakeDefaultAnimation writes now" >&2; exit 1; }
done
echo "the built-in animation regenerates byte for byte"
