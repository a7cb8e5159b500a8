#!/usr/bin/env bash
# Still images named on the editor's command line: a PCX, a TIFF and a JPEG
# each open as a frame on the film reel; a library with bitmap resources
# asks which one in "Open Resource Bitmap" and the chosen one is the frame.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
editor_exe=$1
library=$2
mkdir -p "$BB_WORK/ed"
cp "$editor_exe" "$BB_WORK/ed/ZELVO.exe"
cp "$library" "$BB_WORK/ed/ZelvoConv32.dll"
cp "$(dirname "$library")/ijl11.dll" "$BB_WORK/ed/"
# Loaded pictures keep their own palettes without a palette question.
printf '[File]\r\nUseSavedPalette=2\r\n' >"$BB_WORK/ed/ZELVO.ini"
cd "$BB_WORK"

# A picture of 64 x 48: a blue square on light grey, in every format.
/usr/bin/python3 - <<'EOF'
from PIL import Image
im = Image.new("RGB", (64, 48), (200, 200, 200))
im.paste((0, 0, 255), (8, 8, 56, 40))
im.save("pic.pcx"); im.save("pic.tif"); im.save("pic.jpg", quality=100); im.save("pic.bmp")
open("lib.rc", "w").write('#include <windows.h>\nLANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n'
                          '101 BITMAP "pic.bmp"\nOTHER BITMAP "pic.bmp"\n')
open("lib.c", "w").write("int __stdcall DllMain(void *a, unsigned b, void *c) { return 1; }\n")
EOF
i686-w64-mingw32-windres lib.rc -O coff -o lib.res
i686-w64-mingw32-gcc-posix -shared -nostdlib -e _DllMain@12 lib.c lib.res -o pictures.dll
printf '#include <windows.h>\n1 RCDATA { "x" }\n' > none.rc
i686-w64-mingw32-windres none.rc -O coff -o none.res
i686-w64-mingw32-gcc-posix -shared -nostdlib -e _DllMain@12 lib.c none.res -o none.dll

# The reel of the editor window: at least this many blue pixels.
expect_blue_on_reel() {  # MAIN_WINDOW WHAT
  local kids reel blue
  kids=$(bb_wd children "$1")
  reel=$(grep 'class="FRAMES"' <<<"$kids" | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
  [ -n "$reel" ] || bb_fail "$2: no film reel"
  bb_until 20 bash -c "\"\$ZELVO_WINE\" \"\$ZELVO_WINDRIVER\" capture-window $reel reel.bmp client >/dev/null &&
    [ \$(convert reel.bmp -fuzz 8% -fill white +opaque '#0000FF' -fill black -opaque '#0000FF' \
         -format '%[fx:int(w*h*(1-mean)+0.5)]' info:) -gt 100 ]" ||
    bb_fail "$2: no blue picture on the reel"
}

for name in pic.pcx pic.tif pic.jpg; do
  bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/$name")"
  pid=$BB_PID
  bb_wait_window Zelvo "~Zelvo" 30000
  main=$BB_HWND
  expect_blue_on_reel "$main" "$name"
  bb_screenshot "$BB_NAME-$name.png"
  bb_kill "$pid"
done

bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/pictures.dll")"
pid=$BB_PID
bb_wait_window '#32770' "Open Resource Bitmap" 30000
dialog=$BB_HWND
list=$(bb_child "$dialog" 101)
items=$(bb_wd items "$list")
bb_expect_line "$items" 'index=0' 'selected=1' 'text="OTHER-1033"'
bb_expect_line "$items" 'index=1' 'text="   101-1033"'
bb_wait_text "$(bb_child "$dialog" 104)" '"64x48"' 10
bb_wait_text "$(bb_child "$dialog" 105)" '"16.7 Mio."' 10
bb_wd select "$list" '#1' >/dev/null
bb_screenshot "$BB_NAME-open-resource-bitmap.png"
bb_wd post "$dialog" WM_COMMAND IDOK 0 >/dev/null
bb_wd wait-gone "$dialog" 20000 >/dev/null
bb_wait_window Zelvo "~Zelvo" 30000
expect_blue_on_reel "$BB_HWND" "resource bitmap"
bb_kill "$pid"

# A library without bitmaps says so in a box of its own.
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/none.dll")"
pid=$BB_PID
box=$(bb_wd dismiss-box Error OK 30000)
bb_expect_line "$box" 'text="This file does not contain bitmap images"'
bb_expect_line "$box" 'icon=information'
bb_kill "$pid"
echo "PCX, TIFF, JPEG and a resource bitmap open on the reel"
