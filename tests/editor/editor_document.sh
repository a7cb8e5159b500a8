#!/usr/bin/env bash
# The editor with a document, as a user sees it: a file that cannot be opened
# is named in its message's caption and leaves no document behind (Close
# greyed, no animation kind checked); full-size frames on the film scroll to
# their last rows; the onion-skin source read at start is written back at exit.
#   editor_document.sh ZELVO.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
mkdir -p "$BB_WORK/ed"
cp "$1" "$BB_WORK/ed/ZELVO.exe"   # its settings file lives beside it
cd "$BB_WORK"
ini="$BB_WORK/ed/ZELVO.ini"
printf '[Edit]\r\nGreaseProofMode=1\r\n' >"$ini"

# The main window's menu states after its File menu was opened (which is when
# the editor brings them up to date).
popup_open() { bb_wd menu-state "$1" popup | grep 'pos=p0' >/dev/null; }
menu_after_opening() {  # HWND
  local menu
  bb_wd keys "$1" alt+F >/dev/null
  bb_until 10 popup_open "$1"
  menu=$(bb_wd menu-state "$1" bar)
  bb_wd keys "$1" VK_ESCAPE VK_ESCAPE >/dev/null
  echo "$menu"
}

# ---- a file that cannot be opened ----
missing=$(bb_winpath "$BB_WORK/missing-$BB_TAG.bmx")
bb_start ed/ZELVO.exe -r "$missing"
editor=$BB_PID
box=$(bb_wd dismiss-box "missing-$BB_TAG.bmx" OK 30000) || bb_fail "no message for the missing file"
bb_expect_line "$box" "caption=\"${missing//\\/\\\\}\""
bb_expect_line "$box" 'text="Error finding file!"'
bb_expect_line "$box" 'icon=error'
bb_wait_window Zelvo "Zelvo ONE" 30000
main=$BB_HWND
menu=$(menu_after_opening "$main")
bb_expect_line "$menu" 'id=108 state=grayed' 'text="Close..."'
bb_expect_line "$menu" 'id=702 state=grayed checked=0'
bb_wd post "$main" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor" 0 30
grep -q '^GreaseProofMode=1' "$ini" || bb_fail "GreaseProofMode was not written back: $(grep GreaseProofMode "$ini")"

# ---- a frame higher than the film: it scrolls down to its last rows ----
# Red, its last 40 rows blue (the film marks the current frame in green).
convert -size 64x1000 xc:'#FF0000' -fill '#0000FF' -draw 'rectangle 0,960 63,999' BMP3:"$BB_WORK/tall.bmp"
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/tall.bmp")"
editor=$BB_PID
bb_wait_window Zelvo "~Zelvo ONE" 30000
main=$BB_HWND
film=$(bb_wd children "$main" | grep -m1 'class="FRAMES"' | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
[ -n "$film" ] || bb_fail "no film reel"
blue_on_film() {
  bb_wd capture-window "$film" "$BB_WORK/film.bmp" client >/dev/null
  convert "$BB_WORK/film.bmp" -fill white +opaque '#0000FF' -fill black -opaque '#0000FF' \
    -format '%[fx:int(w*h*(1-mean)+0.5)]' info:
}
no_blue_on_film() { [ "$(blue_on_film)" -eq 0 ]; }
bb_wd send "$main" WM_COMMAND 327 0 >/dev/null    # frames on the reel at full size
bb_until 10 no_blue_on_film                       # the top of the frame: red
bb_wd send "$film" WM_VSCROLL 7 0 >/dev/null      # SB_BOTTOM
blue=$(blue_on_film)
[ "$blue" -gt 1000 ] || bb_fail "the last rows of the frame never show on the film ($blue blue pixels)"
bb_kill "$editor"   # the new sequence would be offered for saving
echo "editor document checks passed"
