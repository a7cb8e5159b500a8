#!/usr/bin/env bash
# Two film strips as the cycle dialog holds them: the frames of a sequence
# and a step list. Selecting and deleting steps through the strip's messages
# notifies the parent, renumbers the jump targets and leaves exactly the
# expected bytes; both strips show the frames' colours in their thumbnails.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
host=$1
cd "$BB_WORK"
"$ZELVO_WINE" "$host" --make-fixture "$(bb_winpath "$BB_WORK")" </dev/null
[ -s strip.bmx ] || bb_fail "no fixture sequence"

# Six steps (ObjectStep records): frames 0 1 2 3 0 1; step 2 jumps to 4,
# step 5 to 1; step 3 holds a target without a condition.
/usr/bin/python3 - <<'PY'
import struct
def step(frame, condition=0, target=0):
    return struct.pack('<BBBxiiHBB3sBiH2x', frame, 1, 0, 10 * frame, -frame, 0x8001, 0, condition, b'\0\0\0', 0, target, 7)
open('steps.bin', 'wb').write(b''.join([step(0), step(1), step(2, 1, 4), step(3, 0, 5), step(0), step(1, 1, 1)]))
open('expected.bin', 'wb').write(b''.join([step(0), step(2, 1, 3), step(3, 0, 5), step(0)]))
PY

bb_start "$host" "Strips $BB_TAG" "$(bb_winpath "$BB_WORK/strip.bmx")" "$(bb_winpath "$BB_WORK/steps.bin")" \
  "$(bb_winpath "$BB_WORK/out.bin")"
host_pid=$BB_PID
bb_wait_window StripHost "Strips $BB_TAG" 30000
window=$BB_HWND
frames=$(bb_child "$window" 1001)
steps=$(bb_child "$window" 1002)
notice=$(bb_child "$window" 100)

bb_expect_eq "steps" "result=6" "$(bb_wd send "$steps" WM_USER+257 0 0)"
bb_expect_eq "select" "result=0" "$(bb_wd send "$steps" WM_USER+259 1 0)"
bb_wait_text "$notice" '"id=1002 code=1 param=1"' 10
# Deleting the selected step: the selection stays on index 1, which now
# shows the next step, and the parent hears of the change there.
bb_expect_eq "delete the selected step" "result=1" "$(bb_wd send "$steps" WM_USER+277 1 0)"
bb_wait_text "$notice" '"id=1002 code=4 param=1"' 10
bb_expect_eq "delete the last step" "result=1" "$(bb_wd send "$steps" WM_USER+277 4 0)"
bb_expect_eq "notice unchanged" '"id=1002 code=4 param=1"' "$(bb_control_text "$notice")"
bb_expect_eq "an index past the end" "result=0" "$(bb_wd send "$steps" WM_USER+277 4 0)"
bb_expect_eq "modified" "result=1" "$(bb_wd send "$steps" WM_USER+278 0 0)"

bb_wd capture-window "$frames" frames.bmp client >/dev/null
height=$(identify -format '%h' frames.bmp)
# Thumbnails are square (16 x 16 frames) from y 8, as high as the strip
# minus the two sprocket bands and the scroll bar: the red rows of the first.
thumb=$(/usr/bin/python3 -c "
from PIL import Image
im = Image.open('frames.bmp').convert('RGB')
print(sum(1 for y in range(8, im.height) if im.getpixel((12, y)) == (255, 0, 0)))")
[ "$thumb" -ge 8 ] || bb_fail "thumbnails of $thumb rows in a strip $height high"
cell=$((thumb + 10))
# A real click on the third thumbnail of the frames strip selects frame 2; a
# real double click on the film beyond the thumbnails reports the keys held.
bb_wd mouse "$frames" click $((2 * cell + 10 + thumb / 2)) $((8 + thumb / 2)) >/dev/null
bb_wait_text "$notice" '"id=1001 code=1 param=2"' 10
bb_wd mouse "$frames" double $((6 * cell + 10)) $((8 + thumb / 2)) >/dev/null
bb_wait_text "$notice" '"id=1001 code=5 param=1"' 10

# What the thumbnails show: frames red, green, blue, yellow, magenta; the
# steps 0, 2, 3, 0 after the deletes, the selected one framed in green.
expect_thumbnails() {  # STRIP FILE COLOURS...
  local strip=$1 file=$2 i=0 colour
  shift 2
  bb_wd capture-window "$strip" "$file" client >/dev/null
  for colour in "$@"; do
    local x=$((i * cell + 10 + thumb / 2)) y=$((8 + thumb / 2))
    bb_expect_eq "thumbnail $i of $file" "$colour" "$(bb_png_pixel "$file" $x $y)"
    i=$((i + 1))
  done
  # The film beyond the last thumbnail.
  bb_expect_eq "film after the thumbnails of $file" "#808000" "$(bb_png_pixel "$file" $((i * cell + 10 + thumb / 2)) $((8 + thumb / 2)))"
}
expect_thumbnails "$frames" frames.bmp "#FF0000" "#00FF00" "#0000FF" "#FFFF00" "#FF00FF"
expect_thumbnails "$steps" steps.bmp "#FF0000" "#0000FF" "#FFFF00" "#FF0000"
bb_expect_eq "selection frame around step 1" "#00FF00" "$(bb_png_pixel steps.bmp $((cell + 10 - 5)) $((8 + thumb / 2)))"

bb_wd post "$window" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$host_pid" 0 20
cmp -s out.bin expected.bin || bb_fail "steps after the deletes: $(xxd out.bin | head -8) expected $(xxd expected.bin | head -8)"
