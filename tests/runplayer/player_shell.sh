#!/usr/bin/env bash
# End action 3: RunZelvo opens the following file with the shell, programs
# included, but refuses a program that an archive carried and unpacked into
# its own folder. The program here (ShellTarget) notes every start in a log.
#   player_shell.sh RunZelvo.exe MakePlayerFixture.exe ShellTarget.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/player_lib.sh"
TARGET=$3
export ZELVO_SHELL_TARGET_LOG
ZELVO_SHELL_TARGET_LOG=$(winpath_of "$BB_WORK/started.log")
mkdir -p "$BB_WORK/pack" "$BB_WORK/plain"

# --- An archive that carries the program its animation names: the program is
# refused, the window closes as after any end action 3 (exit 1).
cp "$TARGET" "$BB_WORK/pack/inner-$BB_TAG.exe"
(
  cd "$BB_WORK/pack"
  "$ZELVO_WINE" "$FIXTURE" . "$BB_TAG-carry.ans" end=3 "next=inner-$BB_TAG.exe" obj=C82850,10,10,20,20 endafter=3 \
    </dev/null >/dev/null 2>&1 || bb_fail "cannot write the fixture"
  zip -q -j "$BB_WORK/carry.anx" "$BB_TAG-carry.ans" "$BB_TAG-carry-0.bmx" "inner-$BB_TAG.exe"
)
play carry.anx
bb_expect_exit "$player" 1 60

# --- A plain animation naming a program beside it: the program starts.
cp "$TARGET" "$BB_WORK/plain/outer-$BB_TAG.exe"
(
  cd "$BB_WORK/plain"
  "$ZELVO_WINE" "$FIXTURE" . "$BB_TAG-start.ans" end=3 "next=outer-$BB_TAG.exe" obj=C82850,10,10,20,20 endafter=3 \
    </dev/null >/dev/null 2>&1 || bb_fail "cannot write the fixture"
)
play "plain/$BB_TAG-start.ans"
bb_expect_exit "$player" 1 60
tries=0
until grep -q "outer-$BB_TAG.exe" "$BB_WORK/started.log" 2>/dev/null; do
  tries=$((tries + 1))
  [ "$tries" -lt 300 ] || bb_fail "the program outside an archive was never started"
  sleep 0.1
done
# The archive's program would have been started first: its line would be there.
if grep -q "inner-$BB_TAG.exe" "$BB_WORK/started.log"; then
  bb_fail "the program the archive carried was started: $(cat "$BB_WORK/started.log")"
fi
echo "player shell checks passed"
