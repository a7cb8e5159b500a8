#!/usr/bin/env bash
# How much processor time RunZelvo takes while it plays the sample animation:
# started under Wine on a private X screen, left alone for SECONDS, then its
# CPU time (user + system, from /proc) is printed beside the wall time, for
# the sample's timer mode and, for comparison, for fast mode. In timer mode
# the player should sleep between its 50 ms steps, not spin.
#   player_cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
SECONDS_TO_PLAY=${2:-10}
source "$ROOT/tools/testenv.sh"
DIR=$BUILD/$ZELVO_TEST_ARCH
export WINEPREFIX=$DIR/wineprefix
PLAYER=$DIR/players/runplayer/RunZelvo.exe
[ -x "$PLAYER" ] || { echo "build first: $PLAYER is missing" >&2; exit 1; }
# The measurement runs on a private X screen: the script starts itself again there.
if [ -z "${ZELVO_BENCH_SCREEN:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" env ZELVO_BENCH_SCREEN=1 bash "$0" "$BUILD" "$SECONDS_TO_PLAY"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# CPU seconds (user + system) of a process and of its reaped children.
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat")
  stat=${stat##*) }
  # Fields after the name: utime is the 12th, stime the 13th.
  awk '{ print $12 + $13 }' <<<"$stat"
}

# The wineserver of this prefix: it works in a folder named after the
# prefix's device and inode.
prefix_server() {
  local name p
  name=server-$(printf '%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for p in $(pgrep wineserver); do
    [ "$(basename "$(readlink "/proc/$p/cwd" 2>/dev/null)")" = "$name" ] && { echo "$p"; return; }
  done
}

measure() {  # LABEL FILE
  local pid start end t0 t1 server server0 server1 hz
  hz=$(getconf CLK_TCK)
  server=$(prefix_server)
  "$ZELVO_WINE" "$PLAYER" "$2" </dev/null >/dev/null 2>&1 &
  pid=$!
  sleep 3  # start-up and loading are not what is measured
  start=$(cpu_ticks "$pid")
  server0=$([ -n "$server" ] && cpu_ticks "$server" || echo 0)
  t0=$(date +%s%N)
  sleep "$SECONDS_TO_PLAY"
  end=$(cpu_ticks "$pid")
  server1=$([ -n "$server" ] && cpu_ticks "$server" || echo 0)
  t1=$(date +%s%N)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v l="$1" -v c=$((end - start)) -v s=$((server1 - server0)) -v w=$((t1 - t0)) -v hz="$hz" 'BEGIN {
    wall = w / 1e9; cpu = c / hz; srv = s / hz
    printf "%-22s wall %6.2f s   RunZelvo CPU %6.2f s (%5.1f %%)   wineserver CPU %5.2f s\n", l, wall, cpu, 100 * cpu / wall, srv }'
}

run() {
  cd "$work"
  "$ZELVO_WINE" "$DIR/samples/MakeSample.exe" . >/dev/null
  # The sample plays in timer mode; a copy with the timer-mode flag cleared plays in fast mode.
  python3 - <<'EOF'
data = bytearray(open('sample.ans', 'rb').read())
data[11 + 82] &= ~0x20 & 0xFF  # playFlags: fast mode
open('fast.ans', 'wb').write(data)
EOF
  # A server that stays up between the runs, so its start is not counted.
  wineserver -p 30 >/dev/null 2>&1 || true
  "$ZELVO_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  echo "RunZelvo playing the sample for $SECONDS_TO_PLAY s ($ZELVO_TEST_ARCH build under Wine, Xvfb):"
  measure "timer mode (50 ms)" sample.ans
  measure "fast mode (25 ms pump)" fast.ans
  wineserver -k || true
}
run
