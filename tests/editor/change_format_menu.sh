#!/usr/bin/env bash
# Change Format (405) as a user reaches it in the editor: the Sequence menu
# offers it with its key, Ctrl+F opens "Change Frame Format", a larger frame
# at 24 bits is chosen, and the frame saved back is the old picture in the
# top left of the new size, as ImageMagick's -extent puts it, now at 24 bits.
#   change_format_menu.sh ZELVO.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
mkdir -p "$BB_WORK/ed"
cp "$1" "$BB_WORK/ed/ZELVO.exe"
cd "$BB_WORK"
# 24 x 16, white with a red and a blue square, in a palette of those three
# colours (no palette question on loading).
convert -size 24x16 xc:white -fill red -draw 'rectangle 2,2 7,7' -fill blue -draw 'rectangle 14,8 21,13' \
  -type Palette BMP3:pic.bmp
cp pic.bmp original.bmp

bb_park_pointer
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/pic.bmp")"
bb_wait_window Zelvo - 30000
main=$BB_HWND
bb_expect_line "$(bb_wd menu-state "$main" bar)" 'id=405 state=enabled' 'text="&Change Format...\bCtrl+F"'

# Ctrl+F, as the accelerator table gives it.
bb_wd keys "$main" ctrl+F >/dev/null
bb_wait_window '#32770' 'Change Frame Format' 20000
dialog=$BB_HWND
bb_expect_eq "current width" '"X:   24"' "$(bb_control_text "$(bb_child "$dialog" 601)")"
bb_expect_eq "current height" '"Y:   16"' "$(bb_control_text "$(bb_child "$dialog" 602)")"
bb_wd set-text "$(bb_child "$dialog" 605)" 40 >/dev/null
bb_wd set-text "$(bb_child "$dialog" 607)" 30 >/dev/null
bb_wd check "$(bb_child "$dialog" 229)" 1 >/dev/null
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null

before=$(md5sum pic.bmp)
bb_wd send "$main" WM_COMMAND 112 0 >/dev/null
bb_until 20 bash -c '[ "$(md5sum pic.bmp)" != "$1" ]' _ "$before"
bb_expect_eq "saved size and depth" "40x30 24" \
  "$(identify -format '%wx%h ' pic.bmp)$(od -An -tu2 -j28 -N2 pic.bmp | tr -d ' ')"
# The new parts show the sequence background: white for a bitmap without a
# transparent colour.
convert original.bmp -background white -extent 40x30 expected.png
bb_expect_eq "pixels against ImageMagick's -extent" 0 \
  "$(compare -metric AE pic.bmp expected.png null: 2>&1 || true)"
