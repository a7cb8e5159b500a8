#!/usr/bin/env bash
# The settings file of a first start holds exactly the written defaults, in
# their order, section by section, as another program's ini parser reads it.
# Usage: check_default_settings.sh WriteDefaultSettings.exe
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/Zelvo.exe"
"$ZELVO_WINE" "$work/Zelvo.exe" </dev/null
ini="$work/Zelvo.ini"
[ -f "$ini" ] || { echo "no settings file beside the program"; ls -la "$work"; exit 1; }
python3 - "$ini" <<'PY'
import configparser, sys
parser = configparser.ConfigParser(interpolation=None)
parser.optionxform = str  # keys keep their case
with open(sys.argv[1], encoding="latin-1") as f:
    parser.read_file(f)
expected = [
    ("Window", [("UseSystemPalette", "1"), ("ShowPathInTitle", "0"), ("TrackFilm", "0"),
                ("ResetTools", "1"), ("UseClipboardPalette", "1"), ("RightDblClick", "0")]),
    ("File", [("BMX-Compression", "546"), ("BMP-Compression", "0"), ("UseSavedPalette", "1"),
              ("AskStretchFrame", "1"), ("DIBColorLookup", "0"), ("UseDeviceBitmaps", "-1")]),
    ("Edit", [("ViewSize2", "50 50"), ("UndoBufferSize", "8192"), ("ShowFrameOnInsert", "1"),
              ("AlternateFill", "0"), ("SoftUndo", "0"), ("PreviewText", "1"),
              ("AutoClearFrameSelection", "0"), ("EditBorder", "0")]),
    ("Print", [("Banding", "1")]),
]
found = [(s, list(parser.items(s))) for s in parser.sections()]
if found != expected:
    print("expected:")
    for s, keys in expected: print(" ", s, keys)
    print("found:")
    for s, keys in found: print(" ", s, keys)
    sys.exit(1)
print("defaults as written:", ", ".join(f"{s} ({len(k)} keys)" for s, k in found))
PY
