#!/usr/bin/env bash
# The file chooser as a user meets it in the editor: "Save Sequence" on the
# sample offers the editor's and the image library's types sorted, with the
# frame-sequence type chosen, and the preview pane beside the system's
# dialog; a selected file shows its picture's size and colours; turning the
# preview off is kept in the settings file. Without the library the editor
# starts without a message and offers only its own types.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
library=$2
make_sample=$3
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
cp "$library" "$BB_WORK/ed/ZelvoConv32.dll"
# The JPEG library the image library imports lies beside it.
cp "$(dirname "$library")/ijl11.dll" "$BB_WORK/ed/"
cd "$BB_WORK"
"$ZELVO_WINE" "$make_sample" . >/dev/null
ini="$BB_WORK/ed/ZELVO.ini"

# Controls of the open dialog: the "Files of type" combo box and the pane's.
TYPES=1136
PANE=1170
IMAGE_SIZE=1173
COLORS=1175
SHOW=1176

# The entries of "Files of type" in the order shown, one a line.
type_list() {
  bb_wd items "$(bb_child "$1" $TYPES)" | sed -E 's/.* text="(.*)"$/\1/'
}
checked() { bb_wd control "$(bb_child "$1" "$2")" | sed -E 's/.* checked=(-?[0-9]+).*/\1/'; }

open_save_sequence() {  # MAIN_WINDOW: sets DIALOG
  bb_wd post "$1" WM_COMMAND 104 0 >/dev/null
  bb_wait_window '#32770' "Save Sequence" 20000
  DIALOG=$BB_HWND
}

close_dialog() {
  bb_wd post "$DIALOG" WM_COMMAND IDCANCEL 0 >/dev/null
  bb_wd wait-gone "$DIALOG" 20000 >/dev/null
}

# ---- with the library ----
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/sample.ans")"
editor=$BB_PID
bb_wait_window Zelvo "~sample.ans" 30000
main=$BB_HWND
open_save_sequence "$main"
expected="Animated Cursors(*.ANI)
Animated GIF(*.GIF)
Sequence of Single Images
Video for Windows(*.AVI)
Zelvo Frame Sequence(*.BMX)"
bb_expect_eq "types offered, sorted" "$expected" "$(type_list "$DIALOG")"
bb_expect_line "$(bb_wd items "$(bb_child "$DIALOG" $TYPES)")" 'selected=1' 'text="Zelvo Frame Sequence(*.BMX)"'

kids=$(bb_wd children "$DIALOG")
bb_expect_line "$kids" "id=$PANE " 'class="Button"' 'visible=1' 'text="Preview"'
bb_expect_line "$kids" 'class="Static"' 'visible=1' 'text="Frame Size"'
bb_expect_line "$kids" 'class="Static"' 'visible=1' 'text="No. of Colors:"'
bb_expect_line "$kids" "id=$SHOW " 'class="Button"' 'text="&Preview"'
bb_expect_eq "preview on" 1 "$(checked "$DIALOG" $SHOW)"

# The list holds the folder "ed", green.bmx and red.bmx: the second row is green.bmx.
list=$(sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/' <<<"$(grep -m1 'class="SysListView32"' <<<"$kids")")
bb_wd click "$list" 40 25 >/dev/null
bb_wait_text "$(bb_child "$DIALOG" $IMAGE_SIZE)" '"32 x 32"' 20
bb_expect_eq "colours of green.bmx" '"256 (8-bpp)"' "$(bb_control_text "$(bb_child "$DIALOG" $COLORS)")"
bb_screenshot "$BB_NAME-preview.png"

# The preview turned off: the pane empties, and the settings file keeps it.
bb_wd check "$(bb_child "$DIALOG" $SHOW)" 0 >/dev/null
bb_wait_text "$(bb_child "$DIALOG" $IMAGE_SIZE)" '""' 20
close_dialog
grep -q '^ShowPreview=0' "$ini" || bb_fail "ShowPreview=0 not written: $(grep -i preview "$ini" || true)"
open_save_sequence "$main"
bb_expect_eq "preview off when opened again" 0 "$(checked "$DIALOG" $SHOW)"
close_dialog
bb_wd post "$main" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor" 0 20

# ---- without the library ----
rm "$BB_WORK/ed/ZelvoConv32.dll"
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/sample.ans")"
editor=$BB_PID
bb_wait_window Zelvo "~sample.ans" 30000
main=$BB_HWND
# The library is looked for before the main window exists: a message about
# it would stand now.
boxes=$(bb_wd windows '#32770' | grep ' visible=1 ' || true)
bb_expect_eq "message boxes at start" "" "$boxes"
open_save_sequence "$main"
expected="Sequence of Single Images
Zelvo Frame Sequence(*.BMX)"
bb_expect_eq "types without the library" "$expected" "$(type_list "$DIALOG")"
close_dialog
bb_wd post "$main" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor" 0 20
