# shellcheck shell=bash
# Steps the composition black-box tests share, sourced after
# tests/blackbox/lib.sh: the editor and the sample in the scratch folder, an
# object chosen in "Select Object", and a saved file in the runtime player.

# sample_setup EDITOR_EXE MAKE_SAMPLE: the editor as ed/ZELVO.exe and the
# sample's files in BB_WORK, which becomes the current folder.
sample_setup() {
  mkdir -p "$BB_WORK/ed"
  cp "$1" "$BB_WORK/ed/ZELVO.exe"
  cd "$BB_WORK"
  "$ZELVO_WINE" "$2" . >/dev/null
}

# start_editor FILE: the editor on FILE (in BB_WORK); sets EDITOR_PID and EDITOR.
start_editor() {
  bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/$1")"
  EDITOR_PID=$BB_PID
  bb_wait_window Zelvo "~$1" 30000
  EDITOR=$BB_HWND
}

# choose_object NAME: NAME becomes the editor's current object.
choose_object() {
  local dialog
  bb_wd post "$EDITOR" WM_COMMAND 600 0 >/dev/null
  bb_wait_window '#32770' 'Select Object' 30000
  dialog=$BB_HWND
  bb_wd select "$(bb_child "$dialog" 1200)" "$1" >/dev/null
  bb_wait_text "$(bb_child "$dialog" 1202)" "\"$1\"" 20
  bb_wd post "$(bb_child "$dialog" 1)" 0x00F5 0 0 >/dev/null  # BM_CLICK
  bb_wd wait-gone "$dialog" 20000 >/dev/null
}

# player_opens PLAYER_EXE FILE: the runtime player shows FILE and closes.
player_opens() {
  local pid
  bb_start "$1" "$(bb_winpath "$BB_WORK/$2")"
  pid=$BB_PID
  bb_wait_window ANIWNDCLASS - 30000
  bb_wd post "$BB_HWND" WM_CLOSE 0 0 >/dev/null
  bb_wait_exit "$pid" 20
}
