#!/usr/bin/env bash
# The editor as a user starts it: the first start writes the file
# associations, instances are numbered ONE, TWO, ..., the workspace, the film
# reel and the status bar stand where they belong, menus follow the document,
# a stored placement is clamped, and the placement is kept in the settings file.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
make_sample=$2
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"   # its settings file lives beside it
cd "$BB_WORK"
"$ZELVO_WINE" "$make_sample" . >/dev/null
ini="$BB_WORK/ed/ZELVO.ini"

"$ZELVO_WINE" reg delete 'HKCR\.mbx' /f >/dev/null 2>&1 || true
"$ZELVO_WINE" reg delete 'HKCR\zBildsequenz' /f >/dev/null 2>&1 || true

# ---- first editor: no document ----
bb_start ed/ZELVO.exe -r
first=$BB_PID
bb_wait_window Zelvo "Zelvo ONE" 30000
one=$BB_HWND
bb_expect_eq "instance of the first editor" "result=1" "$(bb_wd send "$one" WM_USER+291 291 0)"
bb_expect_eq "default size" "768 568" "$BB_W $BB_H"

# The associations of a first start.
bb_expect_line "$("$ZELVO_WINE" reg query 'HKCR\.mbx' /ve 2>/dev/null | tr -d '\r')" zBildsequenz
bb_expect_line "$("$ZELVO_WINE" reg query 'HKCR\.bmx' /ve 2>/dev/null | tr -d '\r')" zBildsequenz
bb_expect_line "$("$ZELVO_WINE" reg query 'HKCR\zBildsequenz' /ve 2>/dev/null | tr -d '\r')" "Zelvo Bildsequenz"
bb_expect_line "$("$ZELVO_WINE" reg query 'HKCR\zBildsequenz\shell\open\command' /ve 2>/dev/null | tr -d '\r')" \
  'ZELVO.exe' '"%1"'

# Under the two tool bars the workspace and the status bar fill the client
# area; no frame views yet.
kids=$(bb_wd children "$one")
bb_expect_line "$kids" "0 66 $BB_CW $((BB_CH - 66 - 22))" 'class="COMMON"' 'visible=1'
bb_expect_line "$kids" "0 $((BB_CH - 22)) $BB_CW 22" 'class="COMMON"' 'visible=1'
bb_expect_line "$kids" 'class="FRAMES"' 'visible=0'
menu=$(bb_wd menu-state "$one" bar)
bb_expect_line "$menu" 'pos=1 type=popup' 'state=grayed' 'text="&Edit"'
bb_expect_line "$menu" 'id=108 state=grayed'
bb_expect_line "$menu" 'id=112 state=grayed'
bb_expect_line "$menu" 'id=111 state=enabled' 'text="&Quit\bAlt+F4"'

# ---- second editor: the sample animation from the command line ----
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/sample.ans")"
second=$BB_PID
bb_wait_window Zelvo "~Zelvo TWO - sample.ans" 30000
two=$BB_HWND
bb_expect_eq "instance of the second editor" "result=2" "$(bb_wd send "$two" WM_USER+291 291 0)"
kids=$(bb_wd children "$two")
bb_expect_line "$kids" 'class="FRAMES"' 'visible=1'
bb_expect_line "$kids" 'class="ANIEDIT"' 'visible=1'
bb_expect_line "$kids" 'class="PALETTE"' 'visible=1'
film=$(grep 'class="FRAMES"' <<<"$kids")
read -r fx fy fw fh <<<"$(sed -E 's/^hwnd=0x[0-9A-Fa-f]+ (-?[0-9]+) (-?[0-9]+) ([0-9]+) ([0-9]+).*/\1 \2 \3 \4/' <<<"$film")"
[ "$fw" -ge 80 ] && [ "$fh" -ge 48 ] || bb_fail "film reel too small: $film"
menu=$(bb_wd menu-state "$two" bar)
bb_expect_line "$menu" 'pos=1 type=popup' 'state=enabled' 'text="&Edit"'
bb_expect_line "$menu" 'id=108 state=enabled'
# The reel shows the first frame of the sample (a blue disc) with the green
# mark of the current frame around it.
bb_wd capture-window "$(grep 'class="FRAMES"' <<<"$kids" | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')" film.bmp client >/dev/null
[ "$(bb_png_pixel film.bmp 17 30)" = "#00FF00" ] || [ "$(bb_png_pixel film.bmp 18 30)" = "#00FF00" ] ||
  bb_fail "no current-frame mark on the reel"
blue=$(convert film.bmp -fill white +opaque '#0000FF' -fill black -opaque '#0000FF' -format '%[fx:int(w*h*(1-mean)+0.5)]' info:)
[ "$blue" -gt 100 ] || bb_fail "no frame pictures on the reel ($blue blue pixels)"
bb_screenshot "$BB_NAME-two-editors.png"

bb_wd post "$two" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$second" 0 20
bb_wd post "$one" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$first" 0 20

# The settings file after exit: the placement of each instance.
grep -q '^WindowSize1=' "$ini" || bb_fail "no WindowSize1 in the settings file"
grep -q '^WindowSize2=' "$ini" || bb_fail "no WindowSize2 in the settings file"
grep -q '^Maximized1=0' "$ini" || bb_fail "no Maximized1 in the settings file"
grep -q '^ViewSize1=' "$ini" || bb_fail "no ViewSize1 in the settings file"

# ---- a stored placement below the minimum size is clamped ----
sed -i 's/^WindowSize1=.*/WindowSize1=10 10 50 50/' "$ini"
bb_start ed/ZELVO.exe -r
third=$BB_PID
bb_wait_window Zelvo "Zelvo ONE" 30000
bb_expect_eq "clamped placement" "10 10 768 568" "$BB_X $BB_Y $BB_W $BB_H"
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$third" 0 20
