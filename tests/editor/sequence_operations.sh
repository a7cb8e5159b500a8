#!/usr/bin/env bash
# The Sequence menu in the editor as a user drives it, on an animation opened
# from the command line: frames inserted, deleted, moved and swapped (the last
# two through a click on the film), the frame format changed in its dialog,
# and a flip over every frame undone. After each command the animation is
# saved with Save (112) and read back: the steps of the objects that use the
# sequence must follow their frames (the other sequence's object stays), and
# every frame must equal the frame it came from, or ImageMagick's -extent and
# -flop of it.
#   sequence_operations.sh ZELVO.exe DocTool.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/film_click.sh"
mkdir -p "$BB_WORK/ed"
cp "$1" "$BB_WORK/ed/ZELVO.exe"
doctool=$2
printf '[File]\r\nBMX-Compression=0\r\n' >"$BB_WORK/ed/ZELVO.ini"
cd "$BB_WORK"
"$ZELVO_WINE" "$doctool" make-ans "$(bb_winpath "$BB_WORK")" >/dev/null
# The frames as made: original/fN.ppm are the pictures A B C D E.
mkdir original
"$ZELVO_WINE" "$doctool" dump-frames seq.bmx original/f >/dev/null

bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/anim.ans")"
editor=$BB_PID
bb_wait_window Zelvo "~Zelvo ONE" 30000
main=$BB_HWND
film=$(bb_wd children "$main" | grep 'class="FRAMES"' | head -1 | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
[ -n "$film" ] || bb_fail "no film in the editor"

command() { bb_wd send "$main" WM_COMMAND "$1" 0 >/dev/null; }
steps() { "$ZELVO_WINE" "$doctool" dump-steps anim.ans | tr -d '\r'; }
save() {  # saves, then dumps the frames as saved/fN.ppm
  command 112
  rm -rf saved && mkdir saved
  "$ZELVO_WINE" "$doctool" dump-frames seq.bmx saved/f >/dev/null || bb_fail "the saved seq.bmx cannot be read"
}
# The editor keeps the colours of its palette a few levels off the file's
# (its palette model), so pictures count as the same within 3 %; the frames'
# own colour sets lie much further apart.
same_picture() { [ "$(compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 || true)" = "0" ]; }
# expect_frames WHAT A B C ...: the saved frames, each an original frame's
# letter (or "-" for an empty frame of the transparent colour, black).
expect_frames() {
  local what=$1 i=0 letter
  shift
  bb_expect_eq "$what: frame count" "$#" "$(find saved -name 'f*.ppm' | wc -l)"
  for letter in "$@"; do
    if [ "$letter" = - ]; then
      bb_expect_eq "$what: frame $i empty" "#000000 1" \
        "$(convert "saved/f$i.ppm" -format '#%[hex:p{0,0}] %k' info: | sed -E 's/^(#[0-9A-F]{6})[0-9A-F]* /\1 /')"
    else
      local index=$(($(printf '%d' "'$letter") - 65))
      same_picture "saved/f$i.ppm" "original/f$index.ppm" || bb_fail "$what: frame $i is not frame $letter ($(compare -metric AE "saved/f$i.ppm" "original/f$index.ppm" null: 2>&1 || true) pixels differ; $(convert "saved/f$i.ppm" -format "%[hex:p{0,0}] %[hex:p{5,5}] %wx%h" info:) against $(convert "original/f$index.ppm" -format "%[hex:p{0,0}] %[hex:p{5,5}]" info:))"
    fi
    i=$((i + 1))
  done
}
expect_steps() {  # WHAT MAIN SECOND: the step frames of the two objects on seq.bmx
  local now
  now=$(steps)
  bb_expect_line "$now" "Main 0: $2"
  bb_expect_line "$now" "Other 1: 0 1 1"
  bb_expect_line "$now" "Second 0: $3"
  [ "$(echo "$now" | grep -c 'Main 0: '"$2"'$')" = 1 ] || bb_fail "$1: Main shows [$now]"
  [ "$(echo "$now" | grep -c 'Second 0: '"$3"'$')" = 1 ] || bb_fail "$1: Second shows [$now]"
}

save
expect_frames "as opened" A B C D E
bb_expect_line "$(steps)" "Main 0: 0 1 2 3 4 2"

# Insert Copy before the current frame C: the steps of C and later move up.
command 980   # the first frame
command 355
command 355   # C
command 403
save
expect_frames "Insert Copy" A B C C D E
expect_steps "Insert Copy" "0 1 3 4 5 3" "5 4 1"

# Delete frame B: a step that showed B shows the frame before it.
command 354   # from the copy (index 2) back to B
command 404
save
expect_frames "Delete" A C C D E
expect_steps "Delete" "0 0 2 3 4 2" "4 3 0"

# Move the current frame (the copy of C, index 1) to E's place: 1 -> 4.
command 408
click_film_frame 4
save
expect_frames "Move" A C D E C
expect_steps "Move" "0 0 1 2 3 1" "3 2 0"

# Swap the current frame (now index 4) with A.
command 407
click_film_frame 0
save
expect_frames "Swap" C C D E A
expect_steps "Swap" "4 4 1 2 3 1" "3 2 4"

# Add Empty Frame: a frame of the transparent colour at the end, no step moves.
command 400
save
expect_frames "Add Empty Frame" C C D E A -
expect_steps "Add Empty Frame" "4 4 1 2 3 1" "3 2 4"

# ---- Change Format (405) through its dialog ----
format_dialog() {  # WIDTH HEIGHT [DEPTH_BUTTON]: fills the dialog and presses OK
  bb_wd post "$main" WM_COMMAND 405 0 >/dev/null
  bb_wait_window '#32770' 'Change Frame Format' 20000
  local dialog=$BB_HWND
  bb_wd set-text "$(bb_child "$dialog" 605)" "$1" >/dev/null
  bb_wd set-text "$(bb_child "$dialog" 607)" "$2" >/dev/null
  [ -z "${3:-}" ] || bb_wd check "$(bb_child "$dialog" "$3")" 1 >/dev/null
  bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
}
bits() { od -An -tu2 -j28 -N2 saved/f0-c0.bmp | tr -d ' '; }  # biBitCount of the stored frame
bb_expect_eq "bits before the change" 8 "$(bits)"
# Larger and 24-bit (button 229): the new parts get the transparent colour,
# the old pixels keep the colours of their own table.
format_dialog 32 20 229
bb_wd wait-gone '#32770' 'Change Frame Format' 20000 >/dev/null
save
bb_expect_eq "bits after the change" 24 "$(bits)"
for i in 0 1 2 3 4; do
  letter=(C C D E A)
  index=$(($(printf '%d' "'${letter[$i]}") - 65))
  convert "original/f$index.ppm" -background black -extent 32x20 "extended$i.ppm"
  same_picture "saved/f$i.ppm" "extended$i.ppm" || bb_fail "frame $i after Change Format differs from -extent 32x20: $(compare -metric AE "saved/f$i.ppm" "extended$i.ppm" null: 2>&1 || true) pixels ($(convert "saved/f$i.ppm" -format "%[hex:p{0,0}] %[hex:p{5,5}] %[hex:p{30,18}]" info:) against $(convert "extended$i.ppm" -format "%[hex:p{0,0}] %[hex:p{5,5}] %[hex:p{30,18}]" info:))"
done
# Smaller without stretching asks first; Cancel leaves every frame.
format_dialog 16 16
box=$(bb_wd dismiss-box Warning Cancel 20000)
bb_expect_line "$box" 'icon=warning'
bb_expect_line "$box" 'buttons=OK,Cancel'
bb_wd wait-gone '#32770' 'Change Frame Format' 20000 >/dev/null
save
for i in 0 1 2 3 4; do
  same_picture "saved/f$i.ppm" "extended$i.ppm" || bb_fail "frame $i changed after the cancelled reduction"
done

# ---- a flip of every selected frame, undone and repeated as one ----
command 207   # Select All Frames
command 510
save
for i in 0 1 2 3 4; do
  convert "extended$i.ppm" -flop "flopped$i.ppm"
  same_picture "saved/f$i.ppm" "flopped$i.ppm" || bb_fail "frame $i after Flip horizontally differs from -flop"
done
command 201
save
for i in 0 1 2 3 4; do
  same_picture "saved/f$i.ppm" "extended$i.ppm" || bb_fail "frame $i after Undo of the flip"
done
command 202
save
for i in 0 1 2 3 4; do
  same_picture "saved/f$i.ppm" "flopped$i.ppm" || bb_fail "frame $i after Repeat of the flip"
done
expect_steps "after the format and the flips" "4 4 1 2 3 1" "3 2 4"

bb_kill "$editor"
echo "sequence operation checks passed"
