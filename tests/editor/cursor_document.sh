#!/usr/bin/env bash
# Animated cursors and icons as a user opens them from the editor's command
# line: an animated cursor brings "&Animation..." and "Change &Format..."
# into the menu in place of the editor's change of format, its frames go on
# the editor, and the menu command opens "Define Cursor animation" with the
# file's counters (three frames, four steps); an icon opens with its picture
# on the film reel.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
library=$2
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
cp "$library" "$BB_WORK/ed/ZelvoConv32.dll"
cp "$(dirname "$library")/ijl11.dll" "$BB_WORK/ed/"
cd "$BB_WORK"

CMD_ANIMATION=1001
CMD_CHANGE_FORMAT=1002
IDM_CHANGE_FORMAT=405
FRAME_COUNT=103  # counters of "Define Cursor animation"
FRAMES_USED=104
STEP_COUNT=105

# Three 32 x 32 16-colour cursor images (a blue square on a colour of their
# own), a cycle of four steps over them, and one of them as an icon file.
# Their colours are static ones: the editor takes them without a palette
# question.
/usr/bin/python3 - <<'EOF'
import struct
def image(background):
    palette = [(0, 0, 0), (255, 0, 0), (0, 128, 0), (0, 0, 255)] + [(128, 128, 128)] * 12
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, 32 * 16 + 32 * 4, 0, 0, 16, 0)
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    rows = b''
    for y in range(32):
        row = bytearray()
        for x in range(0, 32, 2):
            pair = []
            for px in (x, x + 1):
                pair.append(3 if 8 <= px < 24 and 8 <= y < 24 else background)
            row.append(pair[0] << 4 | pair[1])
        rows += bytes(row)
    return header + table + rows + bytes(32 * 4)
def one(kind, picture, hotspot):
    entry = struct.pack('<BBBBHHII', 32, 32, 16, 0, hotspot[0], hotspot[1], len(picture), 22)
    return struct.pack('<HHH', 0, kind, 1) + entry + picture
def chunk(name, data):
    return name + struct.pack('<I', len(data)) + data + (b'\0' if len(data) % 2 else b'')
frames = [one(2, image(b), (4, 5)) for b in (0, 1, 2)]
anih = struct.pack('<9I', 36, 3, 4, 0, 0, 0, 0, 6, 3)
body = (b'ACON' + chunk(b'anih', anih) + chunk(b'rate', struct.pack('<4I', 6, 6, 9, 9)) +
        chunk(b'seq ', struct.pack('<4I', 0, 1, 2, 1)) +
        chunk(b'LIST', b'fram' + b''.join(chunk(b'icon', f) for f in frames)))
open('walk.ani', 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
open('arrow.ico', 'wb').write(one(1, image(1), (0, 0)))
EOF

reel_of() {  # MAIN_WINDOW: the film reel's handle
  bb_wd children "$1" | grep 'class="FRAMES"' | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/'
}

# ---- the animated cursor ----
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/walk.ani")"
editor=$BB_PID
bb_wait_window Zelvo "~Zelvo" 30000
main=$BB_HWND
menu=$(bb_wd menu-state "$main" bar)
bb_expect_line "$menu" "id=$CMD_ANIMATION " 'state=enabled' 'text="&Animation..."'
bb_expect_line "$menu" "id=$CMD_CHANGE_FORMAT " 'state=enabled' 'text="Change &Format...\bStrg+F"'
if grep -q "id=$IDM_CHANGE_FORMAT " <<<"$menu"; then bb_fail "the editor's own change of format is still in the menu"; fi
bb_screenshot "$BB_NAME-menu.png"

bb_wd post "$main" WM_COMMAND $CMD_ANIMATION 0 >/dev/null
bb_wait_window '#32770' "Define Cursor animation" 20000
dialog=$BB_HWND
bb_wait_text "$(bb_child "$dialog" $FRAME_COUNT)" '"3"' 10
bb_expect_eq "frames used" '"3"' "$(bb_control_text "$(bb_child "$dialog" $FRAMES_USED)")"
bb_expect_eq "cycle steps" '"4"' "$(bb_control_text "$(bb_child "$dialog" $STEP_COUNT)")"
bb_screenshot "$BB_NAME-define-cursor-animation.png"
bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null

# "Change &Format..." opens the library's own dialog.
bb_wd post "$main" WM_COMMAND $CMD_CHANGE_FORMAT 0 >/dev/null
bb_wait_window '#32770' "Change Cursor Format" 20000
format=$BB_HWND
bb_wd post "$format" WM_COMMAND IDCANCEL 0 >/dev/null
bb_wd wait-gone "$format" 20000 >/dev/null
bb_kill "$editor"

# ---- the icon: one frame with its picture ----
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/arrow.ico")"
editor=$BB_PID
bb_wait_window Zelvo "~Zelvo" 30000
main=$BB_HWND
reel=$(reel_of "$main")
[ -n "$reel" ] || bb_fail "no film reel for the icon"
bb_until 20 bash -c "\"\$ZELVO_WINE\" \"\$ZELVO_WINDRIVER\" capture-window $reel reel.bmp client >/dev/null &&
  [ \$(convert reel.bmp -fuzz 8% -fill white +opaque '#0000FF' -fill black -opaque '#0000FF' \
       -format '%[fx:int(w*h*(1-mean)+0.5)]' info:) -gt 30 ]" || bb_fail "the icon's blue square is not on the reel"
if bb_wd menu-state "$main" bar | grep "id=$CMD_ANIMATION " >/dev/null; then bb_fail "an icon brought the animation menu"; fi
bb_screenshot "$BB_NAME-icon.png"
bb_kill "$editor"
echo "an animated cursor and an icon open from the command line"
