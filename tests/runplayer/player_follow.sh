#!/usr/bin/env bash
# RunZelvo following on when an animation ends: end action 1 in the same
# window; end action 2 in a new window when the size changes, in the same one
# when size and caption are unchanged; end action 3 opens a program or a
# document with the shell.
#   player_follow.sh RunZelvo.exe MakePlayerFixture.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/player_lib.sh"

# --- End action 1: the next animation plays in the same window, over the
# first one's background (only a new set-up rebuilds it).
fixture second.ans "title=Second $BB_TAG" w=200 h=150 bg=40A040 obj=C82850,10,10,20,20 endafter=400
fixture first.ans "title=First $BB_TAG" w=200 h=150 bg=204080 obj=F0F0F0,10,10,20,20 endafter=10 end=1 next=second.ans
play first.ans
bb_wait_window ANIWNDCLASS "First $BB_TAG" 30000
first=$BB_HWND
wait_colour "$first" 15 15 '#C82850'
wait_colour "$first" 150 100 '#204080'
bb_expect_eq "the same window plays on" "$first" "$(bb_wd wait-window ANIWNDCLASS "First $BB_TAG" 1000 | cut -d' ' -f1 | sed 's/hwnd=//')"
bb_wd post "$first" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$player" 1 30

# --- End action 2 with another size: a new window, the old one goes.
fixture third.ans "title=Third $BB_TAG" pos=2 x=300 y=200 w=260 h=120 bg=A04040 obj=C82850,10,10,20,20 endafter=400
fixture grow.ans "title=Grow $BB_TAG" w=200 h=150 bg=204080 obj=F0F0F0,10,10,20,20 endafter=10 end=2 next=third.ans
# The first window lives only ten steps: the watch for it starts before the
# player does, or a loaded machine could miss it.
bb_wd wait-window ANIWNDCLASS "Grow $BB_TAG" 30000 >"$BB_WORK/grow.hwnd" &
watch=$!
play grow.ans
wait "$watch" || bb_fail "no window titled [Grow $BB_TAG] within 30000 ms"
read -r grow _ <"$BB_WORK/grow.hwnd"
grow=${grow#hwnd=}
bb_wait_window ANIWNDCLASS "Third $BB_TAG" 30000
[ "$BB_HWND" != "$grow" ] || bb_fail "the new set-up kept the old window"
bb_expect_eq "new client area" "300 200 260 120" "$BB_CX $BB_CY $BB_CW $BB_CH"
bb_wd wait-gone "$grow" 30000 >/dev/null || bb_fail "the old window stayed"
wait_colour "$BB_HWND" 200 100 '#A04040'
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$player" 1 30

# --- End action 2, same size and a caption: the window is kept.
fixture same.ans "title=Same $BB_TAG" w=200 h=150 bg=A0A020 obj=C82850,10,10,20,20 endafter=400
fixture keep.ans "title=Keep $BB_TAG" w=200 h=150 bg=204080 obj=F0F0F0,10,10,20,20 endafter=10 end=2 next=same.ans
play keep.ans
bb_wait_window ANIWNDCLASS "Keep $BB_TAG" 30000
keep=$BB_HWND
wait_colour "$keep" 150 100 '#A0A020'
bb_wd post "$keep" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$player" 1 30

# --- End action 3 with a program that came with no archive: it starts. The
# program is the player itself under another name, which opens its own-named
# animation.
cp "$PLAYER" "$BB_WORK/$BB_TAG-run.exe"
fixture "$BB_TAG-run.ans" "title=Launched $BB_TAG" obj=C82850,10,10,20,20 endafter=400
fixture program.ans "title=Program $BB_TAG" obj=F0F0F0,10,10,20,20 endafter=10 end=3 "next=$BB_TAG-run.exe"
play program.ans
bb_wait_window ANIWNDCLASS "Program $BB_TAG" 30000
bb_expect_exit "$player" 1 60
bb_wait_window ANIWNDCLASS "Launched $BB_TAG" 30000
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_wd wait-gone "$BB_HWND" 30000 >/dev/null || bb_fail "the started player did not close"

# --- End action 3 with a document: the shell opens it (settings files open
# in Notepad in a fresh Wine prefix).
printf '[following]\r\ndocument=1\r\n' >"$BB_WORK/$BB_TAG-note.ini"
fixture document.ans "title=Document $BB_TAG" obj=F0F0F0,10,10,20,20 endafter=10 end=3 "next=$BB_TAG-note.ini"
play document.ans
bb_wait_window ANIWNDCLASS "Document $BB_TAG" 30000
bb_expect_exit "$player" 1 60
bb_wait_window - "~$BB_TAG-note" 30000
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
echo "player follow-on checks passed"
