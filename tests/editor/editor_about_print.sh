#!/usr/bin/env bash
# The editor's about box and print commands under Wine, which has no printer:
# without a document "Prin&ter Setup..." and "&Print..." are greyed; with one
# they are offered, Print reports that the page cannot be printed and Printer
# Setup does nothing; "About Zelvo..." shows the about box until a click.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
make_sample=$2
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
cd "$BB_WORK"
"$ZELVO_WINE" "$make_sample" . >/dev/null

bb_start ed/ZELVO.exe -r
empty_pid=$BB_PID
bb_wait_window Zelvo "~Zelvo" 30000
empty=$BB_HWND
menu=$(bb_wd menu-state "$empty" bar)
bb_expect_line "$menu" 'id=109 state=grayed' 'text="Prin&ter Setup..."'
bb_expect_line "$menu" 'id=110 state=grayed'
bb_expect_line "$menu" 'id=800 state=enabled' 'text="About Zelvo..."'
bb_wd post "$empty" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$empty_pid" 0 20

bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/sample.ans")"
editor_pid=$BB_PID
bb_wait_window Zelvo "~sample.ans" 30000
editor=$BB_HWND
menu=$(bb_wd menu-state "$editor" bar)
bb_expect_line "$menu" 'id=109 state=enabled'
bb_expect_line "$menu" 'id=110 state=enabled' 'text="&Print...\bCtrl+P"'

bb_wd post "$editor" WM_COMMAND 110 0 >/dev/null
box=$(bb_wd dismiss-box - OK 30000)
bb_expect_line "$box" 'text="The page can not be printed.\nPlease check your printer settings!"'
bb_expect_line "$box" 'icon=error'

# Printer Setup without a printer: nothing opens, the editor still answers.
bb_wd post "$editor" WM_COMMAND 109 0 >/dev/null
bb_expect_eq "editor answers" "result=1" "$(bb_wd send "$editor" WM_USER+291 291 0)"
if bb_wd windows '#32770' | grep ' visible=1 ' >/dev/null; then bb_fail "Printer Setup opened a window without a printer"; fi

bb_wd post "$editor" WM_COMMAND 800 0 >/dev/null
bb_wait_window '#32770' - 30000
about=$BB_HWND
bb_expect_eq "about box size" "330 238" "$BB_CW $BB_CH"
bb_wd click "$about" 50 50 >/dev/null
bb_wd wait-gone "$about" 20000 >/dev/null
bb_expect_eq "editor answers after the about box" "result=1" "$(bb_wd send "$editor" WM_USER+291 291 0)"

bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor_pid" 0 20
