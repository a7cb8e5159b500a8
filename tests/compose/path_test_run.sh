#!/usr/bin/env bash
# The test run from the path editor in the editor on the sample: the last
# icon of the tool strip opens the real "Animation" window on the path as
# drawn (here mirrored left-right) while the path dialog waits disabled, with
# the Control Center when Ctrl is held; when the window is gone the dialog
# works again, and after Cancel the object runs its own steps as before.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/sample_lib.sh"
sample_setup "$1" "$2"

BM_CLICK=0x00F5
WM_SYSCOMMAND=0x0112
SC_CLOSE=0xF060
MIRROR_LEFT_RIGHT=4
TEST_RUN=7

click() { bb_wd post "$(bb_child "$1" "$2")" $BM_CLICK 0 0 >/dev/null; }
enabled() { bb_wd control "$1" | grep -o 'enabled=[01]'; }
# The Control Center's X and Y of the observed (current) object: where its
# first step has put it.
position() { echo "$(bb_control_text "$(bb_child "$1" 1305)") $(bb_control_text "$(bb_child "$1" 1307)")"; }

bb_park_pointer
start_editor sample.ans
editor=$EDITOR
editor_pid=$EDITOR_PID
# "Path" becomes the current object: a square walked from (310,60) by
# relative steps, its start (300,60).
choose_object Path

open_path() {  # sets PATH_DIALOG and STRIP
  bb_wd post "$editor" WM_COMMAND 704 0 >/dev/null
  bb_wait_window '#32770' 'Define Animation Path' 30000
  PATH_DIALOG=$BB_HWND
  bb_wait_text "$(bb_child "$PATH_DIALOG" 380)" '"16"' 20
  STRIP=$(bb_child "$PATH_DIALOG" 387)
}
open_path
# Mirrored left-right within x 300..340: node 1 goes from x 310 to x 330.
bb_wd click "$STRIP" 16 $((MIRROR_LEFT_RIGHT * 32 + 16)) >/dev/null

# ---- the test run without Ctrl: the "Animation" window alone ----
bb_wd mouse "$STRIP" click 16 $((TEST_RUN * 32 + 16)) >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
run=$BB_HWND
bb_expect_eq "client size" "400 300" "$BB_CW $BB_CH"
bb_expect_eq "path dialog while the run lives" "enabled=0" "$(enabled "$PATH_DIALOG")"
if bb_wd windows '#32770' | grep ' visible=1 ' | grep 'title="Control Center"' >/dev/null; then
  bb_fail "a Control Center without Ctrl"
fi
bb_wd post "$run" WM_CLOSE 0 0 >/dev/null
bb_wd wait-gone "$run" 20000 >/dev/null
bb_until 20 bash -c "[ \"\$('$ZELVO_WINE' '$ZELVO_WINDRIVER' control $PATH_DIALOG | grep -o 'enabled=[01]')\" = enabled=1 ]"

# ---- with Ctrl: the Control Center watches the mirrored path ----
bb_hold ctrl bb_wd mouse "$STRIP" click 16 $((TEST_RUN * 32 + 16)) >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
run=$BB_HWND
bb_wait_window '#32770' "Control Center" 30000
center=$BB_HWND
bb_wait_text "$(bb_child "$center" 1301)" '"1"' 20
mirrored=$(position "$center")
bb_expect_eq "node 1 of the mirrored path" '"330" "60"' "$mirrored"
bb_wd post "$center" $WM_SYSCOMMAND $SC_CLOSE 0 >/dev/null
bb_wd wait-gone "$run" 20000 >/dev/null
bb_until 20 bash -c "[ \"\$('$ZELVO_WINE' '$ZELVO_WINDRIVER' control $PATH_DIALOG | grep -o 'enabled=[01]')\" = enabled=1 ]"

# The dialog still edits: mirrored back and cancelled all the same.
bb_wd click "$STRIP" 16 $((MIRROR_LEFT_RIGHT * 32 + 16)) >/dev/null
click "$PATH_DIALOG" 2
bb_wd wait-gone "$PATH_DIALOG" 20000 >/dev/null

# ---- Control Centre from the menu: the object's own steps again ----
bb_wd post "$editor" WM_COMMAND 707 0 >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
run=$BB_HWND
bb_wait_window '#32770' "Control Center" 30000
center=$BB_HWND
bb_wait_text "$(bb_child "$center" 1301)" '"1"' 20
bb_expect_eq "the object's own first step" '"310" "60"' "$(position "$center")"
bb_wd post "$center" $WM_SYSCOMMAND $SC_CLOSE 0 >/dev/null
bb_wd wait-gone "$run" 20000 >/dev/null

# Nothing of the test runs was kept: Save writes the sample's Path as it was
# (into a new file: the old one is moved away).
mv sample.ans before.ans
bb_wd send "$editor" WM_COMMAND 112 0 >/dev/null
bb_until 30 test -s sample.ans
/usr/bin/python3 - before.ans sample.ans <<'PY'
import struct, sys
def path_object(name):
    data = open(name, 'rb').read()
    seqs, objs, regs, sounds = data[4], data[5], data[6], data[7]
    pos = 11 + 227 + 68 * seqs + 10 * regs + 68 * sounds
    for _ in range(objs):
        count, = struct.unpack_from('<h', data, pos + 34)
        end = pos + 54 + 16 * count
        if data[pos + 1:pos + 5] == b'Path':
            return data[pos:end]
        pos = end
    return None
before, after = path_object(sys.argv[1]), path_object(sys.argv[2])
if before is None or before != after:
    print('the Path object changed:', before, after)
    sys.exit(1)
PY
bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor_pid" 0 30
