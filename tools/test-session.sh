#!/usr/bin/env bash
# The inside of a test run, under xvfb-run (tools/run-tests.sh). Usage:
#   test-session.sh TEST_DIR JOBS SCREENS [CTEST_ARGS...]
# Screen 0 is xvfb-run's display with the build's prefix: the tests that draw
# only into memory run there, side by side. Screens 1..SCREENS get an Xvfb and a
# copy of the prefix each (made by run-tests.sh) and take the window tests, one
# at a time each. Every screen gets its Wine session started here, outside ctest.
set -uo pipefail
dir=$1 jobs=$2 screens=$3
shift 3

XVFB_PIDS=()
stop_session() {
  for k in $(seq 0 "$screens"); do
    prefix_var=ZELVO_SCREEN_PREFIX_$k
    WINEPREFIX=${!prefix_var:-$WINEPREFIX} wineserver -k >/dev/null 2>&1 || true
  done
  [ ${#XVFB_PIDS[@]} = 0 ] || kill "${XVFB_PIDS[@]}" 2>/dev/null || true
}
trap stop_session EXIT
trap 'exit 1' INT TERM HUP

# start_xvfb K: a new X server for screen K; sets ZELVO_SCREEN_DISPLAY_K.
start_xvfb() {
  local k=$1 number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  XVFB_PIDS+=($!)
  for _ in $(seq 200); do
    [ -s "$number_file" ] && break
    sleep 0.05
  done
  [ -s "$number_file" ] || { echo "tests: Xvfb for screen $k did not start" >&2; exit 1; }
  export "ZELVO_SCREEN_DISPLAY_$k=:$(tr -d '\n' <"$number_file")"
  rm -f "$number_file"
}

# start_wine_session DISPLAY PREFIX: the Wine server and the desktop process of
# one screen, before ctest runs. Service processes started by a test would hold
# its output pipe open; so would the desktop process, which the first program
# asking for the desktop window starts. The server stays until stop_session
# ends it, and a WinDriver holds the desktop open all along: a screen may wait
# minutes for its next window test, and a desktop left without users closes.
start_wine_session() {
  DISPLAY=$1 WINEPREFIX=$2 wineserver -p >/dev/null 2>&1 || true
  DISPLAY=$1 WINEPREFIX=$2 "$ZELVO_WINE" "$dir/tests/blackbox/WinDriver.exe" hold-desktop </dev/null >/dev/null 2>&1 &
  DISPLAY=$1 WINEPREFIX=$2 "$ZELVO_WINE" "$dir/tests/blackbox/WinDriver.exe" windows </dev/null >/dev/null 2>&1 || true
}

export "ZELVO_SCREEN_DISPLAY_0=$DISPLAY" "ZELVO_SCREEN_PREFIX_0=$WINEPREFIX"
session_pids=()
spec='{"version":{"major":1,"minor":0},"local":[{"screens":['
for k in $(seq 0 "$screens"); do
  if [ "$k" != 0 ]; then
    start_xvfb "$k"
    export "ZELVO_SCREEN_PREFIX_$k=$WINEPREFIX-screen$k"
    [ "$k" = 1 ] || spec+=','
    spec+="{\"id\":\"$k\",\"slots\":1}"
  fi
  display_var=ZELVO_SCREEN_DISPLAY_$k prefix_var=ZELVO_SCREEN_PREFIX_$k
  start_wine_session "${!display_var}" "${!prefix_var}" &
  session_pids+=($!)
done
wait "${session_pids[@]}"
spec+=']}]}'
printf '%s\n' "$spec" >"$dir/screens.json"

# A failed test runs once more unless ZELVO_TEST_RETRY=0 (the stress runs
# count every failure); ctest still prints the failed attempt.
retry=()
[ "${ZELVO_TEST_RETRY:-1}" = 0 ] || retry=(--repeat until-pass:2)
ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300 \
  --resource-spec-file "$dir/screens.json" "${retry[@]}" "$@"
