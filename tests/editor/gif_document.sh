#!/usr/bin/env bash
# An animated GIF as a user meets it in the editor: opened from the command
# line it brings "&Animation..." into the menu, whose dialog "GIF-Animation"
# shows the file's frames on its strip; edits there and Save write the frames,
# delays, loop and comment back, as gifsicle and ImageMagick read them; the
# browser preview starts the program registered for "htmlfile" with the
# animation; a file of images of different sizes asks "GIF - Importoptionen".
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
library=$2
browser=$3
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
cp "$library" "$BB_WORK/ed/ZelvoConv32.dll"
cp "$(dirname "$library")/ijl11.dll" "$BB_WORK/ed/"
cp "$browser" "$BB_WORK/ed/BrowserStandIn.exe"
# Loaded pictures keep their own palettes without a palette question.
printf '[File]\r\nUseSavedPalette=2\r\n' >"$BB_WORK/ed/ZELVO.ini"
cd "$BB_WORK"

IDM_SAVE=112
CMD_ANIMATION=1001
COMMENT=101     # controls of "GIF-Animation"
STRIP=111
BROWSER=125
AVIREEL_GET_COUNT=1281
IMAGE_LIST=110  # of "GIF - Importoptionen"

# ---- the browser: our stand-in for as long as the test runs ----
KEY='HKCR\htmlfile\shell\open\command'
previous=$("$ZELVO_WINE" reg query "$KEY" /ve 2>/dev/null </dev/null | tr -d '\r' |
  sed -n 's/^ *(Default) *REG_SZ *//p' || true)
restore_browser() {
  if [ -n "$previous" ]; then
    "$ZELVO_WINE" reg add "$KEY" /ve /d "$previous" /f >/dev/null 2>&1 </dev/null || true
  fi
}
cleanup() {
  local status=$?
  restore_browser
  (exit "$status")
  bb_cleanup
}
trap cleanup EXIT
"$ZELVO_WINE" reg add "$KEY" /ve /d "\"$(bb_winpath "$BB_WORK/ed/BrowserStandIn.exe")\" \"%1\"" /f >/dev/null </dev/null
export ZV_BROWSER_RECORD
ZV_BROWSER_RECORD=$(bb_winpath "$BB_WORK/record.txt")

# ---- a three-frame animation made by ImageMagick ----
for i in 1 2 3; do
  convert -seed "$i" -size 40x30 plasma:fractal +dither -colors 16 "f$i.gif"
done
# One comment, before the first image (each comment extension adds to the text).
convert -delay 10 f1.gif -delay 20 f2.gif -delay 30 f3.gif -loop 0 plain.gif
gifsicle plain.gif --comment "made elsewhere" "#0" --no-comments "#1-" -o anim.gif
before=$(gifsicle --info anim.gif)
grep -q "loop forever" <<<"$before" || bb_fail "the source is not endless: $before"

bb_start ed/ZELVO.exe "$(bb_winpath "$BB_WORK/anim.gif")"
editor=$BB_PID
bb_wait_window Zelvo "~anim.gif" 30000
main=$BB_HWND
bb_expect_line "$(bb_wd menu-state "$main" bar)" "id=$CMD_ANIMATION " 'state=enabled' 'text="&Animation..."'

# The dialog with the file's three frames and its comment.
bb_wd post "$main" WM_COMMAND $CMD_ANIMATION 0 >/dev/null
bb_wait_window '#32770' "GIF-Animation" 20000
dialog=$BB_HWND
bb_expect_eq "frames on the strip" "result=3" "$(bb_wd send "$(bb_child "$dialog" $STRIP)" $AVIREEL_GET_COUNT 0 0)"
comment=$(bb_child "$dialog" $COMMENT)
bb_expect_eq "comment shown" '"made elsewhere"' "$(bb_control_text "$comment")"
bb_screenshot "$BB_NAME-dialog.png"

# The browser preview: the stand-in gets the animation, which is gone afterwards.
bb_wd post "$dialog" WM_COMMAND $BROWSER 0 >/dev/null
bb_until 30 test -s record.txt
line=$(head -1 record.txt | tr -d '\r')
[[ "$line" == *'\zvgif'????'.gif"' ]] || bb_fail "browser command line: $line"
gifsicle --info record.txt.gif | grep "3 images" >/dev/null || bb_fail "the browser did not get the animation"
temporary=$(sed -E 's/.*"([^"]*zvgif[0-9A-F]{4}\.gif)"$/\1/' <<<"$line")
bb_until 30 test ! -e "$("$ZELVO_WINE" winepath.exe -u "$temporary" 2>/dev/null </dev/null | tr -d '\r')"

# A new comment, then OK and Save.
bb_wd set-text "$comment" "edited in Zelvo" >/dev/null
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null
cp anim.gif original.gif
bb_wd post "$main" WM_COMMAND $IDM_SAVE 0 >/dev/null
saved() { gifsicle --info anim.gif 2>/dev/null | grep "comment edited in Zelvo" >/dev/null; }
bb_until 30 saved
after=$(gifsicle --info anim.gif)
bb_expect_line "$after" "anim.gif 3 images"
bb_expect_line "$after" "loop forever"
bb_expect_eq "delays" "10 20 30 " "$(identify -format '%T ' anim.gif)"
# The editor holds the frames in its own palette: each written frame is its
# source frame in the nearest colours, and far from the other frames.
mae() { compare -metric MAE "$1" "$2" null: 2>&1 | sed -E 's/.*\(([0-9.e-]+)\).*/\1/' || true; }
for i in 0 1 2; do
  convert "original.gif[$i]" +repage "was$i.png"
  convert "anim.gif[$i]" +repage "is$i.png"
done
for i in 0 1 2; do
  near=$(mae "was$i.png" "is$i.png")
  awk -v e="$near" 'BEGIN { exit !(e < 0.05) }' || bb_fail "frame $i written back with a mean error of $near"
  other=$(mae "was$(( (i + 1) % 3 )).png" "is$i.png")
  awk -v n="$near" -v o="$other" 'BEGIN { exit !(o > 2 * n && o > 0.05) }' ||
    bb_fail "frame $i is not its own source frame: $near against $other"
done
bb_kill "$editor"

# ---- images of different sizes ask how to import them ----
convert -delay 10 f1.gif \( f2.gif -crop 20x10+0+0 +repage \) -loop 0 sizes.gif
bb_start ed/ZELVO.exe "$(bb_winpath "$BB_WORK/sizes.gif")"
editor=$BB_PID
bb_wait_window '#32770' "GIF - Importoptionen" 30000
import=$BB_HWND
items=$(bb_wd items "$(bb_child "$import" $IMAGE_LIST)")
bb_expect_line "$items" 'index=0 ' 'text="Frame 0: 40x30  16 Colors"'
bb_expect_line "$items" 'index=1 ' 'text="Frame 1: 20x10 '
bb_wd post "$import" WM_COMMAND IDOK 0 >/dev/null
bb_wd wait-gone "$import" 20000 >/dev/null
bb_wait_window Zelvo "~sizes.gif" 30000
bb_expect_line "$(bb_wd menu-state "$BB_HWND" bar)" "id=$CMD_ANIMATION " 'text="&Animation..."'
bb_kill "$editor"
