#!/usr/bin/env bash
# "Install Animation" (template 1038) under Wine, whose desktop answers as
# the Program Manager: the dialog shows the animation's file and folder and
# the group "Zelvo 3.5" (the server lists no groups), and Cancel answers 0.
# The install itself is tested against a fake Program Manager (it would
# open folder windows in the desktop process every test shares).
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
runner=$1
cd "$BB_WORK"
animation='C:\anims\walk.ans'

bb_start "$runner" 1038 0 "$animation"
dialog_pid=$BB_PID
bb_wait_window '#32770' 'Install Animation' 30000
dialog=$BB_HWND
kids=$(bb_wd children "$dialog")
bb_expect_line "$kids" 'id=1501 ' 'text="walk.ans"'
bb_expect_line "$kids" 'id=1502 ' 'text="C:\\anims\\"'
bb_expect_line "$kids" 'id=912 ' 'visible=0'
bb_expect_line "$kids" 'id=1504 ' 'text="&Install"'
items=$(bb_wd items "$(bb_child "$dialog" 1503)")
bb_expect_eq "groups" 'index=0 selected=1 data=0 text="Zelvo 3.5"' "$items"
bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
bb_expect_exit "$dialog_pid" 0 20

