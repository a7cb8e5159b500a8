# shellcheck shell=bash
# Helpers of ZelvoSave's black-box tests, sourced after the harness's lib.sh.
# The scripts take ZelvoSave.exe and MakePlayerFixture.exe as $1 and $2. The
# screensaver runs as BB_WORK/ZelvoSave.scr, so its settings file is
# BB_WORK/ZelvoSave.INI. RunZelvo's helpers give winpath_of, fixture and
# wait_colour.
source "$(dirname "${BASH_SOURCE[0]}")/../runplayer/player_lib.sh"
SAVER_EXE=$1
SAVER="$BB_WORK/ZelvoSave.scr"
INI="$BB_WORK/ZelvoSave.INI"
WINDOWS_DIR="$WINEPREFIX/drive_c/windows"
cp "$SAVER_EXE" "$SAVER"

# write_ini LINE...: the settings file, one line per argument.
write_ini() {
  printf '%s\r\n' "$@" >"$INI"
}

# The system's files the screensaver writes into are put back as they were
# when the script ends, however it ends.
SAVED_SYSTEM_FILES="$BB_WORK/system-files"
mkdir -p "$SAVED_SYSTEM_FILES"
for file in control.ini system.ini; do
  [ -f "$WINDOWS_DIR/$file" ] && cp "$WINDOWS_DIR/$file" "$SAVED_SYSTEM_FILES/$file"
done
restore_system_files() {
  local file
  for file in control.ini system.ini; do
    if [ -f "$SAVED_SYSTEM_FILES/$file" ]; then cp "$SAVED_SYSTEM_FILES/$file" "$WINDOWS_DIR/$file"
    else rm -f "$WINDOWS_DIR/$file"; fi
  done
}
trap 'status=$?; set +e; restore_system_files; (exit $status); bb_cleanup' EXIT

# password_keys PROTECTED [HASH]: the screensaver's keys in control.ini, in
# place of whatever section it had.
password_keys() {
  /usr/bin/python3 - "$WINDOWS_DIR/control.ini" "$@" <<'PY'
import sys
path, protected = sys.argv[1], sys.argv[2]
try:
    lines = open(path, encoding='latin-1').read().splitlines()
except FileNotFoundError:
    lines = []
kept, inside = [], False
for line in lines:
    if line.strip().startswith('['):
        inside = line.strip().lower() == '[zelvo_screensaver]'
    if not inside:
        kept.append(line)
kept += ['[Zelvo_Screensaver]', 'PWProtected=' + protected]
if len(sys.argv) > 3:
    kept.append('PWEncryption=' + sys.argv[3])
open(path, 'w', encoding='latin-1', newline='\r\n').write('\n'.join(kept) + '\n')
PY
}

# run_saver ARGS...: starts the screensaver; sets saver (the pid).
run_saver() {
  bb_start "$SAVER" "$@"
  saver=$BB_PID
}

# pointer_start: where the pointer is, read while the screensaver runs (an X
# server without clients puts the pointer back in the middle of the screen,
# so it is not placed beforehand). Sets PX, PY and DX, DY: +1 or -1, the
# directions in which there is room to move.
pointer_start() {
  eval "$(xdotool getmouselocation --shell)"
  PX=$X PY=$Y
  DX=1 DY=1
  [ "$PX" -lt 900 ] || DX=-1
  [ "$PY" -lt 650 ] || DY=-1
}

# move_pointer DX DY: a real pointer move to (PX + DX, PY + DY).
move_pointer() {
  xdotool mousemove $((PX + $1)) $((PY + $2))
}

# child_of WINDOW: the line of its "ANIWNDCLASS" child (hwnd=.. x y w h ...),
# waiting up to 30 s for it.
child_of() {
  local tries=0 line
  while :; do
    line=$(bb_wd children "$1" 2>/dev/null | grep 'class="ANIWNDCLASS"' | head -n1) || true
    [ -n "$line" ] && { echo "$line"; return 0; }
    tries=$((tries + 1))
    [ "$tries" -lt 150 ] || bb_fail "window $1 has no animation window"
    sleep 0.2
  done
}

hwnd_of() { local line=$1; line=${line%% *}; echo "${line#hwnd=}"; }

# wait_child_colour WINDOW X Y #RRGGBB: the picture of whichever animation
# window the screensaver shows (it makes a new one for each entry) shows the
# colour at client X, Y within 40 s.
wait_child_colour() {
  local tries=0 child
  until child=$(hwnd_of "$(child_of "$1")") &&
    bb_wd capture-window "$child" "$BB_WORK/look.bmp" client >/dev/null 2>&1 &&
    [ "$(bb_png_pixel "$BB_WORK/look.bmp" "$2" "$3")" = "$4" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 200 ] || bb_fail "the animation in $1 never showed $4 at $2,$3"
    sleep 0.2
  done
}
