#!/usr/bin/env bash
# The Image menu and Undo in the editor as a user drives it: a picture opened
# from the command line is flipped, turned and shifted by posted commands,
# saved with Save (112) and compared with ImageMagick's own flip, flop and
# rotation; Undo and Repeat bring back the pictures before and after.
#   frame_operations.sh ZELVO.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
mkdir -p "$BB_WORK/ed"
cp "$1" "$BB_WORK/ed/ZELVO.exe"
cd "$BB_WORK"
printf '[File]\r\nBMX-Compression=0\r\n' >"$BB_WORK/ed/ZELVO.ini"

picture="$BB_WORK/frame.bmp"
convert -seed 7 -size 8x8 plasma:fractal -depth 8 BMP3:"$picture"
cp "$picture" "$BB_WORK/original.bmp"
bb_start ed/ZELVO.exe -r "$(bb_winpath "$picture")"
editor=$BB_PID
bb_wait_window Zelvo "~Zelvo ONE" 30000
main=$BB_HWND

# The saved picture differs from `expected` in no pixel.
same_as() { [ "$(compare -metric AE "$picture" "$1" null: 2>&1 || true)" = "0" ]; }
step() {  # COMMAND EXPECTED.bmp WHAT
  bb_wd post "$main" WM_COMMAND "$1" 0 >/dev/null
  bb_wd post "$main" WM_COMMAND 112 0 >/dev/null
  bb_until 20 same_as "$2" || bb_fail "$3: $(compare -metric AE "$picture" "$2" null: 2>&1 || true) pixels differ"
}

convert "$BB_WORK/original.bmp" -flop BMP3:"$BB_WORK/flop.bmp"
step 510 "$BB_WORK/flop.bmp" "Flip horizontally against -flop"
convert "$BB_WORK/flop.bmp" -flip BMP3:"$BB_WORK/flip.bmp"
step 511 "$BB_WORK/flip.bmp" "Flip vertically against -flip"
convert "$BB_WORK/flip.bmp" -rotate 90 BMP3:"$BB_WORK/rotated.bmp"
step 520 "$BB_WORK/rotated.bmp" "Rotation clockwise 90 against -rotate 90"
convert "$BB_WORK/rotated.bmp" -rotate -90 BMP3:"$BB_WORK/back.bmp"
step 521 "$BB_WORK/back.bmp" "Rotation anticlockwise 90 against -rotate -90"
# Shift right: the freed left column keeps its pixels.
convert "$BB_WORK/back.bmp" \( +clone -crop 7x8+0+0 +repage \) -geometry +1+0 -composite BMP3:"$BB_WORK/right.bmp"
step 504 "$BB_WORK/right.bmp" "Scroll right"
step 201 "$BB_WORK/back.bmp" "Undo of the scroll"
step 201 "$BB_WORK/rotated.bmp" "Undo of the anticlockwise turn"
step 202 "$BB_WORK/back.bmp" "Repeat of the anticlockwise turn"

bb_kill "$editor"   # the new animation would be offered for saving
echo "frame operation checks passed"
