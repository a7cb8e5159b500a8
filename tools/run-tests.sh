#!/usr/bin/env bash
# Runs the tests under Wine and Xvfb. Usage: run-tests.sh BUILD_DIR JOBS [CTEST_ARGS...]
# Further arguments go to ctest, e.g. `-R Harness` for a part of the suite.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-build}" && pwd)
JOBS=${2:-$(nproc)}
shift $(( $# < 2 ? $# : 2 ))
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix

# Without address-space randomisation: now and then (about one start in two
# thousand here) the kernel put something where a Wine process maps the
# shared user data, and the program ended at once with status 1 ("failed to
# map the shared user data", an error that WINEDEBUG=-all keeps silent).
run_in_x() {
  setarch "$(uname -m)" -R xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}

# The prefix is made before ctest runs: a test whose first Wine start has to
# make it could time out.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "tests: creating the Wine prefix ($WINEARCH)"
  run_in_x "$ZELVO_WINE" wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
# Prefixes made while the tests ran in a virtual desktop: back to plain windows.
if [ -f "$WINEPREFIX/.zelvo-desktop" ]; then
  "$ZELVO_WINE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/.zelvo-desktop"
fi
# The test display has no window manager, and Wine waits 2 s for one each
# time a window it lets a manager handle is hidden (every window and dialog
# that closes). Windows that Wine places itself skip the wait and keep their
# exact positions.
if ! grep -qx '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$ZELVO_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
# Window tests run side by side, each on a screen of its own, apart from the
# display the memory-only tests share (tools/test-session.sh): every window
# test screen gets a fresh copy of the prefix, taken while no Wine server
# writes to it. A session that was killed leaves its
# servers behind: end them first.
wineserver -k >/dev/null 2>&1 || true
SCREENS=${ZELVO_TEST_SCREENS:-$(( JOBS / 2 < 1 ? 1 : JOBS / 2 > 4 ? 4 : JOBS / 2 ))}
for k in $(seq 1 "$SCREENS"); do
  WINEPREFIX=$WINEPREFIX-screen$k wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX-screen$k"
  cp -a --reflink=auto "$WINEPREFIX" "$WINEPREFIX-screen$k"
done
echo "tests: running the $ZELVO_TEST_ARCH build under Wine, window tests on $SCREENS screen(s)"
run_in_x bash "$ROOT/tools/test-session.sh" "$DIR" "$JOBS" "$SCREENS" "$@"
