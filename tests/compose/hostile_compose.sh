#!/usr/bin/env bash
# Animations at and past the tables' limits in the composition dialogs: 64
# regions (the region editor refuses a 65th), a path of 2048 steps (the path
# editor refuses it and leaves it whole), a step with sound index 200 (shown
# as "Switch off" for both kinds), and a file claiming 70 regions (refused
# with a message). The editor lives through all of it and saves a file the
# runtime player opens.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/sample_lib.sh"
editor_exe=$1
make_sample=$2
player_exe=$3
sample_setup "$editor_exe" "$make_sample"

/usr/bin/python3 - <<'PY'
import struct
settings = struct.pack('<II64sBhhBhhBhI64shh64sBBhh', 0x80CA0000, 5, b'Hostile', 0, 0, 0, 1, 200, 150, 0x20, 0,
                       0x00FF0000, b'', 0, 0, b'', 4, 3, 0, 0)
assert len(settings) == 227
sequence = struct.pack('<BBh64s', 4, 0, 256, b'red.bmx')
def record(name, count):
    return struct.pack('<B32sBhhhhhBBBhBhh', 0, name, 0x09, count, 10, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0)
def step(flags, x, y, sound=0):
    return struct.pack('<BBBhhHBBBhH', 0, 1, flags, x, y, 0, sound, 0, 0, 0, 0)
def animation(name, regions, objects):
    header = struct.pack('<HHBBBBBH', 0x4E41, 0x251, 1, len(objects), regions, 0, 1, 0)
    table = b''.join(struct.pack('<Hhhhh', 1, 2 * i, 0, 2 * i + 1, 10) for i in range(regions))
    open(name, 'wb').write(header + settings + sequence + table + b''.join(objects))
long_path = record(b'Long', 2048) + step(0, 1, 0) * 2048
loud = record(b'Loud', 2) + step(0xC0, 10, 10, 200) + step(0, 5, 0)
animation('hostile.ans', 64, [long_path, loud])
animation('over.ans', 70, [loud])
PY

BM_CLICK=0x00F5
click() { bb_wd post "$(bb_child "$1" "$2")" $BM_CLICK 0 0 >/dev/null; }

bb_park_pointer
start_editor hostile.ans
editor=$EDITOR
editor_pid=$EDITOR_PID

# ---- 64 regions: all counted, a 65th refused ----
bb_wd post "$editor" WM_COMMAND 701 0 >/dev/null
bb_wait_window '#32770' 'Define Foreground Regions...' 30000
regions=$BB_HWND
bb_wait_text "$(bb_child "$regions" 383)" '"Number of Regions: 64"' 20
bb_wd mouse "$(bb_child "$regions" 384)" click 16 48 >/dev/null
bb_wd mouse "$(bb_child "$regions" 381)" drag 100 100 150 130 >/dev/null
bb_expect_eq "regions after a drawn one" '"Number of Regions: 64"' "$(bb_control_text "$(bb_child "$regions" 383)")"
click "$regions" 1
bb_wd wait-gone "$regions" 20000 >/dev/null

# ---- "Loud" (current): its first step's sound 200 stops both kinds ----
bb_wd post "$editor" WM_COMMAND 704 0 >/dev/null
bb_wait_window '#32770' 'Define Animation Path' 30000
path=$BB_HWND
bb_wait_text "$(bb_child "$path" 380)" '"2"' 20
click "$path" 392
bb_wait_window '#32770' 'Select Sound:' 30000
sound=$BB_HWND
items=$(bb_wd items "$(bb_child "$sound" 1083)")
bb_expect_line "$items" 'index=1 selected=1' 'text="Switch off"'
bb_expect_line "$(bb_wd control "$(bb_child "$sound" 1091)")" 'visible=1 checked=1'
click "$sound" 2
bb_wd wait-gone "$sound" 20000 >/dev/null
click "$path" 2
bb_wd wait-gone "$path" 20000 >/dev/null

# ---- "Long": 2048 steps are more than the path editor holds ----
choose_object Long
bb_wd post "$editor" WM_COMMAND 704 0 >/dev/null
box=$(bb_wd dismiss-box - OK 30000)
bb_expect_line "$box" 'text="This step list has more than 999 steps and cannot be edited as a path!"'
if bb_wd wait-window '#32770' 'Define Animation Path' 3000 >/dev/null 2>&1; then
  bb_fail "the path editor opened on 2048 steps"
fi

# Saved again: every step and region is still there, and the player opens it.
mv hostile.ans before.ans
bb_wd send "$editor" WM_COMMAND 112 0 >/dev/null
bb_until 30 test -s hostile.ans
/usr/bin/python3 - before.ans hostile.ans <<'PY'
import sys
before, after = (open(name, 'rb').read() for name in sys.argv[1:])
# The counts, the regions and the objects with their steps are as they were.
tables = 11 + 227 + 68
if before[4:8] != after[4:8] or before[tables:] != after[tables:]:
    print('saved file differs: %d bytes before, %d after' % (len(before), len(after)))
    sys.exit(1)
PY

# ---- 70 regions: the file is refused, the editor goes on ----
bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor_pid" 0 30
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/over.ans")"
editor_pid=$BB_PID
box=$(bb_wd dismiss-box - OK 30000)
bb_expect_line "$box" "icon=error"
bb_wait_window Zelvo - 30000
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor_pid" 0 30

player_opens "$player_exe" hostile.ans
