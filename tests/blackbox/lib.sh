# shellcheck shell=bash
# The BB_ variables set here are for the scripts that source this file.
# shellcheck disable=SC2034
#
# Shell helpers for black-box tests of the Windows GUI programs; README.md in
# this folder describes them. Source this file after `set -euo pipefail` in a
# test registered with zelvo_add_gui_test: ctest gives ZELVO_WINE, WINEPREFIX
# and ZELVO_WINDRIVER, and tools/run-tests.sh runs ctest inside xvfb-run, which
# gives DISPLAY.
#
# Every program started with bb_start is killed when the test ends, however it
# ends; a failing test first prints the visible windows and leaves a screenshot
# NAME-failure.png in its working folder.

: "${ZELVO_WINE:?ZELVO_WINE is not set: run the test through ctest}"
: "${WINEPREFIX:?WINEPREFIX is not set: run the test through ctest}"
: "${ZELVO_WINDRIVER:?ZELVO_WINDRIVER is not set: register the test with zelvo_add_gui_test}"
: "${DISPLAY:?DISPLAY is not set: run the tests through tools/run-tests.sh (xvfb-run)}"

BB_NAME=${BB_NAME:-$(basename "$0" .sh)}
# Unique to this run of this test: put it into window titles, classes and
# file names so that tests running side by side never find each other's.
BB_TAG="$BB_NAME-$$"
BB_WORK=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-$BB_NAME.XXXXXX")
BB_PIDS=()

bb_log() { echo "[$BB_NAME] $*" >&2; }

bb_fail() {
  echo "FAIL [$BB_NAME]: $*" >&2
  exit 1
}

bb_expect_eq() {  # WHAT EXPECTED ACTUAL
  [ "$2" = "$3" ] || bb_fail "$1: expected [$2], got [$3]"
}

# bb_expect_line TEXT FRAGMENT...: some line of TEXT holds every fragment.
bb_expect_line() {
  local text=$1 line fragment found
  shift
  while IFS= read -r line; do
    found=1
    for fragment in "$@"; do
      [[ "$line" == *"$fragment"* ]] || { found=0; break; }
    done
    [ "$found" = 1 ] && return 0
  done <<<"$text"
  bb_fail "no line holds [$*] in:"$'\n'"$text"
}

# ---- programs -------------------------------------------------------------

# bb_start PROGRAM ARGS...: starts a Windows program under Wine in the
# background (in its own process group, so that what it starts is killed
# with it). Sets BB_PID.
bb_start() {
  local log="$BB_WORK/program-${#BB_PIDS[@]}.log"
  setsid "$ZELVO_WINE" "$@" </dev/null >"$log" 2>&1 &
  BB_PID=$!
  BB_PIDS+=("$BB_PID")
}

# The pointer is shared by every test on the screen and stays where the last
# one left it. Over a tool-bar button it makes the button hot, and a hot button
# holds the mouse capture, under which accelerators give no command: a test
# that presses accelerator keys parks it in the corner first.
bb_park_pointer() {
  xdotool mousemove 1015 760
}

bb_running() {  # PID: true while the process has not ended (a zombie has)
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

bb_forget() {  # PID: a reaped pid may be reused, so it must never be killed later
  local pid kept=()
  for pid in "${BB_PIDS[@]}"; do [ "$pid" = "$1" ] || kept+=("$pid"); done
  BB_PIDS=("${kept[@]}")
}

bb_kill() {  # PID
  kill -KILL -- "-$1" 2>/dev/null || kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  bb_forget "$1"
}

# bb_wait_exit PID TIMEOUT_S: waits for the program to end and sets BB_EXIT
# to its exit code. Wine hands the Windows exit code to Linux, which keeps
# its low 8 bits. A program still running after TIMEOUT_S fails the test.
bb_wait_exit() {
  local pid=$1 deadline=$((SECONDS + $2))
  while bb_running "$pid"; do
    [ "$SECONDS" -lt "$deadline" ] || bb_fail "program $pid still runs after $2 s"
    sleep 0.1
  done
  BB_EXIT=0
  wait "$pid" || BB_EXIT=$?
  bb_forget "$pid"
}

bb_expect_exit() {  # PID CODE TIMEOUT_S
  bb_wait_exit "$1" "$3"
  bb_expect_eq "exit code" "$2" "$BB_EXIT"
}

# ---- WinDriver ------------------------------------------------------------

# bb_wd COMMAND ARGS...: runs WinDriver (README.md lists its commands).
bb_wd() {
  case $1 in
    windows | children | menu-state | pixel | wait-pixel | wait-window | wait-gone | capture | capture-window | control | items)
      # A query or a wait changes nothing, so a run of the driver that ended
      # without a word (on a loaded machine one has, now and then, while the
      # windows stood unchanged) is tried once more. A failure it explains
      # stands.
      local said status
      said=$(mktemp "$BB_WORK/wd-said.XXXXXX")
      status=0
      "$ZELVO_WINE" "$ZELVO_WINDRIVER" "$@" </dev/null 2>"$said" || status=$?
      cat "$said" >&2
      if [ "$status" = 0 ] || [ -s "$said" ]; then
        rm -f "$said"
        return "$status"
      fi
      rm -f "$said"
      bb_log "WinDriver $1 ended with status $status and no message; once more"
      ;;
  esac
  "$ZELVO_WINE" "$ZELVO_WINDRIVER" "$@" </dev/null
}

# bb_wait_window CLASS|- TITLE|-|~PART TIMEOUT_MS: sets BB_HWND, the window
# rectangle BB_X BB_Y BB_W BB_H and the client area BB_CX BB_CY BB_CW BB_CH
# (screen coordinates).
bb_wait_window() {
  local line
  line=$(bb_wd wait-window "$@") || bb_fail "no window of class [$1] titled [$2] within $3 ms"
  read -r BB_HWND BB_X BB_Y BB_W BB_H BB_CX BB_CY BB_CW BB_CH <<<"$line"
  BB_HWND=${BB_HWND#hwnd=}
}

# bb_child HWND ID: prints the handle of the window's descendant with that
# control id (the first one, parents before children).
bb_child() {
  local line
  line=$(bb_wd children "$1" | grep -m1 " id=$2 ") || bb_fail "window $1 has no child with id $2"
  line=${line%% *}
  echo "${line#hwnd=}"
}

# bb_control_text HWND: the control's text as `control` prints it, quotes and all.
bb_control_text() {
  local line
  line=$(bb_wd control "$1") || bb_fail "cannot read control $1"
  line=${line#* text=}
  echo "${line%% enabled=*}"
}

# bb_hold KEY[+KEY...] COMMAND...: holds modifier keys (ctrl, shift, alt)
# down on the X server while COMMAND runs, e.g. a drag with Ctrl held:
#   bb_hold ctrl bb_wd mouse "$hwnd" drag 10 10 50 40
# Wine reads the modifiers of each pointer event from the X server, so keys
# held through SendInput do not survive a real mouse move.
bb_hold() {
  local keys=${1//+/ } key status=0
  shift
  for key in $keys; do xdotool keydown "$key"; done
  "$@" || status=$?
  for key in $keys; do xdotool keyup "$key"; done
  return "$status"
}

# bb_until TIMEOUT_S COMMAND...: runs COMMAND until it succeeds; fails the
# test when it still fails after TIMEOUT_S seconds. For states a program
# reaches a little later (a posted notification, a repaint).
bb_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || bb_fail "still not so after the wait: $*"
    sleep 0.1
  done
}

# bb_wait_text HWND \"TEXT\" TIMEOUT_S: until the control shows TEXT (quoted as
# `control` prints it).
bb_wait_text() {
  local deadline=$((SECONDS + $3)) text
  while text=$(bb_control_text "$1"); [ "$text" != "$2" ]; do
    [ "$SECONDS" -lt "$deadline" ] || bb_fail "control $1 shows $text, not $2"
    sleep 0.1
  done
}

# bb_answer_palette_request OPTION [TIMEOUT_MS]: the editor's "Color Palette
# Request" (an image whose palette is neither the standard nor the current
# one) gets OPTION: 0 the palette's colours, 1 dithered to them, 2 the image's
# own palette (only where offered), or cancel. Prints the dialog's question.
bb_answer_palette_request() {
  local option=$1 dialog text
  bb_wait_window '#32770' 'Color Palette Request' "${2:-30000}"
  dialog=$BB_HWND
  text=$(bb_wd children "$dialog" | grep -o 'text="The color palette[^"]*"' || true)
  if [ "$option" = cancel ]; then
    bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
  else
    bb_wd check "$(bb_child "$dialog" $((151 + option)))" 1 >/dev/null
    bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
  fi
  bb_wd wait-gone "$dialog" 20000 >/dev/null
  echo "$text"
}

# ---- pictures and paths ---------------------------------------------------

bb_screenshot() {  # FILE.png: the whole X screen
  import -window root -display "$DISPLAY" "$1"
}

bb_png_pixel() {  # FILE X Y: prints #RRGGBB, as WinDriver pixel does
  convert "$1" -format "#%[hex:p{$2,$3}]" info: | cut -c1-7
}

bb_winpath() {  # LINUX_PATH: prints the Windows path
  "$ZELVO_WINE" winepath.exe -w "$1" 2>/dev/null </dev/null | tr -d '\r'
}

# ---- clean-up -------------------------------------------------------------

bb_diagnose() {
  bb_log "visible windows:"
  bb_wd windows 2>/dev/null | grep ' visible=1 ' >&2 || true
  bb_screenshot "$PWD/$BB_NAME-failure.png" 2>/dev/null && bb_log "screenshot: $PWD/$BB_NAME-failure.png"
  local log
  for log in "$BB_WORK"/program-*.log; do
    [ -s "$log" ] && { bb_log "output of ${log##*/}:"; cat "$log" >&2; }
  done
  return 0
}

bb_cleanup() {
  local status=$? pid
  trap - EXIT
  [ "$status" = 0 ] || bb_diagnose
  for pid in "${BB_PIDS[@]}"; do bb_kill "$pid"; done
  rm -rf "$BB_WORK"
  exit "$status"
}
# A command that fails under set -e says which it was (a failing WinDriver
# or Wine start may print nothing itself).
bb_on_error() {  # STATUS FILE:LINE COMMAND
  [ "$BB_ERROR_SHOWN" = 0 ] || return 0
  BB_ERROR_SHOWN=1
  echo "FAIL [$BB_NAME]: status $1 at $2: $3" >&2
}
BB_ERROR_SHOWN=0
set -o errtrace
trap 'bb_on_error $? "${BASH_SOURCE[0]##*/}:$LINENO" "$BASH_COMMAND"' ERR
trap bb_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
