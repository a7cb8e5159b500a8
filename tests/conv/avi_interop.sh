#!/usr/bin/env bash
# Holds the library's AVI exports against ffprobe and ffmpeg: three frames
# with the delays 2, 1, 3 at 12 frames per second make a video of six frame
# times and half a second whose stored pictures are the sources in order (the
# last one again at the end, held for its whole delay); a delay of 0 leaves
# its frame out; a 4-bit sequence is stored as 8-bit frames of the same colours.
set -euo pipefail
TOOL=$1
WRAPPER=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dir=$(dirname "$TOOL")
cp "$dir/ZelvoConv32.dll" "$dir/ijl11.dll" "$WRAPPER" "$TOOL" "$work/"
cd "$work"
fail() { echo "$*"; exit 1; }
PY=/usr/bin/python3

# check NAME BITS DELAYS FRAMES PIXFMT DURATION STORED_SOURCES
check() {
  local name=$1 bits=$2 delays=$3 frames=$4 pixfmt=$5 duration=$6 sequence=$7
  "$ZELVO_WINE" ./AviTool.exe export "$name.avi" "$bits" "$delays" </dev/null | tr -d '\r' |
    grep -q 'result=1' || fail "$name: the export failed"
  local probe
  probe=$(ffprobe -v error -select_streams v:0 \
    -show_entries stream=codec_name,width,height,r_frame_rate,nb_frames,pix_fmt -show_entries format=duration \
    -of default=noprint_wrappers=1 "$name.avi")
  for line in codec_name=rawvideo width=16 height=12 r_frame_rate=12/1 "nb_frames=$frames" "pix_fmt=$pixfmt" \
              "duration=$duration"; do
    grep -qx "$line" <<<"$probe" || fail "$name: ffprobe does not say $line but: $(tr '\n' ' ' <<<"$probe")"
  done
  # The stored pictures, in order (frame times without a picture of their own
  # repeat the one before when played).
  ffmpeg -v error -y -i "$name.avi" -vsync passthrough -f rawvideo -pix_fmt bgr24 "$name.decoded" </dev/null
  "$PY" - "$name.avi.bgr" "$name.decoded" "$sequence" <<'PYEOF' || fail "$name: ffmpeg's frames differ"
import sys
size = 16 * 12 * 3
sources = open(sys.argv[1], 'rb').read()
decoded = open(sys.argv[2], 'rb').read()
want = [int(i) for i in sys.argv[3].split(',')]
got = [decoded[k:k + size] for k in range(0, len(decoded), size)]
assert len(got) == len(want), (len(got), want)
for k, (frame, index) in enumerate(zip(got, want)):
    assert frame == sources[index * size:(index + 1) * size], (k, index)
PYEOF
}

check rhythm 8 2,1,3 6 pal8 0.500000 0,1,2,2
check skipped 8 1,0,1 2 pal8 0.166667 0,2
check nibbles 4 1,2,1 4 pal8 0.333333 0,1,2
echo "AVI exports as ffprobe and ffmpeg read them"
