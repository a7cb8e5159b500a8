#!/usr/bin/env bash
# "New..." (101) as a user reaches it in the editor: the File menu offers it
# with its key, and the menu's keys open "New Frame Sequence" with the open
# frame's size. Cancel keeps the document; a size out of range is refused and
# the dialog stays; Ctrl+N and OK with 40 x 30 at 16 colours, then No to
# saving the unnamed animation, replace the document with a new sequence,
# whose saved file holds one frame of that size and depth in one colour. The
# sequence opened first is left as it was.
#   new_sequence_menu.sh ZELVO.exe DocTool.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
mkdir -p "$BB_WORK/ed"
cp "$1" "$BB_WORK/ed/ZELVO.exe"
doctool=$2
cd "$BB_WORK"
mkdir first
"$ZELVO_WINE" "$doctool" make-bmx "$(bb_winpath "$BB_WORK/first/seq.bmx")" 24 0 >/dev/null
before=$(cd first && md5sum ./*)

WIDTH=211
HEIGHT=213
DEPTH_16=226
DIALOG='New Frame Sequence'

bb_park_pointer
bb_wd clear-clipboard >/dev/null  # a picture there would set the dialog's size
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/first/seq.bmx")"
bb_wait_window Zelvo - 30000
main=$BB_HWND
bb_expect_line "$(bb_wd menu-state "$main" bar)" 'id=101 state=enabled' 'text="&New...\bCtrl+N"'
title=$(bb_wd windows | grep -F "hwnd=$main " | sed -E 's/.* title="(.*)"$/\1/')

# ---- the File menu's keys; Cancel changes nothing ----
bb_wd keys "$main" alt+F N >/dev/null
bb_wait_window '#32770' "$DIALOG" 20000
dialog=$BB_HWND
bb_expect_eq "width shown" '"53"' "$(bb_control_text "$(bb_child "$dialog" $WIDTH)")"
bb_expect_eq "height shown" '"19"' "$(bb_control_text "$(bb_child "$dialog" $HEIGHT)")"
bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null
bb_expect_line "$(bb_wd windows | grep -F "hwnd=$main ")" "title=\"$title\""

# ---- Ctrl+N: a width out of range is refused, then 40 x 30 at 16 colours ----
bb_wd keys "$main" ctrl+N >/dev/null
bb_wait_window '#32770' "$DIALOG" 20000
dialog=$BB_HWND
bb_wd set-text "$(bb_child "$dialog" $WIDTH)" 7 >/dev/null
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_expect_line "$(bb_wd dismiss-box Error OK 20000)" \
  'text="The Witdh and Height of a Frame must be within 8 and 2048 Pixels!"'
bb_wd wait-window '#32770' "$DIALOG" 5000 >/dev/null
bb_wd set-text "$(bb_child "$dialog" $WIDTH)" 40 >/dev/null
bb_wd set-text "$(bb_child "$dialog" $HEIGHT)" 30 >/dev/null
bb_wd check "$(bb_child "$dialog" $DEPTH_16)" 1 >/dev/null
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null
# The sequence is saved, the animation around it is not: the question is
# about the animation, and No lets it go.
bb_expect_line "$(bb_wd dismiss-box Noname.ans No 20000)" 'buttons=Yes,No,Cancel'

# ---- saved through "Save Sequence" (an untouched new frame gives Save
# nothing to write) ----
bb_wd post "$main" WM_COMMAND 104 0 >/dev/null
bb_wait_window '#32770' "Save Sequence" 20000
chooser=$BB_HWND
bb_wd set-text "$(bb_child "$chooser" 1148)" "$(bb_winpath "$BB_WORK/new.bmx")" >/dev/null
bb_wd post "$chooser" WM_COMMAND IDOK 0 >/dev/null
bb_wd wait-gone "$chooser" 20000 >/dev/null
mkdir frames
bb_until 20 "$ZELVO_WINE" "$doctool" dump-frames "$(bb_winpath "$BB_WORK/new.bmx")" frames/f
bb_expect_eq "frames and bits per pixel in the file's header" "1 4" \
  "$(/usr/bin/python3 -c 'import struct,sys; h=open(sys.argv[1],"rb").read(14); print(*struct.unpack_from("<HB", h, 6))' new.bmx)"
bb_expect_eq "the frame's size and colours" "40x30 1" "$(identify -format '%wx%h %k' frames/f0.ppm)"
bb_expect_eq "the sequence opened first" "$before" "$(cd first && md5sum ./*)"
