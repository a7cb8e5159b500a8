# shellcheck shell=bash
# Helpers of RunZelvo's black-box tests, sourced after the harness's lib.sh.
# The test scripts take RunZelvo.exe and MakePlayerFixture.exe as $1 and $2;
# the fixtures go into BB_WORK and the player is given their full Windows
# path (Wine maps the Linux root to drive Z:).
PLAYER=$1 FIXTURE=$2

winpath_of() {  # LINUX_PATH
  local path=${1//\//\\}
  echo "Z:$path"
}

# The text as WinDriver prints it: backslashes doubled.
escaped() { echo "${1//\\/\\\\}"; }

fixture() {  # NAME.ans key=value...: writes an animation into BB_WORK
  "$ZELVO_WINE" "$FIXTURE" "$(winpath_of "$BB_WORK")" "$@" </dev/null >/dev/null 2>&1 ||
    bb_fail "cannot write the fixture $1"
}

play() {  # NAME: starts RunZelvo on BB_WORK/NAME and sets player
  bb_start "$PLAYER" "$(winpath_of "$BB_WORK/$1")"
  player=$BB_PID
}

# expect_box CAPTION_PART BUTTON FRAGMENT...: a message box shows up, says
# what it should, and is dismissed with BUTTON.
expect_box() {
  local caption=$1 button=$2 box fragment
  shift 2
  box=$(bb_wd dismiss-box "$caption" "$button" 30000) || bb_fail "no box [$caption]"
  for fragment in "$@"; do bb_expect_line "$box" "$fragment"; done
}

# wait_colour HWND X Y #RRGGBB: the window's own picture shows the colour at
# client X, Y within 30 s.
wait_colour() {
  local tries=0
  while :; do
    bb_wd capture-window "$1" "$BB_WORK/look.bmp" client >/dev/null 2>&1 &&
      [ "$(bb_png_pixel "$BB_WORK/look.bmp" "$2" "$3")" = "$4" ] && return 0
    tries=$((tries + 1))
    [ "$tries" -lt 150 ] || bb_fail "window $1 never showed $4 at $2,$3"
    sleep 0.2
  done
}
