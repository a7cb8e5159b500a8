#!/usr/bin/env bash
# The editor's two tool bars as a user meets them: both bars under the menu
# with their buttons in place and the workspace below them, a tip when the
# mouse rests on a button, a click that runs the command, checked buttons
# drawn sunken, and the floating palette and transform window that their
# commands open and close.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
make_sample=$2
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
cd "$BB_WORK"
"$ZELVO_WINE" "$make_sample" . >/dev/null

hwnd_of() { sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/' <<<"$1"; }
# The x of every child of PARENT in KIDS, left to right.
xs_of() { grep "parent=$2 " <<<"$1" | awk '{print $2}' | sort -n | tr '\n' ' '; }
# The child of PARENT in KIDS at x X.
child_at() { hwnd_of "$(grep "parent=$2 " <<<"$1" | awk -v x="$3" '$2 == x')"; }
# The window's client picture, pixel (X, Y).
pixel_of() {  # HWND X Y
  bb_wd capture-window "$1" shot.bmp client >/dev/null
  bb_png_pixel shot.bmp "$2" "$3"
}
pixel_is() { [ "$(pixel_of "$1" "$2" "$3")" = "$4" ]; }  # HWND X Y #RRGGBB
menu_checked() { grep -q "id=$1 .*checked=$2" <<<"$(bb_wd menu-state "$main" bar)"; }  # ID 0|1
common_shown() { grep -q 'visible=1' <<<"$(bb_wd windows COMMON)"; }

bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/sample.ans")"
editor=$BB_PID
bb_wait_window Zelvo "~sample.ans" 30000
main=$BB_HWND
main_cy=$BB_CY
kids=$(bb_wd children "$main")

# ---- the bars and the workspace below them ----
bars=$(grep 'class="Zelvo_ToolBar"' <<<"$kids" | grep "parent=$main ")
bb_expect_line "$bars" " 0 1 $BB_CW 32 "
bb_expect_line "$bars" " 0 33 $BB_CW 32 "
main_bar=$(hwnd_of "$(grep ' 0 1 ' <<<"$bars")")
draw_bar=$(hwnd_of "$(grep ' 0 33 ' <<<"$bars")")
bb_expect_eq "main bar buttons" "5 35 65 95 125 170 200 230 275 305 350 380 425 455 485 530 " "$(xs_of "$kids" "$main_bar")"
bb_expect_eq "drawing bar buttons" "5 35 65 95 140 170 200 230 260 290 320 350 380 410 455 485 530 " \
  "$(xs_of "$kids" "$draw_bar")"
bb_expect_line "$kids" " 5 3 26 26 " "parent=$main_bar " 'class="Zelvo_ToolBar"'
bb_expect_line "$kids" "0 66 $BB_CW $((BB_CH - 66 - 22))" 'class="COMMON"' "parent=$main "

# ---- checked buttons are sunken, others flat ----
bb_wd mouse "$main" move 300 $((66 + 200)) >/dev/null  # the pointer off the bars
grid_button=$(child_at "$kids" "$main_bar" 425)
new_button=$(child_at "$kids" "$main_bar" 5)
zoom_film=$(child_at "$kids" "$main_bar" 485)
bar_colour=$(pixel_of "$main_bar" $((BB_CW - 20)) 12)
bb_expect_eq "checked grid button, top left" "#808080" "$(pixel_of "$grid_button" 0 0)"
bb_expect_eq "checked grid button, bottom right" "#FFFFFF" "$(pixel_of "$grid_button" 25 25)"
bb_expect_eq "flat new-file button, top left" "$bar_colour" "$(pixel_of "$new_button" 0 0)"
bb_expect_eq "flat new-file button, bottom right" "$bar_colour" "$(pixel_of "$new_button" 25 25)"

# A click on the film-zoom button unchecks it (flat), and its menu item follows.
bb_wd mouse "$zoom_film" click 12 12 >/dev/null
bb_wd mouse "$main" move 300 $((66 + 200)) >/dev/null
bb_until 10 menu_checked 327 0
bb_until 10 pixel_is "$zoom_film" 0 0 "$bar_colour"
bb_wd mouse "$zoom_film" click 12 12 >/dev/null
bb_until 10 menu_checked 327 1
bb_until 10 pixel_is "$zoom_film" 0 0 "#808080"

# ---- a tip when the mouse rests on a button, gone when it leaves ----
# The pointer still rests on the film-zoom button, which holds the mouse
# while it is hovered: the first move goes there and lets go, so the pointer
# moves on over the new-file button (a pixel each time) until it is raised.
glide_over() {  # HWND
  GLIDE=$((1 - ${GLIDE:-0}))
  bb_wd mouse "$1" move $((11 + GLIDE)) 12 >/dev/null
  pixel_is "$1" 25 25 "#808080"  # raised while the mouse is over it
}
bb_until 10 glide_over "$new_button"
bb_wait_window Zelvo_ToolTip ToolTip 5000
tip=$BB_HWND
bb_expect_eq "tip below the button" $((main_cy + 1 + 3 + 31)) "$BB_Y"
bb_wd capture-window "$tip" tip.bmp client >/dev/null
bb_expect_eq "tip background" "#FFFFD2" "$(bb_png_pixel tip.bmp 1 1)"
dark=$(convert tip.bmp -fill white +opaque black -fill black -opaque black -format '%[fx:int(w*h*(1-mean)+0.5)]' info:)
[ "$dark" -gt 10 ] || bb_fail "the tip shows no text"
bb_wd mouse "$main" move 300 $((66 + 200)) >/dev/null
bb_wd wait-gone "$tip" 5000 >/dev/null

# ---- clicking "new file" runs its command: the New Frame Sequence dialog ----
bb_wd mouse "$new_button" click 12 12 >/dev/null
bb_expect_line "$(bb_wd dismiss-box "New Frame Sequence" Cancel 10000)" 'pressed=Cancel'

# ---- the floating palette (325) and the transform window (512) ----
bb_wd post "$main" WM_COMMAND 325 0 >/dev/null
bb_until 10 common_shown
floating=$(hwnd_of "$(grep 'visible=1' <<<"$(bb_wd windows COMMON)")")
bb_expect_line "$(bb_wd children "$floating")" 'class="PALETTE"'
bb_expect_line "$(bb_wd children "$floating")" 'id=91 ' 'class="Button"'
menu_checked 325 1 || bb_fail "Floating Palette is not checked"
bb_expect_line "$(bb_wd children "$main")" 'class="ANIEDIT"' ' 29 29 '  # the canvas takes the column
bb_wd post "$main" WM_COMMAND 325 0 >/dev/null
bb_wd wait-gone "$floating" 10000 >/dev/null
menu_checked 325 0 || bb_fail "Floating Palette is still checked"

kids=$(bb_wd children "$main")
bb_expect_line "$kids" 'class="PALETTE"' 'visible=1'
bb_expect_line "$kids" 'class="ANIEDIT"' ' 87 29 '

bb_wd post "$main" WM_COMMAND 512 0 >/dev/null
bb_until 10 common_shown
transform=$(grep 'visible=1' <<<"$(bb_wd windows COMMON)")
read -r _ _ _ _ _ _ _ tw th _ <<<"$transform"
bb_expect_eq "transform window client" "76 112" "$tw $th"
menu_checked 512 1 || bb_fail "Stretch is not checked"
bb_wd post "$main" WM_COMMAND 512 0 >/dev/null
bb_wd wait-gone "$(hwnd_of "$transform")" 10000 >/dev/null
menu_checked 512 0 || bb_fail "Stretch is still checked"

bb_wd post "$main" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor" 0 20
