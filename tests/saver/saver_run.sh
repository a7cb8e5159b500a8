#!/usr/bin/env bash
# ZelvoSave running: a full-screen "SCREENSAVER" window with the animation
# where its placement says; the built-in animation when the list is empty; a
# real pointer move of 7 pixels keeps it, 8 end it with exit code 0; with
# "MaxPlay" and "Seconds" 10 the next entry follows; a key ends it.
#   saver_run.sh ZelvoSave.exe MakePlayerFixture.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/saver_lib.sh"
password_keys 0

# --- The empty list: the built-in animation, centred.
run_saver /s
bb_wait_window SCREENSAVER - 30000
window=$BB_HWND
bb_expect_eq "screensaver window" "0 0 1024 768" "$BB_X $BB_Y $BB_W $BB_H"
child=$(child_of "$window")
bb_expect_line "$child" "352 264 320 240" "parent=0x${window#0x}"
# Its first frame: the dark blue background and the logo's gold letter.
wait_colour "$(hwnd_of "$child")" 300 100 '#101840'
wait_colour "$(hwnd_of "$child")" 94 25 '#F0C020'

# --- Pointer jitter of 7 pixels is ignored; 8 pixels end the screensaver.
pointer_start
for move in "$((7 * DX)) 0" "0 $((7 * DY))" "$((7 * DX)) $((7 * DY))"; do
  # shellcheck disable=SC2086
  move_pointer $move
  if bb_wd wait-gone "$window" 1500 >/dev/null 2>&1; then bb_fail "a move of ($move) ended the screensaver"; fi
done
move_pointer "$((8 * DX))" 0
bb_expect_exit "$saver" 0 30

# --- Two entries, the first at a fixed place; after 10 seconds the second.
fixture first.ans pos=2 x=100 y=60 w=200 h=150 bg=C03020 obj=F0F0F0,10,10,20,20
fixture second.ans w=240 h=100 bg=2040C0 obj=F0F0F0,10,10,20,20
write_ini "[OPTIONS]" "MaxPlay=1" "Seconds=10" "[ANSFILES]" \
  "File1=$(winpath_of "$BB_WORK/first.ans");1" "File2=$(winpath_of "$BB_WORK/second.ans");1"
run_saver
bb_wait_window SCREENSAVER - 30000
window=$BB_HWND
bb_expect_line "$(child_of "$window")" "100 60 200 150"
wait_child_colour "$window" 150 100 '#C03020'
started=$SECONDS
wait_child_colour "$window" 200 80 '#2040C0'
[ $((SECONDS - started)) -ge 7 ] || bb_fail "the second entry came after $((SECONDS - started)) s, not 10"
bb_expect_line "$(child_of "$window")" "392 334 240 100"
bb_wd key "$window" VK_SPACE >/dev/null
bb_expect_exit "$saver" 0 30
echo "screensaver run checks passed"
