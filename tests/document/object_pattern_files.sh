#!/usr/bin/env bash
# The object file and the fill-pattern file as a reader of the plain layout
# (python's struct module) sees them.
# Usage: object_pattern_files.sh DocTool.exe
set -euo pipefail
DOCTOOL=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$ZELVO_WINE" "$DOCTOOL" make-ano hopper.ano </dev/null
"$ZELVO_WINE" "$DOCTOOL" make-mus p.mus </dev/null
/usr/bin/python3 - <<'PY'
import struct
data = open("hopper.ano", "rb").read()
assert len(data) == 2 + 68 + 73 + 3 * 25, len(data)
assert data[:2] == b"AO", data[:2]
frames, code, colors, name = struct.unpack_from("<BBh64s", data, 2)
assert (frames, code, colors) == (7, 0x13, 256), (frames, code, colors)
assert name.split(b"\0")[0] == b"hop.bmx", name
record = struct.unpack_from("<B32sB3siiiiiBBBiBii", data, 70)
(seq, oname, flags, editor, steps, x, y, dx, dy, fd, md, mf, repeat, f1, f2, f3) = record
assert oname.split(b"\0")[0] == b"Hopper", oname
assert (seq, flags, editor, steps, x, y, repeat, f3) == (2, 0x41, b"\0\xab\0", 3, -300, 70000, -1, 0x12345678), record
for i in range(3):
    step = struct.unpack_from("<BBBiiHBB3sBiH", data, 143 + 25 * i)
    frame, wait, sflags, sx, sy, high, sound, cond, sed, param, jump, low = step
    assert (frame, sx, sy, high, sed, jump, low) == (i + 4, -1000 * i, 40000 + i, 0x8001, bytes([0, 0, 0xC0 + i]), -i, 0xFFFE), step
print("object file: 218 bytes, every field where the layout puts it")

data = open("p.mus", "rb").read()
assert len(data) == 964, len(data)
magic, reserved = struct.unpack_from("<HH", data, 0)
assert (magic, reserved) == (0x554D, 0), (magic, reserved)
for i in range(12):
    at = 4 + 80 * i
    size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, at)
    assert (size, width, height, planes, bits, compression) == (40, 8, 8, 1, 1, 0), (i, size, width, height, bits)
    for y in range(8):  # stored bottom-up, 4 bytes a row
        assert data[at + 48 + 4 * (7 - y)] == i * 16 + y, (i, y, data[at + 48 + 4 * (7 - y)])
print("pattern file: 964 bytes, twelve 8 x 8 1-bit patterns")
PY
