#!/usr/bin/env bash
# The path editor and the foreground regions in the editor on the sample:
# "&Path Animation..." on Runner (a cycle definition) warns first, its
# "Path Options" give the path an endless repeat; a region is drawn with the
# mouse in "Define Foreground Regions..."; the saved animation holds the path
# as relative steps with a counter condition on the last one and the new
# region, and opens again in the runtime player.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/sample_lib.sh"
editor_exe=$1
make_sample=$2
player_exe=$3
sample_setup "$editor_exe" "$make_sample"

start_editor sample.ans
editor=$EDITOR
editor_pid=$EDITOR_PID
menu=$(bb_wd menu-state "$editor" bar)
bb_expect_line "$menu" 'id=701 state=enabled'
bb_expect_line "$menu" 'id=704 state=enabled'
BM_CLICK=0x00F5

# Runner becomes the current object.
choose_object Runner

# Its step list is a cycle definition: the warning comes first.
bb_wd post "$editor" WM_COMMAND 704 0 >/dev/null
box=$(bb_wd dismiss-box Warning OK 30000)
bb_expect_line "$box" 'text="Changing the current cycle definition to a path animation causes conditon statements and branches to be lost!"'
bb_expect_line "$box" 'buttons=OK,Cancel'
bb_wait_window '#32770' 'Define Animation Path' 30000
path=$BB_HWND
bb_wait_text "$(bb_child "$path" 380)" '"5"' 20
bb_wd post "$(bb_child "$path" 397)" $BM_CLICK 0 0 >/dev/null
bb_wait_window '#32770' 'Path Options' 30000
options=$BB_HWND
bb_wd check "$(bb_child "$options" 399)" 1 >/dev/null
bb_wd post "$(bb_child "$options" 1)" $BM_CLICK 0 0 >/dev/null
bb_wd wait-gone "$options" 20000 >/dev/null
bb_wd post "$(bb_child "$path" 1)" $BM_CLICK 0 0 >/dev/null
bb_wd wait-gone "$path" 20000 >/dev/null

# A region drawn with the mouse: the new-region icon of the strip, then a
# drag over the editor (window pixel = client pixel - 32 at 1:1).
bb_wd post "$editor" WM_COMMAND 701 0 >/dev/null
bb_wait_window '#32770' 'Define Foreground Regions...' 30000
regions=$BB_HWND
bb_wait_text "$(bb_child "$regions" 383)" '"Number of Regions: 1"' 20
bb_wd mouse "$(bb_child "$regions" 384)" click 16 48 >/dev/null
bb_wd mouse "$(bb_child "$regions" 381)" drag 42 42 92 72 >/dev/null
bb_wait_text "$(bb_child "$regions" 383)" '"Number of Regions: 2"' 20
bb_wd post "$(bb_child "$regions" 1)" $BM_CLICK 0 0 >/dev/null
bb_wd wait-gone "$regions" 20000 >/dev/null

stamp=$(stat -c %Y.%s sample.ans)
bb_wd send "$editor" WM_COMMAND 112 0 >/dev/null
bb_until 30 bash -c "[ \"\$(stat -c %Y.%s sample.ans)\" != '$stamp' ]"

/usr/bin/python3 - sample.ans <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
magic, version, seqs, objs, nregions, sounds, current, _ = struct.unpack_from('<HHBBBBBH', data, 0)
pos = 11 + 227 + 68 * seqs
regions = [struct.unpack_from('<Hhhhh', data, pos + 10 * i) for i in range(nregions)]
pos += 10 * nregions + 68 * sounds
record = struct.Struct('<B32sBhhhhhBBBhBhh')
step = struct.Struct('<BBBhhHBBBhH')
objects = []
for i in range(objs):
    r = record.unpack_from(data, pos)
    pos += record.size
    objects.append((r, [step.unpack_from(data, pos + k * step.size) for k in range(r[3])]))
    pos += step.size * r[3]
assert pos == len(data), (pos, len(data))
fail = []
def expect(what, want, got):
    if want != got:
        fail.append(f'{what}: expected {want!r}, got {got!r}')
expect('regions', [(0, 150, 200, 250, 299), (1, 10, 10, 60, 40)], regions)
runner, steps = objects[1]
expect('Runner flags (a path in use)', 0x09, runner[2])
expect('Runner start', (40, 230), (runner[4], runner[5]))
# frameIndex waitCount stepFlags x y maskHigh sound condition param jump maskLow
expect('first step absolute', (0, 1, 0xC0, 40, 230), steps[0][:5])
expect('moves', [(8, 0)] * 4, [s[3:5] for s in steps[1:]])
expect('frames', [0, 1, 2, 3, 0], [s[0] for s in steps])
expect('conditions (the key branch is gone)', [0, 0, 0, 0, 1], [s[7] for s in steps])
expect('endless repeat', (0, 0), (steps[4][8], steps[4][9]))
expect('other objects', ['Bouncer', 'Path'], [o[0][1].split(b'\0')[0].decode() for o in (objects[0], objects[2])])
if fail:
    print('\n'.join(fail))
    sys.exit(1)
PY

bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor_pid" 0 30

player_opens "$player_exe" sample.ans
