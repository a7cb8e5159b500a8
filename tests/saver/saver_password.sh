#!/usr/bin/env bash
# A protected ZelvoSave: the end of the run asks for the password (dialog
# 300); a wrong one gives "Incorrect Password!", Cancel keeps the screensaver
# running, the right one ends it.
#   saver_password.sh ZelvoSave.exe MakePlayerFixture.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/saver_lib.sh"
# The system's hash of "secret".
password_keys 1 17A205

run_saver /s
bb_wait_window SCREENSAVER - 30000
window=$BB_HWND
pointer_start
move_pointer "$((40 * DX))" 0
bb_wait_window '#32770' 'Zelvo Screensaver' 30000
check=$BB_HWND
bb_wd keys "$check" w r o n g VK_RETURN >/dev/null
box=$(bb_wd dismiss-box Error OK 30000) || bb_fail "no message for a wrong password"
bb_expect_line "$box" 'text="Incorrect Password!"'
bb_wd post "$check" WM_COMMAND IDCANCEL 0 >/dev/null
bb_wd wait-gone "$check" 30000 >/dev/null || bb_fail "Cancel did not close the password dialog"
bb_wait_window SCREENSAVER - 2000
bb_expect_eq "the screensaver goes on" "$window" "$BB_HWND"

# The pointer must move 8 pixels from where it was when the dialog closed.
move_pointer "$((40 * DX))" "$((20 * DY))"
bb_wait_window '#32770' 'Zelvo Screensaver' 30000
bb_wd keys "$BB_HWND" s e c r e t VK_RETURN >/dev/null
bb_expect_exit "$saver" 0 30
echo "screensaver password checks passed"
