#!/usr/bin/env bash
# Proves the black-box harness on HarnessTarget, whose window, children, menus,
# colours, message box and exit codes are known (see HarnessTarget.cpp).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
TARGET=$1
CLASS="HarnessTarget-$BB_TAG"
TITLE="Harness Target $BB_TAG"
BOX="Harness Box $BB_TAG"
BACKGROUND='#2080C0'
MARKER='#E03010'

# --- Run 1: the window as it stands, its menus and pictures, the accelerator.
bb_start "$TARGET" "$BB_TAG"
target=$BB_PID
bb_wait_window "$CLASS" "$TITLE" 30000
bb_expect_eq "window rectangle" "120 90 360 260" "$BB_X $BB_Y $BB_W $BB_H"
# The client area lies inside the frame, which is as wide on the left as on the right.
if [ "$BB_CX" -le "$BB_X" ] || [ "$BB_CY" -le "$BB_Y" ]; then bb_fail "client origin $BB_CX $BB_CY outside the frame"; fi
bb_expect_eq "client width" "$((BB_W - 2 * (BB_CX - BB_X)))" "$BB_CW"
[ $((BB_CY + BB_CH)) -le $((BB_Y + BB_H)) ] || bb_fail "client area below the frame"

# The same window found by part of its title, and listed among all windows.
bb_expect_eq "found by part of the title" "$(bb_wd wait-window - "~$BB_TAG" 1000)" \
  "$(bb_wd wait-window "$CLASS" - 1000)"
bb_expect_line "$(bb_wd windows "$CLASS")" "hwnd=$BB_HWND 120 90 360 260 " "visible=1" \
  "class=\"$CLASS\"" "title=\"$TITLE\""

bb_expect_line "$(bb_wd children "$BB_HWND")" " 10 10 100 30 id=201 parent=$BB_HWND visible=1" \
  'class="Button"' 'text="Show &Box"'

menu=$(bb_wd menu-state "$BB_HWND")
bb_expect_line "$menu" 'pos=0 type=popup id=-1 state=enabled checked=0 text="&File"'
bb_expect_line "$menu" 'pos=0.0 type=item id=101 state=enabled checked=0 text="&Message Box...\tCtrl+M"'
bb_expect_line "$menu" 'pos=0.1 type=item id=102 state=grayed checked=0 text="&Grayed Item"'
bb_expect_line "$menu" 'pos=0.2 type=item id=103 state=enabled checked=1 text="&Checked Item\bCtrl+K"'
bb_expect_line "$menu" 'pos=0.3 type=separator'
bb_expect_line "$menu" 'pos=0.4 type=item id=104 state=enabled checked=0 text="E&xit"'
bb_expect_eq "menu items" 6 "$(wc -l <<<"$menu")"
bb_expect_line "$(bb_wd menu-state "$BB_HWND" system)" "id=$((0xF060)) state=enabled" 'text="&Close'

# A posted key reaches the program in order, before the next menu query.
bb_wd key "$BB_HWND" C >/dev/null
bb_expect_line "$(bb_wd menu-state "$BB_HWND")" 'id=103 state=enabled checked=0'

# The window's own picture, read inside the program: the marker square at
# client (200,100)-(240,140) on the background.
bb_expect_eq "client picture" "saved $BB_CW $BB_CH" "$(bb_wd capture-window "$BB_HWND" "$BB_WORK/client.bmp" client)"
bb_expect_eq "client picture size" "${BB_CW}x$BB_CH" "$(identify -format '%wx%h' "$BB_WORK/client.bmp")"
bb_expect_eq "client picture marker" "$MARKER" "$(bb_png_pixel "$BB_WORK/client.bmp" 200 100)"
bb_expect_eq "client picture marker corner" "$MARKER" "$(bb_png_pixel "$BB_WORK/client.bmp" 239 139)"
bb_expect_eq "client picture left of the marker" "$BACKGROUND" "$(bb_png_pixel "$BB_WORK/client.bmp" 199 120)"
bb_expect_eq "client picture below the marker" "$BACKGROUND" "$(bb_png_pixel "$BB_WORK/client.bmp" 220 140)"
bb_expect_eq "window picture" "saved 360 260" "$(bb_wd capture-window "$BB_HWND" "$BB_WORK/window.bmp")"
bb_expect_eq "window picture marker" "$MARKER" \
  "$(bb_png_pixel "$BB_WORK/window.bmp" $((BB_CX - BB_X + 200)) $((BB_CY - BB_Y + 100)))"

# A second target over the first hides its marker on the screen, but not in
# the first window's own picture; made topmost, the first shows again.
# Both are topmost, so no window of a test running alongside covers them.
inside_x=$((BB_CX + 220)) inside_y=$((BB_CY + 120))
left_x=$((BB_CX + 199))
back_x=$((BB_CX + 300)) back_y=$((BB_CY + 180))
bb_start "$TARGET" "$BB_TAG-cover" 200 150
cover=$BB_PID
cover_hwnd=$(bb_wd wait-window "HarnessTarget-$BB_TAG-cover" - 30000 | cut -d' ' -f1)
bb_wd topmost "${cover_hwnd#hwnd=}" >/dev/null
bb_expect_eq "covered marker on the screen" "$BACKGROUND" "$(bb_wd wait-pixel $inside_x $inside_y "$BACKGROUND" 30000)"
bb_wd capture-window "$BB_HWND" "$BB_WORK/covered.bmp" client >/dev/null
bb_expect_eq "covered window's own marker" "$MARKER" "$(bb_png_pixel "$BB_WORK/covered.bmp" 220 120)"
bb_wd topmost "$BB_HWND" >/dev/null

# The screen, by WinDriver and by a screenshot of the X screen.
bb_expect_eq "marker pixel" "$MARKER" "$(bb_wd wait-pixel $inside_x $inside_y "$MARKER" 30000)"
bb_expect_eq "background pixel" "$BACKGROUND" "$(bb_wd wait-pixel $back_x $back_y "$BACKGROUND" 30000)"
# Other tests share the screen and may show a window over ours for a moment:
# read the screen again (up to five times) until it shows what is expected.
screen_reads() {
  local left shot area
  left=$(bb_wd pixel $left_x $inside_y)
  bb_screenshot "$BB_WORK/screen.png"
  shot="$(bb_png_pixel "$BB_WORK/screen.png" $back_x $back_y) $(bb_png_pixel "$BB_WORK/screen.png" $inside_x $inside_y) $(bb_png_pixel "$BB_WORK/screen.png" $left_x $inside_y)"
  bb_wd capture $((BB_CX + 190)) $((BB_CY + 90)) 60 60 "$(bb_winpath "$BB_WORK/area.bmp")" >/dev/null
  area="$(identify -format '%wx%h' "$BB_WORK/area.bmp") $(bb_png_pixel "$BB_WORK/area.bmp" 9 30) $(bb_png_pixel "$BB_WORK/area.bmp" 10 30) $(bb_png_pixel "$BB_WORK/area.bmp" 49 49)"
  echo "$left | $shot | $area"
}
expected_reads="$BACKGROUND | $BACKGROUND $MARKER $BACKGROUND | 60x60 $BACKGROUND $MARKER $MARKER"
for attempt in 1 2 3 4 5; do
  reads=$(screen_reads)
  [ "$reads" = "$expected_reads" ] && break
  bb_wd topmost "$BB_HWND" >/dev/null
  sleep 1
done
# pixel left of the marker | screenshot: background, marker, left of it | captured area: size, background, marker, corner
bb_expect_eq "screen reads" "$expected_reads" "$reads"
bb_expect_eq "captured below the marker" "$BACKGROUND" "$(bb_png_pixel "$BB_WORK/area.bmp" 49 50)"
bb_wd post "${cover_hwnd#hwnd=}" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$cover" 1 30

# A context menu opened by a right click, read while it is open, closed by Escape.
bb_wd click "$BB_HWND" 300 60 right >/dev/null
bb_wd wait-window '#32768' - 30000 >/dev/null
popup=$(bb_wd menu-state "$BB_HWND" popup)
bb_expect_line "$popup" 'pos=p0.0 type=item id=301 state=enabled checked=0 text="Context &One"'
bb_expect_line "$popup" 'pos=p0.1 type=item id=302 state=grayed checked=0 text="Context &Two"'
bb_wd key "$BB_HWND" VK_ESCAPE >/dev/null
bb_wd wait-gone '#32768' - 30000 >/dev/null

# Ctrl+M as real key presses opens the box; No ends the program with IDNO (7).
bb_wd keys "$BB_HWND" ctrl+M >/dev/null
box=$(bb_wd dismiss-box "$BOX" No 30000)
bb_expect_eq "message box" "caption=\"$BOX\"
text=\"Harness question 90° for $BB_TAG:\\nchoose a button.\"
icon=question
buttons=Yes,No,Cancel
pressed=No" "$box"
bb_expect_exit "$target" 7 30
bb_wd wait-gone "$BB_HWND" 30000 >/dev/null

# --- Run 2: a posted click on the child button, a button the box lacks, Yes.
bb_start "$TARGET" "$BB_TAG"
target=$BB_PID
bb_wait_window "$CLASS" "$TITLE" 30000
button=$(bb_wd children "$BB_HWND" | grep ' id=201 ' | cut -d' ' -f1)
bb_wd click "${button#hwnd=}" 50 15 >/dev/null
if bb_wd dismiss-box "$BOX" OK 30000 >"$BB_WORK/refused" 2>&1; then bb_fail "pressed a button the box lacks"; fi
bb_expect_line "$(cat "$BB_WORK/refused")" "the box has no button OK"
bb_expect_line "$(bb_wd dismiss-box "$BOX" Yes 30000)" "pressed=Yes"
bb_expect_exit "$target" 6 30

# --- Run 3: WM_CLOSE by name through send and post; failures are reported.
bb_start "$TARGET" "$BB_TAG"
target=$BB_PID
bb_wait_window "$CLASS" "$TITLE" 30000
bb_expect_eq "WM_GETTEXTLENGTH" "result=${#TITLE}" "$(bb_wd send "$BB_HWND" WM_GETTEXTLENGTH 0 0)"
if bb_wd wait-window "$CLASS" "no such title" 300 2>/dev/null; then bb_fail "wait-window found a missing window"; fi
if bb_wd wait-gone "$BB_HWND" 300 >/dev/null 2>&1; then bb_fail "wait-gone passed while the window is shown"; fi
if bb_wd send "$BB_HWND" NO_SUCH_MESSAGE 0 0 2>/dev/null; then bb_fail "send took an unknown name"; fi
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$target" 1 30

# --- Run 4: controls set, chosen and read as a user changes them, real mouse
# and keyboard input. Static 206 describes what the program last saw.
bb_start "$TARGET" "$BB_TAG"
target=$BB_PID
bb_wait_window "$CLASS" "$TITLE" 30000
edit=$(bb_child "$BB_HWND" 202) combo=$(bb_child "$BB_HWND" 203) list=$(bb_child "$BB_HWND" 204)
tick=$(bb_child "$BB_HWND" 205) log=$(bb_child "$BB_HWND" 206)
seen() { bb_control_text "$log"; }

bb_expect_eq "set-text" 'text="Grüße 90°"' "$(bb_wd set-text "$edit" 'Grüße 90°')"
bb_expect_line "$(bb_wd control "$edit")" 'class="Edit" id=202 text="Grüße 90°" enabled=1 visible=1 checked=-1'
bb_expect_eq "edit notification" '"edit 202 change"' "$(seen)"

bb_expect_eq "combo items" 'index=0 selected=0 data=10 text="Red"
index=1 selected=0 data=20 text="Green"
index=2 selected=0 data=30 text="Blue"' "$(bb_wd items "$combo")"
bb_expect_eq "select by text" 'selected=2 text="Blue"' "$(bb_wd select "$combo" Blue)"
bb_expect_line "$(bb_wd control "$combo")" 'class="ComboBox" id=203' 'selected=2 count=3'
bb_wait_text "$log" '"combo 203 selchange 2"' 30
bb_expect_eq "select by index" 'selected=1 text="Two"' "$(bb_wd select "$list" '#1')"
bb_wait_text "$log" '"list 204 selchange 1"' 30
bb_expect_line "$(bb_wd items "$list")" 'index=1 selected=1 data=0 text="Two"'
if bb_wd select "$list" Four 2>/dev/null; then bb_fail "select chose a missing item"; fi

bb_expect_eq "check" "checked=1" "$(bb_wd check "$tick" 1)"
bb_wait_text "$log" '"check 205 clicked 1"' 30
bb_wd set-text "$log" "-" >/dev/null
bb_expect_eq "check kept" "checked=1" "$(bb_wd check "$tick" 1)"
bb_expect_eq "no click when the state is there" '"-"' "$(seen)"
bb_expect_eq "clear" "checked=0" "$(bb_wd check "$tick" 0)"

# The real pointer moves and the program sees a drag with Ctrl held.
at=$(bb_wd mouse "$BB_HWND" move 150 60)
bb_expect_eq "pointer" "at $((BB_CX + 150)) $((BB_CY + 60))" "$at"
bb_hold ctrl bb_wd mouse "$BB_HWND" drag 150 60 190 95 >/dev/null
drag_seen() { [[ $(seen) == '"drag '* ]]; }
bb_until 30 drag_seen
drag=$(seen)
[[ "$drag" =~ ^\"drag\ 150,60\ 190,95\ moves=[1-9][0-9]*\ keys=ctrl\"$ ]] || bb_fail "drag seen as $drag"
bb_wd mouse "$BB_HWND" double 300 150 >/dev/null
bb_wait_text "$log" '"double 300,150"' 30

# Typing: a real click into the edit control gives it the focus, then keys.
bb_wd set-text "$edit" "" >/dev/null
bb_wd mouse "$edit" click 60 10 >/dev/null
bb_wd type "$BB_HWND" "abc 9" >/dev/null
bb_wait_text "$edit" '"abc 9"' 30

bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$target" 1 30
bb_wd wait-gone "$BB_HWND" 30000 >/dev/null

# --- A failing test that uses lib.sh leaves no program behind.
set +e
BB_NAME=harness-abandon bash -c 'source "$1/lib.sh"; bb_start "$2" "$3"; bb_wait_window "$4" - 30000; exit 3' \
  abandon "$(dirname "$0")" "$TARGET" "$BB_TAG-abandoned" "HarnessTarget-$BB_TAG-abandoned" 2>"$BB_WORK/abandon.log"
status=$?
set -e
bb_expect_eq "the abandoning script's exit code" 3 "$status"
bb_expect_line "$(cat "$BB_WORK/abandon.log")" "visible windows:"
bb_wd wait-gone "HarnessTarget-$BB_TAG-abandoned" - 30000 >/dev/null || bb_fail "the abandoned program still runs"
rm -f "$PWD/harness-abandon-failure.png"
echo "harness self-test passed"
