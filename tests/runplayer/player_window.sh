#!/usr/bin/env bash
# RunZelvo's window on the screen (every animation here has an object: one
# without any would end at once): where each placement mode puts it and how
# big it is, the colours of the background and of an object at their places
# (from a screenshot of the X screen), a window without caption, the
# system-menu commands, and exit code 1 once the window is closed.
#   player_window.sh RunZelvo.exe MakePlayerFixture.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/player_lib.sh"
BACKGROUND='#204080' OBJECT='#C82850'

show() {  # NAME TITLE: plays NAME and waits for its window
  play "$1"
  bb_wait_window ANIWNDCLASS "$2" 30000
}

close_and_expect_1() {
  bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
  bb_expect_exit "$player" 1 30
}

# --- Fixed position: the client area where the file says, at the file's size.
fixture fixed.ans "title=Fixed $BB_TAG" pos=2 x=100 y=80 w=200 h=150 bg=204080 obj=C82850,20,30,40,24
show fixed.ans "Fixed $BB_TAG"
bb_expect_eq "fixed client area" "100 80 200 150" "$BB_CX $BB_CY $BB_CW $BB_CH"
bb_wd topmost "$BB_HWND" >/dev/null
bb_expect_eq "background on the screen" "$BACKGROUND" "$(bb_wd wait-pixel $((BB_CX + 150)) $((BB_CY + 100)) "$BACKGROUND" 30000)"
bb_expect_eq "object on the screen" "$OBJECT" "$(bb_wd wait-pixel $((BB_CX + 30)) $((BB_CY + 40)) "$OBJECT" 30000)"
bb_screenshot "$BB_WORK/fixed.png"
for at in "20 30" "59 53"; do
  read -r x y <<<"$at"
  bb_expect_eq "object at $x,$y in the screenshot" "$OBJECT" "$(bb_png_pixel "$BB_WORK/fixed.png" $((BB_CX + x)) $((BB_CY + y)))"
done
for at in "19 30" "60 53" "20 29" "20 54" "0 0" "199 149"; do
  read -r x y <<<"$at"
  bb_expect_eq "background at $x,$y in the screenshot" "$BACKGROUND" "$(bb_png_pixel "$BB_WORK/fixed.png" $((BB_CX + x)) $((BB_CY + y)))"
done

# The system menu: stop/continue and about before Close, sizing greyed.
menu=$(bb_wd menu-state "$BB_HWND" system)
bb_expect_line "$menu" 'id=257 state=enabled' 'text="Stop..."'
bb_expect_line "$menu" 'id=256 state=enabled' 'text="About RunZelvo..."'
bb_expect_line "$menu" "id=$((0xF000)) state=grayed"   # Size
bb_expect_line "$menu" "id=$((0xF030)) state=grayed"   # Maximize
bb_expect_line "$menu" "id=$((0xF120)) state=grayed"   # Restore
bb_expect_line "$menu" "id=$((0xF020)) state=enabled"  # Minimize
bb_expect_line "$menu" "id=$((0xF060)) state=enabled"  # Close
pos_of() { grep -E "$1" <<<"$menu" | head -1 | sed -E 's/^pos=([0-9]+) .*/\1/'; }
stop=$(pos_of 'id=257 ')
bb_expect_eq "items before Close" "$((stop + 1)) $((stop + 3))" "$(pos_of 'id=256 ') $(pos_of "id=$((0xF060)) ")"
bb_expect_line "$menu" "pos=$((stop + 2)) type=separator"
bb_wd post "$BB_HWND" WM_SYSCOMMAND 257 0 >/dev/null
bb_expect_line "$(bb_wd menu-state "$BB_HWND" system)" 'id=257 state=enabled' 'text="Continue..."'
bb_wd post "$BB_HWND" WM_SYSCOMMAND 257 0 >/dev/null
bb_expect_line "$(bb_wd menu-state "$BB_HWND" system)" 'id=257 state=enabled' 'text="Stop..."'
close_and_expect_1

# --- Centred.
fixture centred.ans "title=Centred $BB_TAG" pos=0 w=300 h=200 obj=C82850,10,10,20,20
show centred.ans "Centred $BB_TAG"
bb_expect_eq "centred client area" "362 284 300 200" "$BB_CX $BB_CY $BB_CW $BB_CH"
close_and_expect_1

# --- Fixed beyond the bottom-right corner: moved in so that it stays on the screen.
fixture edge.ans "title=Edge $BB_TAG" pos=2 x=900 y=700 w=200 h=150 obj=C82850,10,10,20,20
show edge.ans "Edge $BB_TAG"
bb_expect_eq "edge client area" "824 618 200 150" "$BB_CX $BB_CY $BB_CW $BB_CH"
close_and_expect_1

# --- Random: inside the band that placement draws from.
fixture random.ans "title=Random $BB_TAG" pos=1 w=200 h=150 obj=C82850,10,10,20,20
show random.ans "Random $BB_TAG"
bb_expect_eq "random client size" "200 150" "$BB_CW $BB_CH"
# x = 1024/64 + [0, 1024 - 1024/32 - 200), y = 768/64 + [0, 768 - 768/32 - 150)
if [ "$BB_CX" -lt 16 ] || [ "$BB_CX" -ge $((16 + 792)) ] || [ "$BB_CY" -lt 12 ] || [ "$BB_CY" -ge $((12 + 594)) ]; then
  bb_fail "random client origin $BB_CX,$BB_CY outside the placement band"
fi
close_and_expect_1

# --- Without a caption: the frame is as thick at the top as at the sides.
fixture plain.ans "title=Plain $BB_TAG" caption=0 pos=2 x=40 y=50 w=160 h=100 bg=204080 obj=C82850,10,10,20,20
show plain.ans "Plain $BB_TAG"
bb_expect_eq "caption-less client area" "40 50 160 100" "$BB_CX $BB_CY $BB_CW $BB_CH"
bb_expect_eq "frame above the client area" "$((BB_CX - BB_X))" "$((BB_CY - BB_Y))"
close_and_expect_1
echo "player window checks passed"
