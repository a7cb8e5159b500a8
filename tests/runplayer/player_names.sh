#!/usr/bin/env bash
# Names stored in an animation that are device names (AUX.n.bmx, aux.bmp,
# con.ans) behave as missing files of those names: RunZelvo shows the message
# of a missing part at once, or closes as after a follow-on that cannot be
# loaded, and ends with the exit code of that case. Nothing waits on a device.
#   player_names.sh RunZelvo.exe MakePlayerFixture.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/player_lib.sh"
WORK_WIN=$(escaped "$(winpath_of "$BB_WORK")")

# --- A frame sequence stored as AUX.n.bmx: message 8, then the end (0).
fixture "$BB_TAG-seq.ans" sequence-name=AUX.n.bmx obj=C82850,10,10,20,20
play "$BB_TAG-seq.ans"
expect_box "AUX.n.bmx" OK "caption=\"$WORK_WIN\\\\AUX.n.bmx\"" \
  'text="The file AUX.n.bmx was not found or is not a valid Zelvo Animation file!"' 'icon=error' 'buttons=OK'
bb_expect_exit "$player" 0 20

# --- A background picture stored as aux.bmp: message 8 with OK and Cancel;
# OK plays without it, and closing the window ends with 1.
fixture "$BB_TAG-pic.ans" "title=Device picture $BB_TAG" image-name=aux.bmp obj=C82850,10,10,20,20
play "$BB_TAG-pic.ans"
expect_box "aux.bmp" OK "caption=\"$WORK_WIN\\\\aux.bmp\"" 'text="The file aux.bmp was not found' 'buttons=OK,Cancel'
bb_wait_window ANIWNDCLASS "Device picture $BB_TAG" 20000
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$player" 1 20

# --- A following animation stored as con.ans: the follow-on cannot be loaded,
# the window closes and the program ends (1), as for a missing follower.
fixture "$BB_TAG-next.ans" end=1 next=con.ans obj=C82850,10,10,20,20 endafter=5
play "$BB_TAG-next.ans"
bb_expect_exit "$player" 1 30
echo "player device-name checks passed"
