#!/usr/bin/env bash
# "Install Animation" (template 1038) under Wine, whose desktop answers as
# the Program Manager: the dialog shows the animation's file and folder and
# the group "Zelvo 3.5" (the server lists no groups), Cancel answers 0; an
# install ends with the DDE error, because Wine's AddItem cannot take a
# command line with arguments, and answers 1.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
runner=$1
cd "$BB_WORK"
animation='C:\anims\walk.ans'
group_folders() { find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Zelvo 3.5' -type d 2>/dev/null || true; }
cleanup_group() {
  local window
  for window in $(bb_wd windows ExplorerWClass | grep 'title="Zelvo 3.5"' | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/'); do
    bb_wd post "$window" WM_CLOSE 0 0 >/dev/null
    bb_wd wait-gone "$window" 10000 >/dev/null || true
  done
  group_folders | while read -r folder; do rm -rf "$folder"; done
}
cleanup_group

bb_start "$runner" 1038 0 "$animation"
dialog_pid=$BB_PID
bb_wait_window '#32770' 'Install Animation' 30000
dialog=$BB_HWND
kids=$(bb_wd children "$dialog")
bb_expect_line "$kids" 'id=1501 ' 'text="walk.ans"'
bb_expect_line "$kids" 'id=1502 ' 'text="C:\\anims\\"'
bb_expect_line "$kids" 'id=912 ' 'visible=0'
bb_expect_line "$kids" 'id=1504 ' 'text="&Install"'
list=$(grep ' id=1503 ' <<<"$kids" | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
bb_expect_eq "groups" "result=1" "$(bb_wd send "$list" LB_GETCOUNT 0 0)"
bb_expect_eq "selected group" "result=0" "$(bb_wd send "$list" LB_GETCURSEL 0 0)"
bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
bb_expect_exit "$dialog_pid" 0 20

bb_start "$runner" 1038 0 "$animation"
dialog_pid=$BB_PID
bb_wait_window '#32770' 'Install Animation' 30000
bb_wd post "$BB_HWND" WM_COMMAND 1504 0 >/dev/null
box=$(bb_wd dismiss-box Error OK 30000)
bb_expect_line "$box" 'text="An error has occured with the DDE-communication!"'
bb_expect_line "$box" 'icon=error'
bb_expect_exit "$dialog_pid" 1 20
# ShowGroup and CreateGroup reached the desktop: the group exists.
[ -n "$(group_folders)" ] || bb_fail "no group folder was made"
cleanup_group
