#!/usr/bin/env bash
# The frame canvas as a user sees it, with three bitmap frames opened from the
# command line: the zoom commands size the canvas, the grid shows at 8:1 and
# goes with "Show Grid", the wheel scrolls, the onion skin shows the previous
# or next frame through its pattern, the film marks the frame selection and the
# onion-skin reference, the canvas takes its view size from outside, and
# hostile messages leave it running.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
# A black top and left edge of the canvas (EditBorder); the other keys keep
# their defaults.
printf '[Edit]\r\nEditBorder=1\r\n' >"$BB_WORK/ed/ZELVO.ini"
cd "$BB_WORK"
# White is the transparent colour of a sequence opened from a bitmap.
convert -size 48x48 xc:white -fill '#00FF00' -draw 'rectangle 24,0 47,47' BMP3:f1.bmp
convert -size 48x48 xc:'#0000FF' BMP3:f2.bmp
convert -size 48x48 xc:'#FF0000' BMP3:f3.bmp

bb_park_pointer
bb_start ed/ZELVO.exe -r f1.bmp f2.bmp f3.bmp
editor=$BB_PID
bb_wait_window Zelvo - 30000
main=$BB_HWND
main_cx=$BB_CX
main_cy=$BB_CY

hwnd_of() {  # CLASS [FILTER]: the first child of that class
  bb_wd children "$main" | grep "class=\"$1\"" | grep -E -- "${2:-.}" | head -1 | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/'
}
rect_of() {  # HWND: x y w h in its parent
  bb_wd children "$main" | grep "^hwnd=$1 " | sed -E 's/^hwnd=0x[0-9A-Fa-f]+ (-?[0-9]+) (-?[0-9]+) ([0-9]+) ([0-9]+).*/\1 \2 \3 \4/'
}
visible_of() {  # HWND: 0 or 1
  bb_wd children "$main" | grep "^hwnd=$1 " | sed -E 's/.* visible=([01]) .*/\1/'
}
command() { bb_wd send "$main" WM_COMMAND "$1" 0 >/dev/null; }
paint_now() {  # HWND: the window paints what is invalid before a capture reads it
  bb_wd send "$1" WM_PAINT 0 0 >/dev/null
}
capture() {  # FILE [window]: the canvas's client area, or the whole window with its frame
  paint_now "$canvas"
  if [ "${2:-client}" = window ]; then
    bb_wd capture-window "$canvas" "$1" >/dev/null
  else
    bb_wd capture-window "$canvas" "$1" client >/dev/null
  fi
}
capture_film() {  # FILE
  paint_now "$film"
  bb_wd capture-window "$film" "$1" client >/dev/null
}
checked() {  # ID: the menu item's check mark
  bb_wd menu-state "$main" bar | grep " id=$1 " | sed -E 's/.* checked=([01]) .*/\1/'
}
count_color() {  # FILE COLOUR: pixels of that colour
  convert "$1" -fill white +opaque "$2" -fill black -opaque "$2" -format '%[fx:int(w*h*(1-mean)+0.5)]' info:
}
# Keys reach the editor through its message queue: what they do is waited for.
wait_checked() {  # ID 0|1
  local deadline=$((SECONDS + 10)) state
  while state=$(checked "$1"); [ "$state" != "$2" ]; do
    [ "$SECONDS" -lt "$deadline" ] || bb_fail "menu item $1: check mark $state, not $2"
    sleep 0.2
  done
}
wait_film_marks() {  # COLOUR more|none: until the film shows that colour, or none of it
  local deadline=$((SECONDS + 10)) n
  while capture_film film.bmp; n=$(count_color film.bmp "$1"); if [ "$2" = more ]; then [ "$n" -le 20 ]; else [ "$n" != 0 ]; fi; do
    [ "$SECONDS" -lt "$deadline" ] || bb_fail "the film shows $n pixels of $1 ($2 expected)"
    sleep 0.2
  done
}

canvas=$(hwnd_of ANIEDIT)
film=$(hwnd_of FRAMES)
[ -n "$canvas" ] && [ -n "$film" ] || bb_fail "no canvas or film: $(bb_wd children "$main")"
# The scroll bars: the vertical one is the one higher than wide.
vbar="" hbar=""
canvas_parent=$(bb_wd children "$main" | grep "^hwnd=$canvas " | sed -E 's/.* parent=(0x[0-9A-Fa-f]+) .*/\1/')
for bar in $(bb_wd children "$main" | grep 'class="ScrollBar"' | grep "parent=$canvas_parent " | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/'); do
  read -r _ _ w h <<<"$(rect_of "$bar")"
  if [ "$h" -gt "$w" ]; then vbar=$bar; else hbar=$bar; fi
done
[ -n "$vbar" ] && [ -n "$hbar" ] || bb_fail "no scroll bars beside the canvas"

# ---- zoom: the canvas is the frame times the factor, and its frame ----
command 980  # the first frame
for zoom in 0 1 2; do
  command $((350 + zoom))
  factor=$((1 << zoom))
  read -r _ _ w h <<<"$(rect_of "$canvas")"
  bb_expect_eq "canvas at zoom $factor" "$((48 * factor + 2)) $((48 * factor + 2))" "$w $h"
done
command 353
read -r _ _ w h <<<"$(rect_of "$canvas")"
bb_expect_eq "canvas width at 8:1" "$((48 * 8 + 2))" "$w"
[ "$h" -lt $((48 * 8 + 2)) ] || bb_fail "the layout gives room for the whole frame at 8:1 ($h): no scrolling to test"
bb_expect_eq "vertical bar at 8:1" 1 "$(visible_of "$vbar")"
bb_expect_eq "horizontal bar at 8:1" 0 "$(visible_of "$hbar")"

# ---- the grid at 8:1 and without it ----
capture grid.bmp
bb_expect_eq "inside a pixel" "#FFFFFF" "$(bb_png_pixel grid.bmp 3 3)"
bb_expect_eq "grid column" "#000000" "$(bb_png_pixel grid.bmp 7 3)"
bb_expect_eq "grid row" "#000000" "$(bb_png_pixel grid.bmp 3 7)"
bb_expect_eq "green half" "#00FF00" "$(bb_png_pixel grid.bmp 196 3)"
bb_expect_eq "grid in the green half" "#000000" "$(bb_png_pixel grid.bmp 199 3)"
# The canvas's own frame: black top and left (EditBorder), light grey bottom
# and right while the grid shows.
capture frame.bmp window
bb_expect_eq "top edge" "#000000" "$(bb_png_pixel frame.bmp 20 0)"
bb_expect_eq "right edge with grid" "#C0C0C0" "$(bb_png_pixel frame.bmp $((w - 1)) 20)"
bb_expect_eq "grid checked" 1 "$(checked 339)"
bb_wd keys "$main" ctrl+G >/dev/null
wait_checked 339 0
capture nogrid.bmp
bb_expect_eq "no grid column" "#FFFFFF" "$(bb_png_pixel nogrid.bmp 7 3)"
bb_expect_eq "no grid in the green half" "#00FF00" "$(bb_png_pixel nogrid.bmp 199 3)"
capture frame.bmp window
bb_expect_eq "right edge without grid" "#000000" "$(bb_png_pixel frame.bmp $((w - 1)) 20)"
command 339
bb_expect_eq "grid checked again" 1 "$(checked 339)"

# ---- the wheel scrolls the view and moves the vertical bar ----
bb_wd send "$canvas" WM_VSCROLL 6 0 >/dev/null  # SB_TOP (the zoom kept the view's centre)
bb_expect_eq "bar at the top" "result=0" "$(bb_wd send "$vbar" 0xE1 0 0)"  # SBM_GETPOS
bb_wd send "$canvas" WM_MOUSEWHEEL 0,-120 0 >/dev/null
down=$(bb_wd send "$vbar" 0xE1 0 0)
[ "$down" != "result=0" ] || bb_fail "the wheel did not scroll down"
bb_wd send "$canvas" WM_MOUSEWHEEL 0,120 0 >/dev/null
bb_expect_eq "back at the top" "result=0" "$(bb_wd send "$vbar" 0xE1 0 0)"
# Through the main window, which hands the wheel to the window under the point.
read -r cx cy _ _ <<<"$(rect_of "$canvas")"
workspace=$(bb_wd children "$main" | grep "^hwnd=$canvas " | sed -E 's/.* parent=(0x[0-9A-Fa-f]+) .*/\1/')
read -r wx wy _ _ <<<"$(rect_of "$workspace")"
bb_wd send "$main" WM_MOUSEWHEEL 0,-120 "$((main_cx + wx + cx + 20)),$((main_cy + wy + cy + 20))" >/dev/null
bb_expect_eq "scrolled through the main window" "$down" "$(bb_wd send "$vbar" 0xE1 0 0)"
bb_wd send "$canvas" WM_VSCROLL 6 0 >/dev/null  # SB_TOP

# ---- onion skin: the previous frame (the last one) shows through the pattern
# in the white part, the next one likewise ----
command 331
bb_expect_eq "onion skinning on" 1 "$(checked 338)"
bb_expect_eq "previous frame checked" 1 "$(checked 331)"
capture onion.bmp
bb_expect_eq "pattern pixel shows the last frame" "#FF0000" "$(bb_png_pixel onion.bmp 0 0)"
bb_expect_eq "between the pattern the frame" "#FFFFFF" "$(bb_png_pixel onion.bmp 1 0)"
bb_expect_eq "grid over the onion skin" "#000000" "$(bb_png_pixel onion.bmp 7 0)"
bb_expect_eq "green part untouched" "#00FF00" "$(bb_png_pixel onion.bmp 194 0)"
command 332
bb_expect_eq "next frame checked" "1 0" "$(checked 332) $(checked 331)"
capture onion.bmp
bb_expect_eq "pattern pixel shows the next frame" "#0000FF" "$(bb_png_pixel onion.bmp 0 0)"
# The film marks the reference frame in yellow.
capture_film film.bmp
[ "$(count_color film.bmp '#FFFF00')" -gt 20 ] || bb_fail "no yellow mark on the film"
bb_wd keys "$main" ctrl+VK_F5 >/dev/null
wait_checked 338 0
capture onion.bmp
bb_expect_eq "no onion skin" "#FFFFFF" "$(bb_png_pixel onion.bmp 0 0)"
capture_film film.bmp
bb_expect_eq "no yellow mark" 0 "$(count_color film.bmp '#FFFF00')"

# ---- the frame selection on the film ----
bb_wd keys "$main" VK_TAB >/dev/null  # Select All Frames
wait_film_marks '#00FFFF' more
bb_wd keys "$main" VK_SPACE >/dev/null  # Clear Selection
wait_film_marks '#00FFFF' none
# Shift-click on the red thumbnail flags it; Ctrl-click makes it the reference.
convert film.bmp txt:film.txt
red=$(awk -F'[,:]' '/#FF0000/ { print $1, $2; exit }' film.txt)
[ -n "$red" ] || bb_fail "no red thumbnail on the film"
read -r rx ry <<<"$red"
bb_wd send "$film" WM_LBUTTONDOWN 5 "$((rx + 4)),$((ry + 4))" >/dev/null  # MK_SHIFT | MK_LBUTTON
capture_film film.bmp
[ "$(count_color film.bmp '#00FFFF')" -gt 20 ] || bb_fail "Shift-click marks no frame"
bb_wd send "$film" WM_LBUTTONDOWN 9 "$((rx + 4)),$((ry + 4))" >/dev/null  # MK_CONTROL | MK_LBUTTON
bb_expect_eq "Ctrl-click: any frame, on" "1 1" "$(checked 333) $(checked 338)"
capture onion.bmp
bb_expect_eq "the clicked frame shows through" "#FF0000" "$(bb_png_pixel onion.bmp 0 0)"
bb_wd send "$film" WM_LBUTTONDOWN 9 "$((rx + 4)),$((ry + 4))" >/dev/null
bb_expect_eq "Ctrl-click on the reference: off" 0 "$(checked 338)"

# ---- the view size from outside ----
bb_wd send "$canvas" WM_USER+5 0 64,64 >/dev/null   # EDIT_SET_VIEW_SIZE
bb_wd send "$canvas" WM_USER+4 0 0 >/dev/null       # EDIT_RELAYOUT
read -r _ _ w h <<<"$(rect_of "$canvas")"
bb_expect_eq "canvas of a 64 x 64 view" "66 66" "$w $h"
bb_expect_eq "both bars for a 64 x 64 view" "1 1" "$(visible_of "$vbar") $(visible_of "$hbar")"
bb_wd send "$canvas" WM_USER+5 0 20,20 >/dev/null
bb_wd send "$canvas" WM_USER+4 0 0 >/dev/null
read -r _ _ w h <<<"$(rect_of "$canvas")"
bb_expect_eq "a smaller view is raised to 64" "66 66" "$w $h"

# ---- hostile parameters ----
bb_wd send "$canvas" WM_USER+5 0 0xFFFFFFFF >/dev/null
bb_wd send "$canvas" WM_USER+4 0 0 >/dev/null
bb_wd send "$canvas" WM_USER+5 0 0 >/dev/null
bb_wd send "$canvas" WM_USER+4 0 0 >/dev/null
for tool in 12 20 31 33 1000 0xFFFFFFFF; do
  bb_wd send "$canvas" WM_USER+18 "$tool" 0 >/dev/null  # EDIT_SELECT_TOOL
done
bb_wd send "$canvas" WM_USER+17 0 -5,-5 >/dev/null     # EDIT_MOUSE_DOWN
bb_wd send "$canvas" WM_USER+22 0 0 >/dev/null         # EDIT_CANCEL
bb_wd send "$canvas" WM_TIMER 101 0 >/dev/null
bb_expect_eq "still running" "result=1" "$(bb_wd send "$main" WM_USER+291 291 0)"
# The layout gives the canvas its view again.
command 322
command 352
read -r _ _ w h <<<"$(rect_of "$canvas")"
bb_expect_eq "canvas after a new layout" "194 194" "$w $h"
capture last.bmp
# (The hostile button-down above painted a dot with the freehand tool at the
# frame's corner; the pixel read lies beside it.)
bb_expect_eq "the frame is shown again" "#FFFFFF" "$(bb_png_pixel last.bmp 13 13)"
# (Closing would ask whether to save the new sequence; editor_startup.sh
# covers the editor's exit with frames shown.)
bb_kill "$editor"
