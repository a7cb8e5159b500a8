#!/usr/bin/env bash
# The animation window settings and the frame offsets in the editor on the
# sample: switching "Centre &Window Coordinates" on moves every object start,
# absolute step and region by half the 400 x 300 window in the saved file;
# offsets set for a frame land in the saved sequence file's directory; both
# files open again in the runtime player.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/../compose/sample_lib.sh"
editor_exe=$1
make_sample=$2
player_exe=$3
sample_setup "$editor_exe" "$make_sample"

# Object starts, the runner's first (absolute) step and the region, as saved.
coordinates() {
  /usr/bin/python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
seqs, objs, regs, sounds = data[4], data[5], data[6], data[7]
pos = 11
flags = data[pos + 72]
pos += 227 + 68 * seqs
out = ['flags=%d' % flags]
for r in range(regs):
    out.append('region=%d,%d,%d,%d' % struct.unpack_from('<hhhh', data, pos + 2))
    pos += 10
pos += 68 * sounds
for o in range(objs):
    count, x, y = struct.unpack_from('<hhh', data, pos + 34)
    out.append('start=%d,%d' % (x, y))
    pos += 54
    for s in range(count):
        f, sx, sy = struct.unpack_from('<xxBhh', data, pos)
        if f & 0x80: out.append('step=%d,%d' % (sx, sy))
        pos += 16
print(' '.join(out))
PY
}
before=$(coordinates sample.ans)
bb_expect_eq "sample as written" "flags=0 region=150,200,250,299 start=20,40 start=40,230 step=40,230 start=300,60" "$before"

start_editor sample.ans
editor=$EDITOR
editor_pid=$EDITOR_PID
menu=$(bb_wd menu-state "$editor" bar)
bb_expect_line "$menu" 'id=700 state=enabled'
bb_expect_line "$menu" 'id=705 state=enabled'
bb_expect_line "$menu" 'id=706 state=enabled'

bb_wd post "$editor" WM_COMMAND 700 0 >/dev/null
bb_wait_window '#32770' 'Animation Window Settings' 30000
dialog=$BB_HWND
bb_wd send "$(bb_child "$dialog" 300)" WM_USER+8 1 0 >/dev/null  # the "&Background" page
centre=$(bb_child "$dialog" 332)
bb_expect_line "$(bb_wd control "$centre")" 'text="Centre &Window Coordinates"' 'visible=1' 'checked=0'
bb_wd check "$centre" 1 >/dev/null
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null

# Offsets of frame 1 of the current object's sequence (red.bmx).
bb_wd post "$editor" WM_COMMAND 705 0 >/dev/null
bb_wait_window '#32770' 'Set Frame Offsets' 30000
offsets=$BB_HWND
bb_expect_eq "first frame shown" '"1"' "$(bb_control_text "$(bb_child "$offsets" 401)")"
bb_wd set-text "$(bb_child "$offsets" 405)" 5 >/dev/null
bb_wd set-text "$(bb_child "$offsets" 407)" -3 >/dev/null
bb_wd post "$offsets" WM_COMMAND 419 0 >/dev/null
bb_wd wait-gone "$offsets" 20000 >/dev/null

stamp=$(stat -c %Y.%s sample.ans)
bb_wd post "$editor" WM_COMMAND 112 0 >/dev/null
bb_until 30 bash -c "[ \"\$(stat -c %Y.%s sample.ans)\" != '$stamp' ]"
bb_until 10 bash -c "[ \"\$(stat -c %s red.bmx)\" -gt 0 ]"
bb_expect_eq "saved with the window origin" \
  "flags=8 region=-50,50,50,149 start=-180,-110 start=-160,80 step=-160,80 start=100,-90" "$(coordinates sample.ans)"
# The directory follows the 256-entry colour table: frame 0's offsets.
entry=$(/usr/bin/python3 -c "
import struct; d = open('red.bmx', 'rb').read()
print('%d %d' % struct.unpack_from('<bb', d, 14 + 40 + 1024 + 18))")
bb_expect_eq "frame 0 offsets in the sequence file" "5 -3" "$entry"

bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor_pid" 0 20

# The runtime player opens the saved animation.
player_opens "$player_exe" sample.ans
