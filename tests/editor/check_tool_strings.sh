#!/usr/bin/env bash
# The tool bars' status and tip texts, the transform window's tips and the
# selector popups' texts, read back from the program files' string tables
# with wrestool: every one there, to the letter (typos included).
# Usage: check_tool_strings.sh EXE...   (a missing file is passed over)
set -euo pipefail
checked=0
for exe in "$@"; do
  [ -f "$exe" ] || continue
  tables=$(mktemp -d)
  trap 'rm -rf "$tables"' EXIT
  wrestool -x --raw -t 6 -o "$tables" "$exe"
  python3 - "$tables" "$exe" <<'PY'
import os
import re
import struct
import sys

folder, exe = sys.argv[1], sys.argv[2]
strings = {}
for name in os.listdir(folder):
    # wrestool names each block FILE_6_BLOCK (and the language when there are
    # several); block n holds the ids 16 (n - 1) to 16 n - 1.
    block = int(re.search(r'_6_(\d+)(?:_\d+)?(?:\.\w+)?$', name).group(1))
    data = open(os.path.join(folder, name), 'rb').read()
    at = 0
    for i in range(16):
        (length,) = struct.unpack_from('<H', data, at)
        at += 2
        if length:
            strings[(block - 1) * 16 + i] = data[at:at + 2 * length].decode('utf-16-le')
        at += 2 * length

expected = {
    150: "Select Pen Size", 151: "Select Fill Pattern",
    32869: "Create a new frame", 34149: "new file",
    32870: "Open a single image, a frame sequence or an animation", 34150: "open a file",
    32871: "Add frames to the current frame sequence", 34151: "add frames to sequence",
    32880: "Save changes...", 34153: "save changes",
    32878: "Print frames", 34158: "print",
    32971: "Cuts current selection and puts it to the clipboard", 34251: "cut",
    32972: "Copies current selection to the clipboard", 34252: "copy",
    32973: "Pastes clipboard contents", 34253: "paste",
    32969: "Undo last action", 34249: "undo changes",
    32970: "Redo undo", 34250: "redo changes",
    33122: "Change to previous frame", 34402: "previous frame",
    33123: "Change to next frame", 34403: "next frame",
    33107: "Toggel grid lines on/off", 34387: "toggle grid",
    33106: "Toggle onion skinning on/off", 34386: "toggle onion skinning",
    33095: "Stretch film reel images to fit film reel size", 34375: "toogle film reel zoom",
    33476: "Start animation", 34756: "run animation",
    33118: "Original image size", 34398: "original size",
    33119: "Magnify by factor 2", 34399: "magnify by 2",
    33120: "Magnify by factor 4", 34400: "magnify by 4",
    33121: "Magnify by factor 8", 34401: "magnify by 8",
    33124: "Freehand", 34404: "freehand",
    33125: "Draw a Line", 34405: "line",
    33126: "Draw a Square (use CTRL) or Rectangle", 34406: "rectangle",
    33127: "Draw a Circle (use CTRL) or Ellipse", 34407: "ellipse",
    33128: "Draw an Arc", 34408: "arc",
    33129: "Draw a Polygon", 34409: "polygon",
    33130: "Fill an area with the current color", 34410: "fill",
    33131: "Use Spray", 34411: "spray",
    33132: "Draw Text", 34412: "text",
    33133: "Pick the color of the current pixel", 34413: "pick color",
    33134: "Select a rectangular area", 34414: "select rectangle",
    33135: "Select a polygon", 34415: "select polygon",
    33280: "Sheer and stretch selected area", 34560: "sheer and stretch",
    33792: "Change selection area", 33793: "Stretch selection",
    33794: "Transform to a horizontal rhomb", 33795: "Transform to a vertical rhomb",
    33796: "Transform to a horizontal trapezium", 33797: "Transform to a vertical trapezium",
    33798: "Transform to a horizontal ellipse", 33799: "Transform to a vertcial ellipse",
}
wrong = [(i, text, strings.get(i)) for i, text in sorted(expected.items()) if strings.get(i) != text]
for i, text, found in wrong:
    print('%s: string %d is %r, not %r' % (exe, i, found, text))
print('%s: %d of %d strings as they should be' % (exe, len(expected) - len(wrong), len(expected)))
sys.exit(1 if wrong else 0)
PY
  rm -rf "$tables"
  checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || { echo "no program file to check"; exit 1; }
