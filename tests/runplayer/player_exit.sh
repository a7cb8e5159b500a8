#!/usr/bin/env bash
# RunZelvo's exit codes and messages: an animation that ends by itself (1), a
# refused version (0, no message), a part of another animation and a file
# that is no animation (their messages, then the open dialog, cancelled: 0),
# a missing frame sequence (message 8: 0) and a missing background picture
# (message 8 with OK and Cancel: Cancel ends with 0, OK plays and ends with 1).
# Every box is dismissed here through the harness.
#   player_exit.sh RunZelvo.exe MakePlayerFixture.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/player_lib.sh"
CHOOSE="Please Choose a Zelvo Animation"
WORK_WIN=$(escaped "$(winpath_of "$BB_WORK")")

# --- Ends by itself: the last step of its object ends it; the window closes.
fixture "$BB_TAG-ends.ans" "title=Ends $BB_TAG" obj=C82850,10,10,20,20 endafter=20
play "$BB_TAG-ends.ans"
bb_wait_window ANIWNDCLASS "Ends $BB_TAG" 30000
bb_expect_exit "$player" 1 60

# --- A newer version than the engine reads: nothing is played, no message.
fixture "$BB_TAG-newer.ans" "title=Newer $BB_TAG" version=0x29A obj=C82850,10,10,20,20
play "$BB_TAG-newer.ans"
bb_expect_exit "$player" 0 60

# --- A part of another animation: message 11, captioned with the full path.
fixture "$BB_TAG-part.ans" part=1 obj=C82850,10,10,20,20
play "$BB_TAG-part.ans"
expect_box "$BB_TAG-part.ans" OK "caption=\"$WORK_WIN\\\\$BB_TAG-part.ans\"" \
  'text="This is a part of an animation that cannot be run separately."' 'icon=error' 'buttons=OK'
expect_box "$CHOOSE" Cancel "caption=\"$CHOOSE\""
bb_expect_exit "$player" 0 60

# --- Not an animation: message 10 with the name, then the dialog again.
printf 'Not an animation, only text.\n' >"$BB_WORK/$BB_TAG-junk.ans"
play "$BB_TAG-junk.ans"
expect_box "$BB_TAG-junk.ans" OK \
  "text=\"The file $WORK_WIN\\\\$BB_TAG-junk.ans was not found or is not a valid Zelvo Animation file!\"" 'icon=error'
expect_box "$CHOOSE" Cancel
bb_expect_exit "$player" 0 60

# --- A frame sequence that is missing: message 8, captioned with the
# sequence's full path, then the end.
fixture "$BB_TAG-noseq.ans" nosequence=1 obj=C82850,10,10,20,20
play "$BB_TAG-noseq.ans"
expect_box "$BB_TAG-noseq-0.bmx" OK "caption=\"$WORK_WIN\\\\$BB_TAG-noseq-0.bmx\"" \
  "text=\"The file $BB_TAG-noseq-0.bmx was not found or is not a valid Zelvo Animation file!\"" 'icon=error' \
  'buttons=OK'
bb_expect_exit "$player" 0 60

# --- A background picture that is missing: Cancel ends, OK plays without it.
fixture "$BB_TAG-nopic.ans" "title=No picture $BB_TAG" image=gone.bmp obj=C82850,10,10,20,20
rm -f "$BB_WORK/gone.bmp"
play "$BB_TAG-nopic.ans"
expect_box "gone.bmp" Cancel "caption=\"$WORK_WIN\\\\gone.bmp\"" "text=\"The file gone.bmp was not found" \
  'buttons=OK,Cancel'
bb_expect_exit "$player" 0 60
play "$BB_TAG-nopic.ans"
expect_box "gone.bmp" OK "text=\"The file gone.bmp was not found"
bb_wait_window ANIWNDCLASS "No picture $BB_TAG" 30000
bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$player" 1 60
echo "player exit checks passed"
