#!/usr/bin/env bash
# The tab control in a dialog, driven as a user drives it: clicks on the tabs
# swap the pages and notify the dialog, a disabled tab refuses, and the
# control draws its tabs and its page frame.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
host_exe=$1
cd "$BB_WORK"

bb_start "$host_exe" "TabHost $BB_TAG"
host=$BB_PID
bb_wait_window '#32770' "TabHost $BB_TAG" 30000
dialog=$BB_HWND

kids() { KIDS=$(bb_wd children "$dialog"); }  # reads the items once for the checks that follow
item() {  # ID: the item's line of the last `kids`
  grep -E " id=$1 " <<<"$KIDS" || bb_fail "no item $1"
}
hwnd_of() { sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/' <<<"$1"; }

# Waits until item ID's line holds FRAGMENT.
wait_item() {  # ID FRAGMENT
  local deadline=$((SECONDS + 20))
  until kids; [[ "$(item "$1")" == *"$2"* ]]; do
    [ "$SECONDS" -lt "$deadline" ] || bb_fail "item $1 never showed [$2]: $(item "$1")"
    sleep 0.1
  done
}

expect_page() {  # SHOWN_FIRST SHOWN_LAST HIDDEN_FIRST HIDDEN_LAST
  local id
  for id in $(seq "$1" "$2"); do bb_expect_line "$(item "$id")" 'visible=1'; done
  for id in $(seq "$3" "$4"); do bb_expect_line "$(item "$id")" 'visible=0'; done
}

kids
tab_line=$(item 1800)
tab=$(hwnd_of "$tab_line")
read -r _ _ _ tab_w _ <<<"$tab_line"
bb_expect_line "$tab_line" 'class="TABCTL"'

# Set up as the settings dialog: the "&Editor" page shows, "&Palette" hides.
expect_page 1830 1840 1810 1816
bb_expect_line "$(item 100)" 'text=""'
bb_expect_eq "tabs" "result=2" "$(bb_wd send "$tab" 1029 0 0)"

# A click on the second tab: the dialog hears of it, the pages swap.
bb_wd mouse "$tab" click $((tab_w * 3 / 4)) 6 >/dev/null
wait_item 100 'text="id=1800 code=0 param=1"'
expect_page 1810 1816 1830 1840
bb_expect_line "$(item 101)" 'text="1"'

# The current tab again: no notification.
bb_wd mouse "$tab" click $((tab_w * 3 / 4)) 6 >/dev/null
bb_expect_eq "current" "result=1" "$(bb_wd send "$tab" 1028 0 0)"
kids
bb_expect_line "$(item 101)" 'text="1"'

# The first tab disabled: a click and the select message are refused.
bb_wd send "$tab" 1026 0 0 >/dev/null
bb_wd mouse "$tab" click $((tab_w / 4)) 6 >/dev/null
bb_expect_eq "select a disabled tab" "result=1" "$(bb_wd send "$tab" 1032 0 0)"
bb_expect_eq "current" "result=1" "$(bb_wd send "$tab" 1028 0 0)"
kids
bb_expect_line "$(item 101)" 'text="1"'
bb_expect_eq "enabled" "result=0" "$(bb_wd send "$tab" 1027 0 0)"

# The control's picture: the strip in the button-face colour, the disabled
# label grey, the page frame's black right edge one pixel inside.
bb_wd capture-window "$tab" tab.bmp client >/dev/null
read -r cw ch <<<"$(identify -format '%w %h' tab.bmp)"
bb_expect_eq "frame right edge" "#000000" "$(bb_png_pixel tab.bmp $((cw - 2)) $((ch / 2)))"
bb_expect_eq "frame bottom edge" "#000000" "$(bb_png_pixel tab.bmp $((cw / 2)) $((ch - 1)))"
bb_expect_eq "frame left edge" "#FFFFFF" "$(bb_png_pixel tab.bmp 0 $((ch / 2)))"
# (the middle of the first tab, away from its outline)
grey=$(convert tab.bmp -crop "$((cw / 4))x14+$((cw / 8))+6" +repage -fill white +opaque '#808080' -fill black -opaque '#808080' \
  -format '%[fx:int(w*h*(1-mean)+0.5)]' info:)
[ "$grey" -gt 10 ] || bb_fail "the disabled tab's label is not grey ($grey grey pixels)"

# Enabled again, the first tab is selected by its message.
bb_wd send "$tab" 1026 1 0 >/dev/null
bb_expect_eq "select" "result=0" "$(bb_wd send "$tab" 1032 0 0)"
wait_item 100 'text="id=1800 code=0 param=0"'
expect_page 1830 1840 1810 1816
bb_expect_line "$(item 101)" 'text="2"'

bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
bb_expect_exit "$host" 0 20
