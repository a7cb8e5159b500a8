#!/usr/bin/env bash
# The paint tools and the text tool as a user drives them in the editor, with
# bitmap frames opened from the command line: a line, a rectangle and a fill
# painted by mouse messages to the canvas, the frame saved and read back from
# its file; the "Insert Text" dialog opened by a click on the canvas, its
# controls, text typed into it and painted with "&OK".
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
cd "$BB_WORK"
# A white frame with a black square (the fill's border), and a second frame.
convert -size 48x48 xc:white -fill black -draw 'rectangle 30,30 40,40' -fill white -draw 'rectangle 32,32 38,38' BMP3:f1.bmp
convert -size 48x48 xc:white BMP3:f2.bmp
cp f1.bmp original.bmp

bb_start ed/ZELVO.exe -r f1.bmp f2.bmp
editor=$BB_PID
bb_wait_window Zelvo - 30000
main=$BB_HWND
canvas=$(bb_wd children "$main" | grep 'class="ANIEDIT"' | head -1 | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
[ -n "$canvas" ] || bb_fail "no canvas: $(bb_wd children "$main")"

command() { bb_wd send "$main" WM_COMMAND "$1" 0 >/dev/null; }
# The canvas takes the messages in order: sent, not posted, so that the save
# below comes after the drawing.
mouse() {  # down|move|up X Y
  case $1 in
    down) bb_wd send "$canvas" WM_LBUTTONDOWN MK_LBUTTON "$2,$3" >/dev/null ;;
    move) bb_wd send "$canvas" WM_MOUSEMOVE MK_LBUTTON "$2,$3" >/dev/null ;;
    up) bb_wd send "$canvas" WM_LBUTTONUP 0 "$2,$3" >/dev/null ;;
  esac
}
drag() {  # X1 Y1 X2 Y2
  mouse down "$1" "$2"
  mouse move "$3" "$4"
  mouse up "$3" "$4"
}
pixel() {  # FILE X Y: #RRGGBB
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -1 | grep -o '#[0-9A-Fa-f]\{6\}' | head -1
}
count_changed() {  # FILE: pixels that differ from original.bmp
  compare -metric AE "$1" original.bmp null: 2>&1 || true
}
save() {  # [FILE]: the current frame into its file, read back as saved.bmp
  local file=${1:-f1.bmp} before
  before=$(md5sum "$file")
  command 112
  bb_until 20 bash -c '[ "$(md5sum "$2")" != "$1" ]' _ "$before" "$file"
  cp "$file" saved.bmp
}

command 350  # 1:1
command 980  # the first frame
# The pen colour is the palette's black, the frame's white its transparent
# colour.
pen=$(pixel original.bmp 30 30)
paper=$(pixel original.bmp 0 0)
bb_expect_eq "the fixture's colours" "#000000 #FFFFFF" "$pen $paper"

# ---- line: both end pixels, nothing beyond ----
command 357
drag 4 4 20 4
save
bb_expect_eq "line start, end, beyond, below" "$pen $pen $paper $paper" \
  "$(pixel saved.bmp 4 4) $(pixel saved.bmp 20 4) $(pixel saved.bmp 21 4) $(pixel saved.bmp 10 5)"
bb_expect_eq "the line's pixels only" 17 "$(count_changed saved.bmp)"
cp saved.bmp original.bmp

# ---- rectangle outline: corners and sides, the inside left alone ----
command 358
drag 4 10 14 20
save
bb_expect_eq "rectangle corners" "$pen $pen $pen $pen" \
  "$(pixel saved.bmp 4 10) $(pixel saved.bmp 14 10) $(pixel saved.bmp 4 20) $(pixel saved.bmp 14 20)"
bb_expect_eq "rectangle inside and outside" "$paper $paper" "$(pixel saved.bmp 9 15) $(pixel saved.bmp 15 21)"
bb_expect_eq "the outline's pixels only" 40 "$(count_changed saved.bmp)"
cp saved.bmp original.bmp

# ---- fill: the square's inside, stopped by its black border ----
command 362
mouse down 35 35
mouse up 35 35
save
bb_expect_eq "filled inside, border, outside" "$pen $pen $paper" \
  "$(pixel saved.bmp 32 32) $(pixel saved.bmp 38 38) $(pixel saved.bmp 29 29)"
bb_expect_eq "the square's inside only" 49 "$(count_changed saved.bmp)"
cp saved.bmp original.bmp

# ---- text: the modeless dialog, its controls, typed text painted by 799 ----
command 364
mouse down 4 26
mouse up 4 26
bb_wait_window '#32770' 'Insert Text' 20000
dialog=$BB_HWND
ids=$(bb_wd children "$dialog" | sed -nE 's/.* id=([0-9]+) .*/\1/p' | sort -n | tr '\n' ' ')
for id in 1 2 701 705 706 707 708 709 799 801 802 803 808 811 812 813 815 816; do
  case " $ids " in *" $id "*) ;; *) [ "$id" = 1 ] || bb_fail "\"Insert Text\" lacks control $id: $ids" ;; esac
done
edit=$(bb_child "$dialog" 701)
bb_wd type "$edit" "W%d" >/dev/null
bb_wait_text "$edit" '"W%d"' 10
bb_wd send "$dialog" WM_COMMAND 799 0 >/dev/null
bb_wd wait-gone "$dialog" 10000 >/dev/null
save
changed=$(count_changed saved.bmp)
[ "$changed" -gt 10 ] || bb_fail "the text painted $changed pixels"
# The text lies right of and below the click: nothing changed above or left of it.
box=$(convert saved.bmp original.bmp -compose difference -composite -threshold 0 -format '%@' info:)
bb_log "text box $box"
[[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || bb_fail "no text box: $box"
[ "${BASH_REMATCH[3]}" -ge 4 ] && [ "${BASH_REMATCH[4]}" -ge 26 ] || bb_fail "text outside its place: $box"
cp saved.bmp first.bmp
# The second frame gets "W1" typed as it stands, at the same place: the same
# pixels as the first frame's "W%d" (the frame's number took the place of
# "%d"). The dialog opens again with the last text.
command 355
mouse down 4 26
mouse up 4 26
bb_wait_window '#32770' 'Insert Text' 20000
dialog=$BB_HWND
edit=$(bb_child "$dialog" 701)
bb_expect_eq "the last text is kept" '"W%d"' "$(bb_control_text "$edit")"
bb_wd set-text "$edit" "W1" >/dev/null
bb_wd send "$dialog" WM_COMMAND 799 0 >/dev/null
bb_wd wait-gone "$dialog" 10000 >/dev/null
save f2.bmp
crop() { convert "$1" -crop 28x22+0+26 +repage "$2"; }
crop first.bmp a.bmp
crop saved.bmp b.bmp
bb_expect_eq "\"W%d\" in frame 1 paints as \"W1\"" 0 "$(compare -metric AE a.bmp b.bmp null: 2>&1 || true)"

bb_kill "$editor"
