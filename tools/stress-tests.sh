#!/usr/bin/env bash
# Runs the whole suite N times in a row at full parallelism while a load
# program keeps every core busy, and prints for each test that ever failed
# how often it failed. Usage: stress-tests.sh N [BUILD_DIR]
# Exit status 0 only when every run passed.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:?usage: stress-tests.sh N [BUILD_DIR]}
BUILD=${2:-$ROOT/build}
CORES=$(nproc)
LOGS=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-stress.XXXXXX")

make -C "$ROOT" --no-print-directory build BUILD="$BUILD" >/dev/null

# One busy loop per core, at normal priority, for as long as the runs last.
LOAD_PIDS=()
stop_load() { [ ${#LOAD_PIDS[@]} = 0 ] || kill "${LOAD_PIDS[@]}" 2>/dev/null || true; }
trap stop_load EXIT
for _ in $(seq "$CORES"); do
  ( while :; do :; done ) &
  LOAD_PIDS+=($!)
done

declare -A FAILURES=()
failed_runs=0
for run in $(seq "$RUNS"); do
  log=$LOGS/run-$run.log
  start=$SECONDS
  if ZELVO_TEST_RETRY=0 bash "$ROOT/tools/run-tests.sh" "$BUILD" "$CORES" >"$log" 2>&1; then
    status=passed
  else
    status=FAILED
    failed_runs=$((failed_runs + 1))
  fi
  # ctest's own log of the run holds each test's command and whole output.
  for ctest_log in "$BUILD"/*/Testing/Temporary/LastTest.log; do
    if [ -f "$ctest_log" ]; then cp "$ctest_log" "$LOGS/run-$run.ctest.log"; fi
  done
  # ctest lists the failed tests as "<tab>  N - Name (Failed)".
  while IFS= read -r name; do
    FAILURES[$name]=$(( ${FAILURES[$name]:-0} + 1 ))
  done < <(sed -n '/The following tests FAILED:/,$p' "$log" | sed -n 's/^\s*[0-9]\+ - \(.*\) (.*)$/\1/p')
  summary=$(grep -E '^[0-9]+% tests passed' "$log" || echo "no summary (see $log)")
  printf 'run %d/%d: %s in %d s: %s\n' "$run" "$RUNS" "$status" $((SECONDS - start)) "$summary"
done
stop_load

echo "stress: $RUNS runs with $CORES busy loops beside them; $failed_runs failed; logs in $LOGS"
if [ ${#FAILURES[@]} = 0 ]; then
  echo "stress: no test ever failed"
  exit 0
fi
echo "stress: tests that failed (times out of $RUNS):"
for name in "${!FAILURES[@]}"; do printf '  %3d  %s\n' "${FAILURES[$name]}" "$name"; done | sort -rn
exit 1
