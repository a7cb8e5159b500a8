#!/usr/bin/env bash
# The settings file the accessors write is a plain .ini file that another
# program's parser reads, and it lands beside the program even in a folder
# whose path is longer than 128 characters. Usage: check_settings_ini.sh SettingsSample.exe
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
deep=$work
for i in 1 2 3 4 5 6; do deep="$deep/a_folder_with_a_long_name_$i"; done
mkdir -p "$deep"
cp "$exe" "$deep/Zelvo.exe"
echo "program folder: ${#deep} characters"
"$ZELVO_WINE" "$deep/Zelvo.exe" </dev/null
ini="$deep/Zelvo.ini"
[ -f "$ini" ] || { echo "no settings file beside the program"; ls -la "$deep"; exit 1; }
python3 - "$ini" <<'PY'
import configparser, sys
parser = configparser.ConfigParser(interpolation=None)
parser.optionxform = str  # keys keep their case
with open(sys.argv[1], encoding="latin-1") as f:
    parser.read_file(f)
expected = {
    ("File", "BMX-Compression"): "546",
    ("File", "UseDeviceBitmaps"): "-1",
    ("Edit", "ViewSize2"): "50 50",
    ("Edit", "UndoBufferSize"): "8192",
    ("Window", "WindowSize2"): "10 20 768 568",
    ("Print", "Banding"): "1",
    ("MRU", "0"): "C:\\Animations\\Fish.ans",
    ("MRU", "1"): "C:\\Animations\\Birds.ans",
}
bad = [(k, parser.get(*k, fallback=None), v) for k, v in expected.items() if parser.get(*k, fallback=None) != v]
if parser.has_option("MRU", "2"):
    bad.append((("MRU", "2"), parser.get("MRU", "2"), None))
for key, got, want in bad:
    print(f"{key}: got {got!r}, expected {want!r}")
print("sections:", parser.sections())
sys.exit(1 if bad else 0)
PY
echo "settings file read back by configparser"
