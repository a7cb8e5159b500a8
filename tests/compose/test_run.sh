#!/usr/bin/env bash
# The test run in the editor on the sample animation: Run (708) opens the
# "Animation" window at the animation's size, greys the commands that would
# change the document and gives them back when it closes; the picture shows
# the background behind the foreground region; Control Centre (707) holds the
# run until the Control Center steps it; the same two from Define Cycle
# (113, 112), the dialog disabled while they run; minimise and restore; and an
# animation whose objects all finish closes its window by itself.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/sample_lib.sh"
editor_exe=$1
make_sample=$2
sample_setup "$editor_exe" "$make_sample"

WM_SYSCOMMAND=0x0112
SC_MINIMIZE=0xF020
SC_RESTORE=0xF120
SC_CLOSE=0xF060
CONTROLCENTER_REFRESH=1036
GREYED_BY_RUN="101 102 106 405 600 601 700 701"

start_editor sample.ans
editor=$EDITOR
editor_pid=$EDITOR_PID

expect_menu() {  # STATE: the commands a test run greys are in that state
  local menu
  menu=$(bb_wd menu-state "$editor" bar)
  for id in $GREYED_BY_RUN; do bb_expect_line "$menu" "id=$id state=$1"; done
}
# True while every command a test run greys is in that state.
menu_is() {  # STATE
  local menu id
  menu=$(bb_wd menu-state "$editor" bar) || return 1
  for id in $GREYED_BY_RUN; do grep -q "id=$id state=$1 " <<<"$menu" || return 1; done
}
expect_menu enabled

# The colour of a pixel of a 24-bit bottom-up BMP.
bmp_pixel() {  # FILE X Y
  /usr/bin/python3 - "$@" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
offset, = struct.unpack_from('<I', data, 10)
width, height = struct.unpack_from('<ii', data, 18)
bits, = struct.unpack_from('<H', data, 28)
x, y = int(sys.argv[2]), int(sys.argv[3])
stride = (width * bits // 8 + 3) & ~3
row = y if height < 0 else abs(height) - 1 - y
b, g, r = data[offset + row * stride + x * bits // 8: offset + row * stride + x * bits // 8 + 3]
print('#%02X%02X%02X' % (r, g, b))
EOF
}

# ---- Run ----
bb_wd post "$editor" WM_COMMAND 708 0 >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
run=$BB_HWND
bb_expect_eq "client size" "400 300" "$BB_CW $BB_CH"
expect_menu grayed
# Inside the foreground region the background picture shows, whatever moves.
bb_wd capture-window "$run" run.bmp client >/dev/null
for point in "160 210" "240 290" "200 250"; do
  bb_expect_eq "region pixel $point" "$(bmp_pixel back.bmp $point)" "$(bmp_pixel run.bmp $point)"
done
bb_wd post "$run" WM_CLOSE 0 0 >/dev/null
bb_wd wait-gone "$run" 20000 >/dev/null
bb_until 20 menu_is enabled

# ---- Control Centre: the run waits for the Control Center ----
bb_wd post "$editor" WM_COMMAND 707 0 >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
run=$BB_HWND
bb_wait_window '#32770' "Control Center" 30000
center=$BB_HWND
x=$(bb_child "$center" 1305)
y=$(bb_child "$center" 1307)
# "Bouncer" is observed: its start position, absolute.
bb_wait_text "$x" '"20"' 20
bb_wait_text "$y" '"40"' 20
bb_wd capture-window "$run" still1.bmp client >/dev/null
expect_menu grayed
bb_wd capture-window "$run" still2.bmp client >/dev/null
cmp -s still1.bmp still2.bmp || bb_fail "the picture moved without a step"
bb_expect_eq "X without a step" '"20"' "$(bb_control_text "$x")"
# Message 1036 with wParam 1 performs a display step: the motion delay of 1
# moves the object (4, 3) on the second step.
bb_wd send "$center" $CONTROLCENTER_REFRESH 1 0 >/dev/null
bb_wd send "$center" $CONTROLCENTER_REFRESH 1 0 >/dev/null
bb_wait_text "$x" '"24"' 20
bb_wait_text "$y" '"43"' 20
bb_wd capture-window "$run" stepped.bmp client >/dev/null
cmp -s still1.bmp stepped.bmp && bb_fail "the picture did not change after the steps"
# Closing the Control Center without Ctrl ends the run.
bb_wd post "$center" $WM_SYSCOMMAND $SC_CLOSE 0 >/dev/null
bb_wd wait-gone "$run" 20000 >/dev/null
bb_until 20 menu_is enabled

# ---- from Define Cycle: Start Run (113) and Control Centre (112) ----
BM_CLICK=0x00F5
enabled_is() {  # HWND 0|1: the window's enabled state
  bb_wd control "$1" | grep " enabled=$2 " >/dev/null
}
# The cycle of the current object, then Runner's (its item in the dialog's
# object menu), which has steps to run.
bb_wd post "$editor" WM_COMMAND 703 0 >/dev/null
bb_wait_window '#32770' 'Define Cycle - Bouncer' 30000
cycle=$BB_HWND
bb_wd post "$cycle" WM_COMMAND 10001 0 >/dev/null
bb_wait_window '#32770' 'Define Cycle - Runner' 30000
bb_expect_eq "the same dialog" "$cycle" "$BB_HWND"
bb_expect_line "$(bb_wd menu-state "$cycle" bar)" 'id=113 state=enabled'
bb_wd post "$cycle" WM_COMMAND 113 0 >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
run=$BB_HWND
bb_expect_eq "client size from the cycle dialog" "400 300" "$BB_CW $BB_CH"
bb_until 20 enabled_is "$cycle" 0
bb_wd post "$run" WM_CLOSE 0 0 >/dev/null
bb_wd wait-gone "$run" 20000 >/dev/null
bb_until 20 enabled_is "$cycle" 1
bb_wd post "$cycle" WM_COMMAND 112 0 >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
run=$BB_HWND
bb_wait_window '#32770' "Control Center" 30000
center=$BB_HWND
bb_until 20 enabled_is "$cycle" 0
bb_wd post "$center" $WM_SYSCOMMAND $SC_CLOSE 0 >/dev/null
bb_wd wait-gone "$run" 20000 >/dev/null
bb_until 20 enabled_is "$cycle" 1
bb_wd post "$cycle" WM_COMMAND 2 0 >/dev/null   # Cancel
bb_wd wait-gone "$cycle" 20000 >/dev/null
bb_until 20 menu_is enabled

# ---- minimise and restore ----
bb_wd post "$editor" WM_COMMAND 708 0 >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
run=$BB_HWND
bb_wd post "$run" $WM_SYSCOMMAND $SC_MINIMIZE 0 >/dev/null
bb_wd post "$run" $WM_SYSCOMMAND $SC_RESTORE 0 >/dev/null
bb_wait_window Animation "Zelvo Sample" 30000
bb_expect_eq "restored client size" "400 300" "$BB_CW $BB_CH"
bb_wd capture-window "$run" restored.bmp client >/dev/null
bb_expect_eq "region pixel after restore" "$(bmp_pixel back.bmp 200 250)" "$(bmp_pixel restored.bmp 200 250)"
bb_wd post "$run" WM_CLOSE 0 0 >/dev/null
bb_wd wait-gone "$run" 20000 >/dev/null
# The Control Center marked the animation modified: the editor would ask.
bb_kill "$editor_pid"

# ---- an animation whose objects all finish ----
/usr/bin/python3 - short.ans <<'EOF'
import struct, sys
settings = struct.pack('<II64sBhhBhhBhI64shh64sBBhh', 0x80CA0000, 5, b'Short Run', 0, 0, 0, 1, 200, 150, 0x20, 0,
                       0x00FF0000, b'', 0, 0, b'', 4, 3, 0, 0)
assert len(settings) == 227
header = struct.pack('<HHBBBBBH', 0x4E41, 0x251, 1, 1, 0, 0, 0, 0)
sequence = struct.pack('<BBh64s', 4, 0, 256, b'red.bmx')
record = struct.pack('<B32sBhhhhhBBBhBhh', 0, b'Short', 0x01, 2, 10, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0)
step = lambda frame, x: struct.pack('<BBBhhHBBBhH', frame, 40, 0, x, 0, 0, 0, 0, 0, 0, 0)  # about 2 s each
open(sys.argv[1], 'wb').write(header + settings + sequence + record + step(0, 5) + step(1, 5))
EOF
start_editor short.ans
editor=$EDITOR
editor_pid=$EDITOR_PID
# One object: Select Object is grey here before the run as after it.
run_menu() { bb_wd menu-state "$editor" bar | grep -E "id=(${GREYED_BY_RUN// /|}) " | sed 's/ text=.*//'; }
menu_as_before() { [ "$(run_menu)" = "$before" ]; }
before=$(run_menu)
bb_wd post "$editor" WM_COMMAND 708 0 >/dev/null
bb_wait_window Animation "Short Run" 30000
bb_expect_eq "client size" "200 150" "$BB_CW $BB_CH"
bb_wd wait-gone "$BB_HWND" 20000 >/dev/null
bb_until 20 menu_as_before
bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_wait_exit "$editor_pid" 30
