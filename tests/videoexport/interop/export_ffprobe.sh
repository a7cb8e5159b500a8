#!/usr/bin/env bash
# Holds the AVI files that ZelvoExp32 writes against independent readers:
# ffprobe for the streams (codec, size, rate, frame count, sound format),
# ffmpeg decoding the frames, compared by ImageMagick with the engine's own
# pictures of the same steps, and the sound compared with sox's reading of
# the wave the animation plays.
set -euo pipefail
TOOL=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "$*"; exit 1; }
# The tool's own messages pass; the sound system's complaints of a machine
# without a sound card do not.
tool() { "$ZELVO_WINE" "$TOOL" "$@" </dev/null 2> >(grep -v '^ALSA lib' >&2); }
# The value of one field of one stream ("v:0", "a:0") as ffprobe reports it.
field() { ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=nw=1:nk=1 "$1"; }
expect() {  # file stream field value
  local got; got=$(field "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$1 $2 $3: '$got', expected '$4'"
}
streams() { ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$1" | tr '\n' ' '; }
# file codec width height rate frames
expect_video() {
  expect "$1" v:0 codec_name rawvideo
  expect "$1" v:0 width "$2"
  expect "$1" v:0 height "$3"
  expect "$1" v:0 r_frame_rate "$4"
  expect "$1" v:0 nb_frames "$5"
}
# Every picture ffmpeg decodes, named by its time stamp (the step it holds),
# against the engine's picture of that step; the list of stamps must be the
# steps stored.
expect_frames() {  # file "stamps..."
  rm -rf frames && mkdir frames
  # 32-bit frames carry no alpha: the fourth byte is dropped, not applied.
  ffmpeg -v error -i "$1" -map 0:v -fps_mode passthrough -frame_pts 1 -pix_fmt rgb24 frames/%d.png
  local stamps
  stamps=$(ls frames | sed 's/\.png$//' | sort -n | tr '\n' ' ')
  [ "$stamps" = "$2" ] || fail "$1: pictures at steps '$stamps', expected '$2'"
  for f in frames/*.png; do
    local step differ
    step=$(basename "$f" .png)
    differ=$(compare -metric AE "$f" "step$step.bmp" null: 2>&1 || true)
    [ "$differ" = 0 ] || fail "$1: the picture of step $step differs from the engine's in $differ pixels"
  done
}

tool fixtures .
sox -n -r 11025 -c 1 -b 8 -e unsigned-integer tone.wav synth 0.4 square 300 vol 0.5
tool reference moving.ans 12 step

# Every third step of 12 at 10 frames a second, reduced to 8 bits: frames at
# 0, 3, 6, 9, and the last step once more at 11; rows of 36 bytes.
tool export moving.ans reduced.avi 10 12 3 0 11025
expect_video reduced.avi 33 20 10/1 12
[ "$(streams reduced.avi)" = "video " ] || fail "reduced.avi: streams $(streams reduced.avi)"
expect reduced.avi v:0 pix_fmt pal8
expect_frames reduced.avi "0 3 6 9 11 "

# The depth kept: true-colour frames, every step.
tool export moving.ans kept.avi 25 6 1 0x800 11025
expect_video kept.avi 33 20 25/1 6
format=$(field kept.avi v:0 pix_fmt)
case "$format" in bgra|bgr0|bgr24|rgb555le) ;; *) fail "kept.avi: frames in $format" ;; esac
expect_frames kept.avi "0 1 2 3 4 5 "

# Sound at 11025 Hz, 8 bits, mono: the wave from the step that plays it,
# sample for sample as sox reads the file, then silence; 2 s in all.
tool export sound.ans sound.avi 12 24 1 0x4000 11025
expect_video sound.avi 33 20 12/1 24
expect sound.avi a:0 codec_name pcm_u8
expect sound.avi a:0 sample_rate 11025
expect sound.avi a:0 channels 1
ffmpeg -v error -i sound.avi -map 0:a -f u8 -c:a pcm_u8 sound.raw
sox tone.wav -t raw tone.raw
python3 - sound.raw tone.raw <<'PY'
import sys
stored, tone = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
assert len(stored) == 22050, 'stored %d samples, 24 frames at 12/s are 22050' % len(stored)
start = next((i for i, b in enumerate(stored) if b != 0x80), len(stored))
assert start < 2 * 919, 'the wave starts at sample %d, after the first steps' % start
assert stored[start:start + len(tone)] == tone, 'the stored wave differs from the file'
assert set(stored[start + len(tone):]) <= {0x80}, 'no silence after the wave'
PY

# The same wave into a 22050 Hz 16-bit stereo stream: sox reads the stream
# ffmpeg takes out of the file with the format and length the export chose.
tool export sound.ans stereo.avi 10 20 1 0x7000 22050
expect stereo.avi a:0 codec_name pcm_s16le
expect stereo.avi a:0 sample_rate 22050
expect stereo.avi a:0 channels 2
ffmpeg -v error -i stereo.avi -map 0:a stereo.wav
[ "$(sox --i -r stereo.wav)" = 22050 ] || fail "stereo.wav: rate $(sox --i -r stereo.wav)"
[ "$(sox --i -c stereo.wav)" = 2 ] || fail "stereo.wav: channels $(sox --i -c stereo.wav)"
[ "$(sox --i -s stereo.wav)" = 44100 ] || fail "stereo.wav: $(sox --i -s stereo.wav) samples, 20 frames at 10/s are 44100"
peak=$(sox stereo.wav -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
python3 -c "import sys; sys.exit(0 if float('$peak') > 0.3 else 1)" || fail "stereo.avi: the wave is missing (peak $peak)"

# Only MIDI: the sound stream is silence.
tool export midi.ans midi.avi 10 10 1 0x4000 11025
ffmpeg -v error -i midi.avi -map 0:a -f u8 -c:a pcm_u8 midi.raw
python3 -c "
import sys
data = open('midi.raw', 'rb').read()
sys.exit(0 if len(data) == 11025 and set(data) == {0x80} else 1)" || fail "midi.avi: not 1 s of silence"

echo "ZelvoExp32's AVI files agree with ffprobe, ffmpeg, ImageMagick and sox"
