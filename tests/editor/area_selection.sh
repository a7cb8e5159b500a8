#!/usr/bin/env bash
# The area selection as a user drives it in the editor, with bitmap frames
# opened from the command line: a rectangle dragged with tool 10 retitles
# item 208, the area moved with the right button (cut, floated, placed), a
# click that clears, and a stretch through the transform window (512); each
# time the frame is saved with 112 and its pixels read by python.
#   area_selection.sh ZELVO.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
mkdir -p "$BB_WORK/ed"
cp "$1" "$BB_WORK/ed/ZELVO.exe"
cd "$BB_WORK"
printf '[File]\r\nBMX-Compression=0\r\n' >"$BB_WORK/ed/ZELVO.ini"
# A 48 x 40 frame whose every pixel differs from its neighbours, on white
# (the frame's transparent colour is the white of its corner).
/usr/bin/python3 - <<'EOF'
from PIL import Image
img = Image.new("RGB", (48, 40), (255, 255, 255))
for y in range(4, 20):
    for x in range(4, 24):
        img.putpixel((x, y), (x * 9, y * 11, (x * 7 + y * 3) % 200))
img.save("f1.bmp")
img.save("original.bmp")
Image.new("RGB", (48, 40), (255, 255, 255)).save("f2.bmp")
EOF

bb_park_pointer
bb_start ed/ZELVO.exe -r f1.bmp f2.bmp
editor=$BB_PID
bb_wait_window Zelvo - 30000
main=$BB_HWND
canvas=$(bb_wd children "$main" | grep 'class="ANIEDIT"' | head -1 | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
[ -n "$canvas" ] || bb_fail "no canvas: $(bb_wd children "$main")"

command() { bb_wd send "$main" WM_COMMAND "$1" 0 >/dev/null; }
# Sent, not posted: the canvas takes them in order, before the save.
mouse() {  # down|move|up X Y [right]
  local button=L keys=MK_LBUTTON
  [ "${4:-}" = right ] && button=R keys=MK_RBUTTON
  case $1 in
    down) bb_wd send "$canvas" WM_${button}BUTTONDOWN "$keys" "$2,$3" >/dev/null ;;
    move) bb_wd send "$canvas" WM_MOUSEMOVE "$keys" "$2,$3" >/dev/null ;;
    up) bb_wd send "$canvas" WM_${button}BUTTONUP 0 "$2,$3" >/dev/null ;;
  esac
}
drag() {  # X1 Y1 X2 Y2 [right]
  mouse down "$1" "$2" "${5:-}"
  mouse move $((($1 + $3) / 2)) $((($2 + $4) / 2)) "${5:-}"
  mouse move "$3" "$4" "${5:-}"
  mouse up "$3" "$4" "${5:-}"
}
save() {  # the current frame into f1.bmp, copied to saved.bmp
  local before
  before=$(md5sum f1.bmp)
  command 112
  bb_until 20 bash -c '[ "$(md5sum f1.bmp)" != "$1" ]' _ "$before"
  cp f1.bmp saved.bmp
}
item_208() { bb_wd menu-state "$main" | grep "id=208 " || true; }
# check.py KIND ARGS: compares saved.bmp with original.bmp; prints what differs.
check() { /usr/bin/python3 "$BB_WORK/check.py" "$@"; }
cat >"$BB_WORK/check.py" <<'EOF'
import sys
from PIL import Image
kind = sys.argv[1]
a = Image.open("original.bmp").convert("RGB")
b = Image.open("saved.bmp").convert("RGB")
white = (255, 255, 255)
bad = []
def expect(x, y, want):
    if b.getpixel((x, y)) != want:
        bad.append(f"({x},{y}) {b.getpixel((x, y))} != {want}")
if kind == "move":  # area L T R B moved by DX DY, its place left white
    L, T, R, B, dx, dy = map(int, sys.argv[2:])
    for y in range(40):
        for x in range(48):
            if L + dx <= x <= R + dx and T + dy <= y <= B + dy:
                want = a.getpixel((x - dx, y - dy))
            elif L <= x <= R and T <= y <= B:
                want = white
            else:
                want = a.getpixel((x, y))
            expect(x, y, want)
elif kind == "double":  # area L T R B stretched to twice its size from L T
    L, T, R, B = map(int, sys.argv[2:])
    for y in range(T, T + 2 * (B - T + 1)):
        for x in range(L, L + 2 * (R - L + 1)):
            expect(x, y, a.getpixel((L + (x - L) // 2, T + (y - T) // 2)))
    for y in range(40):
        for x in range(48):
            if not (L <= x < L + 2 * (R - L + 1) and T <= y < T + 2 * (B - T + 1)):
                expect(x, y, a.getpixel((x, y)))
print(len(bad), "; ".join(bad[:5]))
EOF

command 350  # 1:1
command 980  # the first frame
# ---- tool 10: a rectangle; item 208 becomes "Clear Selection" ----
bb_expect_line "$(item_208)" 'text="Clear &Frame'
command 366
drag 4 4 19 15
bb_expect_line "$(item_208)" 'text="Clear &Selection'
# ---- the right button inside the area (away from its corners) moves it by (20, 15) ----
drag 11 9 31 24 right
save
result=$(check move 4 4 19 15 20 15)
bb_expect_eq "area moved by the right button" "0 " "$result"
cp saved.bmp original.bmp
# The moved area is the selection; a click outside clears it.
bb_expect_line "$(item_208)" 'text="Clear &Selection'
drag 2 36 2 36
bb_expect_line "$(item_208)" 'text="Clear &Frame'

# ---- the transform window: Stretch (cell 1) doubles a 6 x 5 area of the moved picture ----
drag 26 20 31 24
command 512
transform_shown() { grep -q 'visible=1' <<<"$(bb_wd windows COMMON)"; }
bb_until 10 transform_shown
transform=$(grep 'visible=1' <<<"$(bb_wd windows COMMON)" | head -1 | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
grid=$(bb_wd children "$transform" | grep 'class="Button"' | head -1 | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
[ -n "$grid" ] || bb_fail "no grid in the transform window: $(bb_wd children "$transform")"
bb_wd mouse "$grid" click 57 14 >/dev/null
drag 31 24 37 29
save
result=$(check double 26 20 31 24)
bb_expect_eq "area stretched through the transform window" "0 " "$result"
command 512  # closed again
bb_wd wait-gone "$transform" 10000 >/dev/null

bb_kill "$editor"
echo "area selection checks passed"
