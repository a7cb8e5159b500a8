#!/usr/bin/env bash
# Holds the AVI files that the wrapper writes against ffprobe and ffmpeg: the
# streams, codecs, frame counts, rates and sound formats they report, and the
# pixels and samples they decode.
set -euo pipefail
VFWTOOL=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$(dirname "$VFWTOOL")/ZelvoVfw32.dll" .

fail() { echo "$*"; exit 1; }
# The value of one field of one stream ("v:0", "a:0") as ffprobe reports it.
field() { ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=nw=1:nk=1 "$1"; }
expect() {  # file stream field value
  local got; got=$(field "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$1 $2 $3: $got, expected $4"
}
# file width height frame-rate frames sound-codec sample-rate channels samples
expect_streams() {
  [ "$(ffprobe -v error -show_entries stream=index -of csv=p=0 "$1" | wc -l)" = 2 ] || fail "$1: not two streams"
  expect "$1" v:0 codec_name rawvideo
  expect "$1" v:0 width "$2"
  expect "$1" v:0 height "$3"
  expect "$1" v:0 r_frame_rate "$4"
  expect "$1" v:0 nb_frames "$5"
  expect "$1" a:0 codec_name "$6"
  expect "$1" a:0 sample_rate "$7"
  expect "$1" a:0 channels "$8"
  expect "$1" a:0 nb_frames "$9"
}

# Frames with sound added frame by frame: 1 s of 22050 Hz 16-bit stereo.
sox -n -r 22050 -c 2 -b 16 sound.wav synth 1 sine 300 sine 500 vol 0.5
"$ZELVO_WINE" "$VFWTOOL" export-avi export.avi sound.wav export-video.raw export-audio.raw
expect_streams export.avi 40 30 8/1 8 pcm_s16le 22050 2 22050
ffmpeg -v error -i export.avi -map 0:v -f rawvideo -pix_fmt bgr24 - | cmp - export-video.raw || fail "export.avi: frames differ"
ffmpeg -v error -i export.avi -map 0:a -f s16le -c:a pcm_s16le - | cmp - export-audio.raw || fail "export.avi: sound differs"
sox sound.wav -t raw - | cmp - export-audio.raw || fail "export.avi: the sound is not the wave file's"

# Palette frames 33 pixels wide with a wave file merged: 2 s of 11025 Hz
# 8-bit mono, of which 6 frames at 5 per second take 1.2 s. The sound is
# merged ahead of the frames (Wine adds no stream to a file holding data),
# and Wine's index then lists the frames first, which readers that guess
# the index's base from its first entry (ffmpeg, Wine) misplace; so the
# stored chunks are read here directly, and ffprobe checks the headers.
sox -n -r 11025 -c 1 -b 8 -e unsigned-integer long.wav synth 2 sine 440
"$ZELVO_WINE" "$VFWTOOL" merge-avi merged.avi long.wav merged-video.raw
expect_streams merged.avi 33 20 5/1 6 pcm_u8 11025 1 13230
sox long.wav -t raw long.raw
head -c 13230 long.raw > merged-audio.raw
python3 - merged.avi merged-video.raw merged-audio.raw <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
movi = data.find(b'LIST', 12)
while data[movi + 8:movi + 12] != b'movi':
    movi = data.find(b'LIST', movi + 4)
end = movi + 8 + struct.unpack('<I', data[movi + 4:movi + 8])[0]
chunks, at = {}, movi + 12
while at + 8 <= end:
    ident, size = data[at:at + 4], struct.unpack('<I', data[at + 4:at + 8])[0]
    chunks.setdefault(ident[2:], []).append(data[at + 8:at + 8 + size])
    at += 8 + size + (size & 1)
frames = chunks.get(b'db', [])
assert [len(f) for f in frames] == [36 * 20] * 6, 'frames of %s bytes' % [len(f) for f in frames]
assert b''.join(frames) == open(sys.argv[2], 'rb').read(), 'stored frames differ'
assert b''.join(chunks.get(b'wb', [])) == open(sys.argv[3], 'rb').read(), 'stored sound differs'
PY
echo "AVI files agree with ffprobe and ffmpeg"
