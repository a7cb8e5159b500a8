#!/usr/bin/env bash
# "&Edit background Image...." in "Animation Window Settings" on the sample:
# a picture chosen with "&File..." from a folder and under a name with blanks
# opens in a second editor as that one picture, with no error about a part of
# its name; once the picture is gone the button says "Error finding file!"
# and starts nothing.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/sample_lib.sh"
sample_setup "$1" "$2"
mkdir -p "my pictures"
# Magenta, which no frame of the sample holds: the second editor's film
# shows whether it has this picture.
convert -size 64x48 xc:'#FF00FF' BMP3:"my pictures/back ground.bmp"

BM_CLICK=0x00F5
click() { bb_wd post "$(bb_child "$1" "$2")" $BM_CLICK 0 0 >/dev/null; }
visible_editors() { bb_wd windows Zelvo | grep -c ' visible=1 ' || true; }
# Pixels of COLOUR on the film reel of the main window HWND.
film_pixels() {  # HWND COLOUR
  local film
  film=$(bb_wd children "$1" | grep -m1 'class="FRAMES"' | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
  [ -n "$film" ] || { echo 0; return; }
  bb_wd capture-window "$film" "$BB_WORK/film.bmp" client >/dev/null
  convert "$BB_WORK/film.bmp" -fill white +opaque "$2" -fill black -opaque "$2" \
    -format '%[fx:int(w*h*(1-mean)+0.5)]' info:
}
shows_magenta() { [ "$(film_pixels "$1" '#FF00FF')" -gt 200 ]; }

start_editor sample.ans
editor=$EDITOR
bb_expect_eq "the first editor's film" 0 "$(film_pixels "$editor" '#FF00FF')"

bb_wd post "$editor" WM_COMMAND 700 0 >/dev/null
bb_wait_window '#32770' 'Animation Window Settings' 30000
dialog=$BB_HWND
bb_wd send "$(bb_child "$dialog" 300)" WM_USER+8 1 0 >/dev/null  # the "&Background" page
bb_expect_eq "the sample's picture" '"back.bmp"' "$(bb_control_text "$(bb_child "$dialog" 338)")"

click "$dialog" 338
bb_wait_window '#32770' '~Select Background picture' 30000
chooser=$BB_HWND
bb_wd set-text "$(bb_child "$chooser" 1148)" "$(bb_winpath "$BB_WORK/my pictures/back ground.bmp")" >/dev/null
bb_wd post "$chooser" WM_COMMAND IDOK 0 >/dev/null
bb_wd wait-gone "$chooser" 20000 >/dev/null
bb_wait_text "$(bb_child "$dialog" 338)" '"back ground.bmp"' 20

# The second editor has the picture itself: one magenta frame, and no
# message about "my" or "ground.bmp" as a file of its own.
click "$dialog" 344
bb_wait_window Zelvo "Zelvo TWO" 30000
second=$BB_HWND
# Started by the editor, not by this script: ended with the test all the same.
second_pid=$(pgrep -f "${BB_WORK##*/}.ed.ZELVO" | head -1) || bb_fail "no process of the second editor"
BB_PIDS+=("$second_pid")
bb_until 30 shows_magenta "$second"
bb_expect_eq "editors" 2 "$(visible_editors)"
if bb_wd windows '#32770' | grep ' visible=1 ' | grep -v 'Animation Window Settings' >/dev/null; then
  bb_fail "a message beside the second editor: $(bb_wd windows '#32770' | grep ' visible=1 ')"
fi
# Closing it would offer the one-frame sequence for saving.
bb_kill "$second_pid"
bb_wd wait-gone "$second" 30000 >/dev/null

rm "my pictures/back ground.bmp"
click "$dialog" 344
box=$(bb_wd dismiss-box Error OK 30000)
bb_expect_line "$box" 'text="Error finding file!"'
if bb_wd wait-window Zelvo "Zelvo TWO" 5000 >/dev/null 2>&1; then
  bb_fail "an editor started on a missing picture"
fi

bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null
bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$EDITOR_PID" 0 30
