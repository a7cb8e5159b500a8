#!/usr/bin/env bash
# The "Save changes" dialog (template 1099) under Wine: both parts checked at
# the start, "Frame Sequence" toggles, OK answers 1 | 2 | 4 by the checks and
# Cancel answers 0.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
runner=$1
cd "$BB_WORK"

open_dialog() {
  bb_start "$runner" 1099 0
  dialog_pid=$BB_PID
  bb_wait_window '#32770' 'Save changes' 30000
  dialog=$BB_HWND
}
checked() { bb_wd send "$(bb_wd children "$dialog" | grep " id=$1 " | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')" BM_GETCHECK 0 0; }

open_dialog
kids=$(bb_wd children "$dialog")
bb_expect_line "$kids" 'id=952 ' 'text="Frame Sequence"'
bb_expect_line "$kids" 'id=951 ' 'text="Animation Data"'
bb_expect_eq "Frame Sequence checked" "result=1" "$(checked 952)"
bb_expect_eq "Animation Data checked" "result=1" "$(checked 951)"
bb_wd post "$dialog" WM_COMMAND 952 0 >/dev/null
deadline=$((SECONDS + 20))
until [ "$(checked 952)" = "result=0" ]; do
  [ $SECONDS -lt $deadline ] || bb_fail "Frame Sequence does not toggle"
  sleep 0.2
done
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_expect_exit "$dialog_pid" 5 20    # 1 | 4: the animation only

open_dialog
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_expect_exit "$dialog_pid" 7 20    # 1 | 2 | 4

open_dialog
bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
bb_expect_exit "$dialog_pid" 0 20
