#!/usr/bin/env bash
# The composition dialogs in the editor on the sample animation, driven as a
# user drives them: Select Object makes "Runner" current, Define Animation
# Sequence gives it a reverse motion (and asks to leave its step list), New
# Object adds "Extra", Define Cycle takes a typed X and a delay changed over
# every step through Alt+D (the keyboard hook, with real keys: "Change Delay",
# not the "&Delete" button), then Save writes the records and steps that the
# controls made, read back here with python's struct.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/sample_lib.sh"
editor_exe=$1
make_sample=$2
sample_setup "$editor_exe" "$make_sample"

start_editor sample.ans
editor=$EDITOR
editor_pid=$EDITOR_PID
menu=$(bb_wd menu-state "$editor" bar)
for id in 600 601 602 702 703; do bb_expect_line "$menu" "id=$id state=enabled"; done

EM_SETSEL=0x00B1
WM_CHAR=0x0102
BM_CLICK=0x00F5

choose_object Runner

# Define Animation Sequence for Runner: start X typed, Reverse, OK; it has a
# step list, so the editor asks whether the sequence animation is to be used.
bb_wd post "$editor" WM_COMMAND 702 0 >/dev/null
bb_wait_window '#32770' 'Define Animation Sequence' 30000
dialog=$BB_HWND
startx=$(bb_child "$dialog" 361)
bb_wd send "$startx" $EM_SETSEL 0 -1 >/dev/null
for ch in 45 53; do bb_wd send "$startx" $WM_CHAR $ch 0 >/dev/null; done   # "-5"
bb_wait_text "$startx" '"-5"' 20
bb_wd send "$(bb_child "$dialog" 352)" $BM_CLICK 0 0 >/dev/null
bb_wd post "$(bb_child "$dialog" 1)" $BM_CLICK 0 0 >/dev/null
box=$(bb_wd dismiss-box Warning Yes 30000)
bb_expect_line "$box" 'text="A cycle definition has been defined for this object!\nDo you want to use the seqence animation instead?"'
bb_expect_line "$box" 'icon=question'
bb_wd wait-gone "$dialog" 20000 >/dev/null

# New Object "Extra" on the current object's sequence.
bb_wd post "$editor" WM_COMMAND 601 0 >/dev/null
bb_wait_window '#32770' 'New Object' 30000
dialog=$BB_HWND
bb_wait_text "$(bb_child "$dialog" 1202)" '"Object 4"' 20
bb_wd set-text "$(bb_child "$dialog" 1202)" Extra >/dev/null
bb_wd post "$(bb_child "$dialog" 1)" $BM_CLICK 0 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null

# Back to Runner, then its cycle.
choose_object Runner

bb_wd post "$editor" WM_COMMAND 703 0 >/dev/null
bb_wait_window '#32770' 'Define Cycle - Runner' 30000
cycle=$BB_HWND
menu=$(bb_wd menu-state "$cycle" bar)
bb_expect_line "$menu" 'id=10001 state=enabled checked=1' 'text="Runner"'
bb_expect_line "$menu" 'id=10003' 'text="Extra"'
bb_expect_line "$menu" 'id=10117' 'text="Key not pressed"'
bb_wait_text "$(bb_child "$cycle" 1011)" '"40"' 20

# Alt+D: the hook posts "Change Delay..." and swallows the button's mnemonic.
bb_wd keys "$cycle" alt+D >/dev/null
bb_wait_window '#32770' 'Change Delay' 30000
change=$BB_HWND
bb_wd set-text "$(bb_child "$change" 1404)" 5 >/dev/null
bb_wd send "$(bb_child "$change" 1408)" $BM_CLICK 0 0 >/dev/null   # from the beginning
bb_wd post "$(bb_child "$change" 1)" $BM_CLICK 0 0 >/dev/null
bb_wd wait-gone "$change" 20000 >/dev/null
bb_wait_text "$(bb_child "$cycle" 1015)" '"6"' 20

# The first step's X typed into its field, then OK: the list and the step
# list bit (asked for, the sequence animation being in use now).
x=$(bb_child "$cycle" 1011)
bb_wd send "$x" $EM_SETSEL 0 -1 >/dev/null
for ch in 55 55; do bb_wd send "$x" $WM_CHAR $ch 0 >/dev/null; done   # "77"
bb_wait_text "$x" '"77"' 20
bb_wd post "$(bb_child "$cycle" 1009)" $BM_CLICK 0 0 >/dev/null
box=$(bb_wd dismiss-box Warning Yes 30000)
bb_expect_line "$box" 'text="A sequence animation has been defined for this object.\nDo you want to use the cycle definition instead?"'
bb_wd wait-gone "$cycle" 20000 >/dev/null

# Save: the command returns once the file is written.
bb_wd send "$editor" WM_COMMAND 112 0 >/dev/null

/usr/bin/python3 - sample.ans <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
magic, version, seqs, objs, regions, sounds, current, _ = struct.unpack_from('<HHBBBBBH', data, 0)
pos = 11 + 227 + 68 * seqs + 10 * regions + 68 * sounds
record = struct.Struct('<B32sBhhhhhBBBhBhh')
step = struct.Struct('<BBBhhHBBBhH')
objects = []
for i in range(objs):
    r = record.unpack_from(data, pos)
    pos += record.size
    steps = [step.unpack_from(data, pos + k * step.size) for k in range(r[3])]
    pos += step.size * r[3]
    objects.append((r, steps))
assert pos == len(data), (pos, len(data))
fail = []
def expect(what, want, got):
    if want != got:
        fail.append(f'{what}: expected {want!r}, got {got!r}')
expect('object count', 4, objs)
expect('current object', 1, current)
names = [o[0][1].split(b'\0')[0].decode() for o in objects]
expect('names', ['Bouncer', 'Runner', 'Path', 'Extra'], names)
runner, rsteps = objects[1]
# sequenceIndex name flags stepCount startX startY dx dy frameDelay moveDelay motionFlags repeatCount
expect('Runner flags (step list again)', 0x01, runner[2])
expect('Runner start X', -5, runner[4])
expect('Runner motion (Reverse alone)', 0x80, runner[10])
expect('Runner step count', 5, runner[3])
expect('Runner frames', [0, 1, 2, 3, 0], [s[0] for s in rsteps])
expect('Runner delays (1 altered by 5)', [6] * 5, [s[1] for s in rsteps])
expect('Runner X values', [77, 8, 8, 8, 8], [s[3] for s in rsteps])
expect('Runner key condition kept', (0x80, 0x20, 0), (rsteps[3][7], rsteps[3][8], rsteps[3][9]))
extra, esteps = objects[3]
expect('Extra sequence', 1, extra[0])
expect('Extra steps', 0, extra[3])
if fail:
    print('\n'.join(fail))
    sys.exit(1)
EOF

bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor_pid" 0 30
