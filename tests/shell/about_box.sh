#!/usr/bin/env bash
# The about box and the start-up box (template 1098) under Wine: the start-up
# box closes by itself, the about box stays, animates and ends on a click;
# both end with 1.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
runner=$1
cd "$BB_WORK"

# The about box first, then the start-up box: the about box has been open
# longer when the start-up box goes by itself.
bb_start "$runner" 1098 0
about_pid=$BB_PID
bb_wait_window '#32770' - 30000
about=$BB_HWND
bb_expect_eq "picture size" "330 238" "$BB_CW $BB_CH"

# It animates: its picture changes without any input.
bb_wd capture-window "$about" first.bmp client >/dev/null
deadline=$((SECONDS + 20))
while :; do
  bb_wd capture-window "$about" now.bmp client >/dev/null
  [ "$(compare -metric AE first.bmp now.bmp null: 2>&1 || true)" != 0 ] && break
  [ $SECONDS -lt $deadline ] || bb_fail "the about box does not animate"
  sleep 0.2
done

bb_start "$runner" 1098 1
startup_pid=$BB_PID
line=""
deadline=$((SECONDS + 30))
until line=$(bb_wd windows '#32770' | grep ' visible=1 ' | grep -v "hwnd=$about "); do
  # The start-up box may already have come and gone: its exit says so.
  bb_running "$startup_pid" || break
  [ $SECONDS -lt $deadline ] || bb_fail "no start-up box"
  sleep 0.2
done
bb_expect_exit "$startup_pid" 1 30   # gone by itself, without input
bb_running "$about_pid" || bb_fail "the about box closed by itself"
bb_expect_line "$(bb_wd windows '#32770')" "hwnd=$about " "visible=1"

bb_wd click "$about" 100 100 >/dev/null
bb_expect_exit "$about_pid" 1 20
