#!/usr/bin/env bash
# "Settings..." and "Fill Patterns" from the editor's Options menu: the editor
# settings chosen in the dialog land in the settings file (read by python's
# configparser), Cancel writes nothing; pattern pixels toggled in "Edit Fill
# Patterns" with "Save Patterns" land in the pattern file (read by python's
# struct), Cancel leaves it alone.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
ini="$BB_WORK/ed/ZELVO.ini"
mus="$BB_WORK/ed/ZELVO.MUS"
printf '[File]\r\nUseSavedPalette=1\r\nDitherOnOpen=0\r\nDitherOnPaste=0\r\n[Window]\r\nUseClipboardPalette=1\r\nUseSystemPalette=0\r\n[Edit]\r\nMoveKeys=14\r\nAlternateFill=0\r\nUndoBufferSize=2048\r\nShowFrameOnInsert=1\r\nEditBorder=0\r\n' >"$ini"
cd "$BB_WORK"
# 256 x 256 at 24 bits: 196608 bytes a frame in the undo buffer.
convert -size 256x256 xc:white -fill '#0000FF' -draw 'rectangle 10,10 100,100' BMP3:f1.bmp

bb_park_pointer
bb_start ed/ZELVO.exe -r f1.bmp
bb_wait_window Zelvo - 30000
main=$BB_HWND

menu=$(bb_wd menu-state "$main" bar)
bb_expect_line "$menu" 'id=304 state=enabled' 'text="&Fill Patterns"'
bb_expect_line "$menu" 'id=320 state=enabled' 'text="&Settings..."'

# Opens an Options item the way the menu does: with its keys when the menu
# answers them, else with the command the item sends.
open_options_item() {  # ID LETTER CAPTION
  if ! bb_wd keys "$main" alt+O "$2" >/dev/null 2>&1 ||
     ! bb_wd wait-window '#32770' "$3" 4000 >/dev/null 2>&1; then
    bb_log "keys did not open \"$3\"; posting command $1"
    bb_wd key "$main" VK_ESCAPE >/dev/null || true
    bb_wd post "$main" WM_COMMAND "$1" 0 >/dev/null
  fi
  bb_wait_window '#32770' "$3" 20000
}
CB_SETCURSEL=0x14E
BM_CLICK=0xF5

# ---- Settings: choices go to the settings file on OK ----
open_options_item 320 S 'Editor Settings'
dialog=$BB_HWND
bb_expect_eq "undo size shown" '"2048 KB"' "$(bb_control_text "$(bb_child "$dialog" 1838)")"
bb_expect_eq "frames in 2048 KB" '"10"' "$(bb_control_text "$(bb_child "$dialog" 1839)")"
bb_wd send "$(bb_child "$dialog" 1812)" $CB_SETCURSEL 4 0 >/dev/null  # loading: Original + Dither
bb_wd send "$(bb_child "$dialog" 1814)" $CB_SETCURSEL 1 0 >/dev/null  # pasting: Standard + Dither
bb_wd check "$(bb_child "$dialog" 1834)" 1 >/dev/null                  # drag with the left button
bb_wd check "$(bb_child "$dialog" 1840)" 1 >/dev/null                  # emulate fill
bb_wd check "$(bb_child "$dialog" 1837)" 1 >/dev/null                  # editor border
bb_wd check "$(bb_child "$dialog" 1830)" 0 >/dev/null                  # show image off
bb_wd set-text "$(bb_child "$dialog" 1838)" "4096" >/dev/null
bb_wait_text "$(bb_child "$dialog" 1839)" '"21"' 10
bb_wd dismiss-box 'Editor Settings' 1 10000 >/dev/null

/usr/bin/python3 - "$ini" <<'PY'
import configparser, sys
ini = configparser.ConfigParser()
ini.read(sys.argv[1])
expected = {
    ("File", "UseSavedPalette"): "2", ("File", "DitherOnOpen"): "1",
    ("Window", "UseClipboardPalette"): "0", ("File", "DitherOnPaste"): "1",
    ("Edit", "MoveKeys"): "13", ("Edit", "AlternateFill"): "2", ("Edit", "EditBorder"): "1",
    ("Edit", "ShowFrameOnInsert"): "0", ("Edit", "UndoBufferSize"): "4096", ("Window", "UseSystemPalette"): "0",
}
wrong = {k: ini.get(*k, fallback=None) for k, v in expected.items() if ini.get(*k, fallback=None) != v}
if wrong:
    sys.exit(f"settings file differs: {wrong}")
print("settings file: all ten keys as chosen")
PY

# ---- Settings: the choices are shown again; Cancel writes nothing ----
before=$(md5sum "$ini")
open_options_item 320 S 'Editor Settings'
dialog=$BB_HWND
bb_expect_line "$(bb_wd control "$(bb_child "$dialog" 1812)")" 'selected=4'
bb_expect_line "$(bb_wd control "$(bb_child "$dialog" 1834)")" 'checked=1'
bb_wd send "$(bb_child "$dialog" 1812)" $CB_SETCURSEL 0 0 >/dev/null
bb_wd check "$(bb_child "$dialog" 1835)" 1 >/dev/null
bb_wd dismiss-box 'Editor Settings' 2 10000 >/dev/null
bb_expect_eq "settings file after Cancel" "$before" "$(md5sum "$ini")"

# ---- Fill Patterns: toggled pixels are saved with "Save Patterns" ----
[ ! -e "$mus" ] || bb_fail "a pattern file before any was saved"
open_options_item 304 F 'Edit Fill Patterns'
dialog=$BB_HWND
bb_wd send "$(bb_child "$dialog" 903)" $BM_CLICK 0 0 >/dev/null  # the third pattern
grid=$(bb_wd children "$dialog" | grep ' id=921 ')
read -r gx gy gw gh < <(sed -E 's/^hwnd=0x[0-9A-Fa-f]+ (-?[0-9]+) (-?[0-9]+) ([0-9]+) ([0-9]+).*/\1 \2 \3 \4/' <<<"$grid")
click_cell() {  # X Y: a left press in the middle of the grid's cell
  bb_wd send "$dialog" WM_LBUTTONDOWN 1 "$((gx + $1 * gw / 8 + gw / 16)),$((gy + $2 * gh / 8 + gh / 16))" >/dev/null
}
click_cell 0 0
click_cell 7 7
click_cell 3 5
click_cell 3 5   # twice: white again
bb_wd check "$(bb_child "$dialog" 923)" 1 >/dev/null
bb_wd dismiss-box 'Edit Fill Patterns' 1 10000 >/dev/null
bb_until 10 test -s "$mus"

check_patterns() {  # FILE: pattern 2 black at (0,0) and (7,7), all else white
  /usr/bin/python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
if len(data) != 964:
    sys.exit(f"pattern file of {len(data)} bytes")
magic, = struct.unpack_from("<H", data, 0)
if magic != 0x554D:
    sys.exit(f"magic {magic:#x}")
for p in range(12):
    at = 4 + 80 * p
    size, w, h, planes, bits = struct.unpack_from("<IiiHH", data, at)
    if (size, w, h, planes, bits) != (40, 8, 8, 1, 1):
        sys.exit(f"pattern {p}: header {(size, w, h, planes, bits)}")
    colours = [data[at + 40 + 4 * i: at + 43 + 4 * i] for i in range(2)]
    for y in range(8):
        row = data[at + 48 + 4 * (7 - y)]  # rows are stored bottom-up
        for x in range(8):
            white = colours[(row >> (7 - x)) & 1] == b"\xff\xff\xff"
            black_expected = p == 2 and (x, y) in ((0, 0), (7, 7))
            if white == black_expected:
                sys.exit(f"pattern {p} pixel ({x},{y}) is {'white' if white else 'black'}")
print("pattern file: pattern 3 has its two black pixels, the rest is white")
PY
}
check_patterns "$mus"

# ---- Fill Patterns: Cancel neither saves nor keeps the edits ----
before=$(md5sum "$mus")
open_options_item 304 F 'Edit Fill Patterns'
dialog=$BB_HWND
bb_wd send "$(bb_child "$dialog" 901)" $BM_CLICK 0 0 >/dev/null
click_cell 4 4
bb_wd check "$(bb_child "$dialog" 923)" 1 >/dev/null
bb_wd dismiss-box 'Edit Fill Patterns' 2 10000 >/dev/null
bb_expect_eq "pattern file after Cancel" "$before" "$(md5sum "$mus")"
# Saved once more without edits: the patterns in use are those of the first OK.
open_options_item 304 F 'Edit Fill Patterns'
dialog=$BB_HWND
bb_wd check "$(bb_child "$dialog" 923)" 1 >/dev/null
bb_wd dismiss-box 'Edit Fill Patterns' 1 10000 >/dev/null
sleep 1
check_patterns "$mus"

bb_wd post "$main" WM_CLOSE 0 0 >/dev/null
bb_wd dismiss-box - No 5000 >/dev/null 2>&1 || true
