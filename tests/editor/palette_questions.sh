#!/usr/bin/env bash
# The palette questions as a user meets them in the editor. A 256-colour
# bitmap whose palette is not the standard one, opened from the command line,
# asks "Color Palette Request" with three choices, and each answer shows in
# the frame saved back: the nearest standard colour, a dither of standard
# colours, or the bitmap's own colour; Cancel opens nothing. A picture of
# such colours pasted into the sequence asks the request for the current
# palette: its colours, or a dither of them.
#   palette_questions.sh ZELVO.exe DocTool.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
mkdir -p "$BB_WORK/ed"
cp "$1" "$BB_WORK/ed/ZELVO.exe"
doctool=$2
cd "$BB_WORK"

# 32 x 16 pixels of one colour, (100, 200, 80), in a palette of odd colours.
# Its nearest standard colour is the cube's (112, 192, 72), well apart from
# the next ones, so mapping gives that colour alone and dithering several.
make_foreign() {  # FILE
  /usr/bin/python3 - "$1" <<'PY'
import struct, sys
table = [((i * 4) & 0xFC, (252 - i * 2) & 0xFC, (i * 12) & 0xFC) for i in range(256)]
table[100] = (100, 200, 80)
w, h = 32, 16
rows = bytes([100] * w) * h
colours = b"".join(bytes((b, g, r, 0)) for r, g, b in table)
offset = 14 + 40 + len(colours)
with open(sys.argv[1], "wb") as f:
    f.write(b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset))
    f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(rows), 2835, 2835, 256, 0))
    f.write(colours + rows)
PY
}
# The colours of a saved picture, most frequent first: "RRGGBB:count ...".
colours() {
  /usr/bin/python3 - "$1" <<'PY'
import sys
from PIL import Image
counts = Image.open(sys.argv[1]).convert("RGB").getcolors(1 << 16)
print(" ".join("%02X%02X%02X:%d" % (c[0], c[1], c[2], n) for n, c in sorted(counts, reverse=True)))
PY
}
count_of() { wc -w <<<"$1" | tr -d ' '; }

start() {  # FILE: the editor on FILE; sets editor and main once its window shows
  bb_park_pointer
  bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/$1")"
  editor=$BB_PID
}
# The title of a bitmap document does not name the file: the frame reel
# shows once the frame is loaded.
frames_shown() { bb_wd children "$main" | grep 'class="FRAMES"' | grep 'visible=1' >/dev/null; }
opened() {
  bb_wait_window Zelvo - 30000
  main=$BB_HWND
  bb_until 20 frames_shown
}
dump_frames() {  # SEQUENCE PREFIX: each frame as PREFIXn.ppm, once the file is whole
  "$ZELVO_WINE" "$doctool" dump-frames "$(bb_winpath "$BB_WORK/$1")" "$2" >/dev/null
}
command() { bb_wd send "$main" WM_COMMAND "$1" 0 >/dev/null; }
# Marks the frame changed without changing it (two flips) and saves it.
save_frame() {  # FILE
  local before
  before=$(md5sum "$1")
  command 510
  command 510
  command 112
  bb_until 20 bash -c '[ "$(md5sum "$1")" != "$2" ]' _ "$1" "$before"
}
# What is to be seen is saved: the editor goes without its closing questions.
close_editor() { bb_kill "$editor"; }

# ---- loading: the three answers ----
for answer in 0 1 2; do
  make_foreign "load$answer.bmp"
  start "load$answer.bmp"
  question=$(bb_answer_palette_request "$answer")
  bb_expect_eq "the question on loading" \
    'text="The color palette of the image(s) does not match the standard color palette."' "$question"
  opened
  save_frame "load$answer.bmp"
  got=$(colours "load$answer.bmp")
  case $answer in
    0) bb_expect_eq "mapped to the standard palette" "70C048:512" "$got" ;;
    1) [ "$(count_of "$got")" -gt 1 ] || bb_fail "dithering gave one colour: $got"
       [[ " $got" == *" 70C048:"* ]] || bb_fail "the dither lacks the nearest colour: $got" ;;
    2) bb_expect_eq "the bitmap's own colour" "64C850:512" "$got" ;;
  esac
  close_editor
done

# ---- loading: Cancel opens nothing ----
make_foreign cancelled.bmp
cp cancelled.bmp cancelled-before.bmp
start cancelled.bmp
bb_answer_palette_request cancel >/dev/null
bb_wait_window Zelvo "~Zelvo" 30000
main=$BB_HWND
bb_expect_line "$(bb_wd children "$main")" 'class="FRAMES"' 'visible=0'
cmp -s cancelled.bmp cancelled-before.bmp || bb_fail "the cancelled file was changed"
close_editor

# ---- pasting into the sequence: the current palette's two answers ----
make_foreign clip.bmp
"$ZELVO_WINE" "$doctool" clip-bmp "$(bb_winpath "$BB_WORK/clip.bmp")" >/dev/null ||
  bb_fail "cannot put the picture on the clipboard"
for answer in 0 1; do
  make_foreign "paste$answer.bmp"
  start "paste$answer.bmp"
  bb_answer_palette_request 0 >/dev/null
  opened
  bb_wd post "$main" WM_COMMAND 210 0 >/dev/null   # Paste into sequence
  question=$(bb_answer_palette_request "$answer")
  bb_expect_eq "the question on pasting" \
    'text="The color palette of the image does not match the current color palette."' "$question"
  # Saved as a sequence through "Save Sequence": the pasted frame is frame 1.
  bb_wd post "$main" WM_COMMAND 112 0 >/dev/null
  bb_wait_window '#32770' "Save Sequence" 20000
  chooser=$BB_HWND
  bb_wd set-text "$(bb_child "$chooser" 1148)" "$(bb_winpath "$BB_WORK/pasted$answer.bmx")" >/dev/null
  bb_wd post "$chooser" WM_COMMAND IDOK 0 >/dev/null
  bb_wd wait-gone "$chooser" 20000 >/dev/null
  mkdir "frames$answer"
  bb_until 20 dump_frames "pasted$answer.bmx" "frames$answer/f"
  pasted=frames$answer/f1.ppm
  got=$(colours "$pasted")
  case $answer in
    0) bb_expect_eq "pasted in the current colours" "70C048:512" "$got" ;;
    1) [ "$(count_of "$got")" -gt 1 ] || bb_fail "the dithered paste has one colour: $got"
       [[ " $got" == *" 70C048:"* ]] || bb_fail "the dithered paste lacks the nearest colour: $got" ;;
  esac
  close_editor
done
