#!/usr/bin/env bash
# The palette window as a user drives it in the editor, with a 16-colour
# bitmap opened from the command line: its cells show the palette's colours,
# clicks set the pen and fill swatches, and a drag from the red cell onto the
# yellow cell turns the frame's red pixels yellow in the saved file.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
cd "$BB_WORK"
# White with a red square and a blue one, 4 bits per pixel, with the 16
# static colours as its palette in their usual order.
/usr/bin/python3 - <<'PY'
import struct
colours = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
w = h = 32
def index(x, y):
    if 4 <= x <= 11 and 4 <= y <= 11: return 9
    if 20 <= x <= 27 and 20 <= y <= 27: return 12
    return 15
rows = b""
for y in reversed(range(h)):
    rows += bytes((index(x, y) << 4) | index(x + 1, y) for x in range(0, w, 2))
table = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
offset = 14 + 40 + len(table)
with open("f1.bmp", "wb") as f:
    f.write(b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset))
    f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(rows), 2835, 2835, 16, 16))
    f.write(table + rows)
PY
cp f1.bmp original.bmp

bb_start ed/ZELVO.exe -r f1.bmp
bb_wait_window Zelvo - 30000
main=$BB_HWND
palette=$(bb_wd children "$main" | grep 'class="PALETTE"' | head -1 | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
[ -n "$palette" ] || bb_fail "no palette window: $(bb_wd children "$main")"

pixel() {  # FILE X Y: #RRGGBB
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -1 | grep -o '#[0-9A-Fa-f]\{6\}' | head -1
}
picture() { bb_wd capture-window "$palette" palette.bmp client >/dev/null; }
# The middle of cell C of the 16-colour layout (two columns of eight, 28 x 28
# under the 28-pixel indicator).
cell_x() { echo $(( ($1 / 8) * 28 + 14 )); }
cell_y() { echo $(( 28 + ($1 % 8) * 28 + 14 )); }
send() { bb_wd send "$palette" "$@" >/dev/null; }

# ---- the cells show the 16 static colours in palette order ----
expected=(000000 800000 008000 808000 000080 800080 008080 C0C0C0 808080 FF0000 00FF00 FFFF00 0000FF FF00FF 00FFFF FFFFFF)
picture
for c in $(seq 0 15); do
  bb_expect_eq "cell $c" "#${expected[$c]}" "$(pixel palette.bmp "$(cell_x $c)" "$(cell_y $c)")"
done

# ---- a left click on red sets the pen swatch, a right click on blue the fill ----
send WM_LBUTTONDOWN MK_LBUTTON "$(cell_x 9),$(cell_y 9)"
send WM_LBUTTONUP 0 "$(cell_x 9),$(cell_y 9)"
send WM_RBUTTONDOWN MK_RBUTTON "$(cell_x 12),$(cell_y 12)"
send WM_RBUTTONUP 0 "$(cell_x 12),$(cell_y 12)"
picture
bb_expect_eq "pen and fill swatches" "#FF0000 #0000FF" "$(pixel palette.bmp 6 12) $(pixel palette.bmp 50 12)"

# ---- a drag from red onto yellow replaces red in the frame ----
send WM_LBUTTONDOWN MK_LBUTTON "$(cell_x 9),$(cell_y 9)"
send WM_MOUSEMOVE MK_LBUTTON "$(cell_x 11),$(cell_y 11)"
send WM_LBUTTONUP 0 "$(cell_x 11),$(cell_y 11)"
before=$(md5sum f1.bmp)
bb_wd send "$main" WM_COMMAND 112 0 >/dev/null
bb_until 20 bash -c '[ "$(md5sum f1.bmp)" != "$1" ]' _ "$before"
convert original.bmp -fill yellow -opaque red expected.bmp
bb_expect_eq "red pixels became yellow, nothing else changed" 0 \
  "$(compare -metric AE f1.bmp expected.bmp null: 2>&1 || true)"
bb_expect_eq "a former red pixel" "#FFFF00" "$(pixel f1.bmp 6 6)"
