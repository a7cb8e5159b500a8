#!/usr/bin/env bash
# RunZelvo plays the same picture from an animation file and from an archive
# of it made by Info-ZIP zip (no "anxinfo.dat", another name than the
# animation's), and leaves nothing of the archive in the temporary folder
# once its window is closed.
#   player_archive.sh RunZelvo.exe MakePlayerFixture.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
PLAYER=$1 FIXTURE=$2
NAME=$BB_TAG TITLE="Archive $BB_TAG"
mkdir -p "$BB_WORK/source" "$BB_WORK/dist"
cd "$BB_WORK/source"
"$ZELVO_WINE" "$FIXTURE" . "$NAME.ans" "title=$TITLE" pos=2 x=60 y=40 w=240 h=180 bg=306090 \
  image="$NAME-back.bmp" image-color=A0C040 image-w=160 image-h=100 \
  obj=C82850,10,10,40,30 obj=F0F0F0,150,120,30,30 </dev/null >/dev/null 2>&1 || bb_fail "cannot write the fixture"
zip -q -j "$BB_WORK/dist/zipped.anx" "$NAME.ans" "$NAME-0.bmx" "$NAME-1.bmx" "$NAME-back.bmp"

# picture FOLDER FILE OUT.bmp: plays FILE from FOLDER and keeps its client area.
picture() {
  cd "$1"
  bb_start "$PLAYER" "$2"
  player=$BB_PID
  bb_wait_window ANIWNDCLASS "$TITLE" 30000
  bb_expect_eq "client area" "60 40 240 180" "$BB_CX $BB_CY $BB_CW $BB_CH"
  # The objects stand still: wait until the first one is drawn, then keep it.
  local tries=0
  while :; do
    bb_wd capture-window "$BB_HWND" "$3" client >/dev/null
    [ "$(bb_png_pixel "$3" 20 20)" = '#C82850' ] && break
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || bb_fail "the object never showed in $2"
    sleep 0.2
  done
}

picture "$BB_WORK/source" "$NAME.ans" "$BB_WORK/plain.bmp"
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$player" 1 30

picture "$BB_WORK/dist" zipped.anx "$BB_WORK/archive.bmp"
# The files were unpacked into a folder of their own in the temporary folder.
temp_root="$WINEPREFIX/drive_c/users"
unpacked=$(find "$temp_root" -path '*Temp*' -name "$NAME.ans" 2>/dev/null | head -1)
[ -n "$unpacked" ] || bb_fail "the archive's animation was not unpacked into the temporary folder"
unpack_folder=$(dirname "$unpacked")
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$player" 1 30
[ ! -e "$unpack_folder" ] || bb_fail "left behind: $(ls -A "$unpack_folder")"
left=$(find "$temp_root" -path '*Temp*' -name "*$NAME*" 2>/dev/null)
[ -z "$left" ] || bb_fail "left in the temporary folder: $left"

# Same picture, pixel for pixel: background colour, centred picture, objects.
bb_expect_eq "pixels that differ" 0 "$(compare -metric AE "$BB_WORK/plain.bmp" "$BB_WORK/archive.bmp" null: 2>&1)"
for check in "5 5 #306090" "120 90 #A0C040" "40 40 #A0C040" "39 45 #306090" "20 20 #C82850" "160 130 #F0F0F0"; do
  read -r x y colour <<<"$check"
  bb_expect_eq "pixel $x,$y" "$colour" "$(bb_png_pixel "$BB_WORK/archive.bmp" "$x" "$y")"
done
echo "player archive checks passed"
