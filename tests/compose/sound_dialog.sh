#!/usr/bin/env bash
# "Select Sound:" in the editor on the sample, opened from the path editor's
# "Sound:" for one node after another: three sounds added through the file
# chooser, one replaced, the three options, a file of no known kind and a
# name too long for the table refused, "&Test" giving the dialog back when
# nothing can be played, a sound, a stop code and "None" chosen for the
# nodes, then sound 2 of 3 deleted. The saved animation holds the sound table
# and the renumbered steps byte for byte, and opens in the runtime player.
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/sample_lib.sh"
player_exe=$3
sample_setup "$1" "$2"
mkdir -p snd

long_name=a_sound_whose_file_name_is_far_too_long_for_the_table_of_sounds.wav
/usr/bin/python3 - snd "$long_name" <<'PY'
import os, struct, sys, wave
folder, long_name = sys.argv[1], sys.argv[2]
def tone(name, pitch, seconds):
    with wave.open(os.path.join(folder, name), 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(8000)
        w.writeframes(bytes(128 + (60 if (i * pitch // 8000) % 2 else -60) for i in range(int(8000 * seconds))))
for name, pitch, seconds in (('tone.wav', 880, 0.2), ('bell.wav', 1320, 0.2), ('chime.wav', 660, 3), (long_name, 440, 0.2)):
    tone(name, pitch, seconds)
track = bytes([0, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0, 0xFF, 0x2F, 0])
open(os.path.join(folder, 'tune.mid'), 'wb').write(
    b'MThd' + struct.pack('>IHHH', 6, 0, 1, 96) + b'MTrk' + struct.pack('>I', len(track)) + track)
open(os.path.join(folder, 'notes.txt'), 'w').write('not a sound\n')
PY
for name in tone.wav bell.wav chime.wav tune.mid; do [ "${#name}" -lt 64 ]; done
[ "${#long_name}" -gt 63 ] || bb_fail "the long name is not too long"

BM_CLICK=0x00F5
WM_HSCROLL=0x0114
SB_LINERIGHT=1
SOUND_TEST=1080 SOUND_ADD=1081 SOUND_DELETE=1082 SOUND_LIST=1083
SOUND_REPEAT=1085 SOUND_LOW=1086 SOUND_SIMPLE=1087 SOUND_REPLACE=1088 OFF_WAVE=1089

click() { bb_wd post "$(bb_child "$1" "$2")" $BM_CLICK 0 0 >/dev/null; }
items() { bb_wd items "$(bb_child "$1" $SOUND_LIST)" | sed -E 's/.* selected=([01]) .* text="(.*)"$/\1 \2/'; }
# The list refills after a posted click: waits until it shows EXPECTED.
expect_items() {  # WHAT EXPECTED
  local deadline=$((SECONDS + 20))
  until [ "$(items "$SOUND")" = "$2" ] || [ "$SECONDS" -ge "$deadline" ]; do sleep 0.1; done
  bb_expect_eq "$1" "$2" "$(items "$SOUND")"
}
state() { bb_wd control "$(bb_child "$1" "$2")" | grep -o 'enabled=[01] visible=[01] checked=-\?[0-9]*'; }

# The chooser opened by "&Add" or "&Replace" takes the file's Windows path.
choose_file() {  # LINUX_PATH
  bb_wait_window '#32770' '~Sound File:' 30000
  local chooser=$BB_HWND
  bb_wd set-text "$(bb_child "$chooser" 1148)" "$(bb_winpath "$1")" >/dev/null
  bb_wd post "$chooser" WM_COMMAND IDOK 0 >/dev/null
  bb_wd wait-gone "$chooser" 20000 >/dev/null
}

start_editor sample.ans
editor=$EDITOR
editor_pid=$EDITOR_PID
# "Path" (a path already) becomes the current object: no warning on 704.
choose_object Path
bb_wd post "$editor" WM_COMMAND 704 0 >/dev/null
bb_wait_window '#32770' 'Define Animation Path' 30000
path=$BB_HWND
bb_wait_text "$(bb_child "$path" 380)" '"16"' 20

open_sound() {  # sets SOUND: "Select Sound:" for the current node
  click "$path" 392
  bb_wait_window '#32770' 'Select Sound:' 30000
  SOUND=$BB_HWND
}
step_node() {  # SB_CODE NUMBER: the node scroll bar moves to that (1-based) node
  bb_wd post "$path" $WM_HSCROLL "$1" "$(bb_child "$path" 396)" >/dev/null
  bb_wait_text "$(bb_child "$path" 382)" "\"$2\"" 20
}
next_node() {  # NUMBER: the node scroll bar moves on to that (1-based) node
  step_node $SB_LINERIGHT "$1"
}
close_sound() {  # BUTTON_ID
  click "$SOUND" "$1"
  bb_wd wait-gone "$SOUND" 20000 >/dev/null
}

# ---- node 1: the table is built, the node gets sound 3 ----
bb_wait_text "$(bb_child "$path" 382)" '"1"' 20
open_sound
expect_items "an empty table" "1 None
0 Switch off"
bb_expect_eq "no sound to test" "enabled=0 visible=1 checked=0" "$(state "$SOUND" $SOUND_TEST)"
for name in tone.wav bell.wav tune.mid; do
  click "$SOUND" $SOUND_ADD
  choose_file "snd/$name"
done
expect_items "three sounds, the last one chosen" "0 None
0 tone.wav
0 bell.wav
1 tune.mid
0 Switch off"
# A MIDI sound has no simple playback.
bb_expect_eq "simple playback for MIDI" "enabled=0 visible=1 checked=0" "$(state "$SOUND" $SOUND_SIMPLE)"
bb_wd check "$(bb_child "$SOUND" $SOUND_LOW)" 1 >/dev/null

bb_wd select "$(bb_child "$SOUND" $SOUND_LIST)" bell.wav >/dev/null
click "$SOUND" $SOUND_REPLACE
choose_file snd/chime.wav
expect_items "bell.wav replaced" "0 None
0 tone.wav
1 chime.wav
0 tune.mid
0 Switch off"

# Neither a file of no known kind nor a name the table cannot hold is taken.
click "$SOUND" $SOUND_ADD
choose_file snd/notes.txt
box=$(bb_wd dismiss-box notes.txt OK 30000)
bb_expect_line "$box" 'text="Unknown file format!"'
click "$SOUND" $SOUND_ADD
choose_file "snd/$long_name"
box=$(bb_wd dismiss-box "$long_name" OK 30000)
bb_expect_line "$box" 'text="Error finding file!"'
bb_expect_eq "still three sounds" "0 None
0 tone.wav
1 chime.wav
0 tune.mid
0 Switch off" "$(items "$SOUND")"

# tone.wav: played without the device, repeated.
bb_wd select "$(bb_child "$SOUND" $SOUND_LIST)" tone.wav >/dev/null
bb_wd check "$(bb_child "$SOUND" $SOUND_SIMPLE)" 1 >/dev/null
bb_wd check "$(bb_child "$SOUND" $SOUND_REPEAT)" 1 >/dev/null

# "&Test" on chime.wav (three seconds long): the click is sent, so it has
# been handled when the send returns (a message from the device is answered
# meanwhile). Either the sound plays, "&Stop" is the only control left and
# ends it, or it could not be played (no sound device here) and the dialog
# is whole again at once.
bb_wd select "$(bb_child "$SOUND" $SOUND_LIST)" chime.wav >/dev/null
bb_wd send "$(bb_child "$SOUND" $SOUND_TEST)" $BM_CLICK 0 0 >/dev/null &
sender=$!
while kill -0 "$sender" 2>/dev/null; do
  if bb_wd windows '#32770' | grep ' visible=1 ' | grep 'title="Wave-Audio' >/dev/null; then
    bb_log "the device refused the test sound"
    bb_wd dismiss-box Wave-Audio OK 10000 >/dev/null
  fi
  sleep 0.2
done
wait "$sender" || bb_fail "the click on &Test was not handled"
if [ "$(bb_control_text "$(bb_child "$SOUND" $SOUND_TEST)")" = '"&Stop"' ]; then
  bb_log "the test sound plays"
  bb_expect_eq "&Add while a sound plays" "enabled=0 visible=1 checked=0" "$(state "$SOUND" $SOUND_ADD)"
  click "$SOUND" $SOUND_TEST
  bb_wait_text "$(bb_child "$SOUND" $SOUND_TEST)" '"&Test"' 20
fi
bb_expect_eq "&Test after the test" '"&Test"' "$(bb_control_text "$(bb_child "$SOUND" $SOUND_TEST)")"
bb_expect_eq "&Add after the test" "enabled=1 visible=1 checked=0" "$(state "$SOUND" $SOUND_ADD)"

bb_wd select "$(bb_child "$SOUND" $SOUND_LIST)" tune.mid >/dev/null
close_sound 1

# ---- node 2: sound 2; node 3: "Switch off" for the wave; node 4: sound 1 ----
next_node 2
open_sound
bb_expect_line "$(items "$SOUND")" '0 chime.wav'
bb_wd select "$(bb_child "$SOUND" $SOUND_LIST)" chime.wav >/dev/null
close_sound 1
next_node 3
open_sound
bb_wd select "$(bb_child "$SOUND" $SOUND_LIST)" 'Switch off' >/dev/null
bb_expect_eq "the stop radios shown" "enabled=1 visible=1 checked=0" "$(state "$SOUND" $OFF_WAVE)"
bb_wd check "$(bb_child "$SOUND" $OFF_WAVE)" 1 >/dev/null
close_sound 1
next_node 4
open_sound
bb_wd select "$(bb_child "$SOUND" $SOUND_LIST)" tone.wav >/dev/null
close_sound 1

# ---- nodes 3 and 4 show what they hold; node 5: sound 2 of 3 deleted ----
step_node 0 3
open_sound
expect_items "node 3 stops the wave" "0 None
0 tone.wav
0 chime.wav
0 tune.mid
1 Switch off"
bb_expect_eq "Wave chosen" "enabled=1 visible=1 checked=1" "$(state "$SOUND" $OFF_WAVE)"
close_sound 2
next_node 4
open_sound
expect_items "node 4 plays sound 1" "0 None
1 tone.wav
0 chime.wav
0 tune.mid
0 Switch off"
close_sound 2
next_node 5
open_sound
bb_wd select "$(bb_child "$SOUND" $SOUND_LIST)" chime.wav >/dev/null
click "$SOUND" $SOUND_DELETE
expect_items "sound 2 gone, None chosen" "1 None
0 tone.wav
0 tune.mid
0 Switch off"
close_sound 2
click "$path" 1
bb_wd wait-gone "$path" 20000 >/dev/null

stamp=$(stat -c %Y.%s sample.ans)
bb_wd send "$editor" WM_COMMAND 112 0 >/dev/null
bb_until 30 bash -c "[ \"\$(stat -c %Y.%s sample.ans)\" != '$stamp' ]"

/usr/bin/python3 - sample.ans "$(bb_winpath "$BB_WORK/snd/tone.wav")" "$(bb_winpath "$BB_WORK/snd/tune.mid")" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
# A chosen path is stored whole when it fits the 64-byte field, else from
# the animation's folder on, else as its bare name.
def stored(path):
    return path if len(path) <= 63 else path.rsplit('\\', 1)[1]
magic, version, seqs, objs, nregions, nsounds, current, _ = struct.unpack_from('<HHBBBBBH', data, 0)
pos = 11 + 227 + 68 * seqs + 10 * nregions
sounds = []
for i in range(nsounds):
    flags, repeat, name = struct.unpack_from('<HH64s', data, pos + 68 * i)
    sounds.append((flags, repeat, name.split(b'\0')[0].decode()))
pos += 68 * nsounds
record = struct.Struct('<B32sBhhhhhBBBhBhh')
step = struct.Struct('<BBBhhHBBBhH')
objects = {}
for i in range(objs):
    r = record.unpack_from(data, pos)
    pos += record.size
    objects[r[1].split(b'\0')[0].decode()] = [step.unpack_from(data, pos + k * step.size) for k in range(r[3])]
    pos += step.size * r[3]
assert pos == len(data), (pos, len(data))
fail = []
def expect(what, want, got):
    if want != got:
        fail.append(f'{what}: expected {want!r}, got {got!r}')
# tone.wav: simple playback (no 0x1000), repeat 0x08, asynchronous 0x01;
# tune.mid: MIDI 0x2000, low priority 0x10, asynchronous.
expect('sound table', [(0x0009, 0, stored(sys.argv[2])), (0x2011, 0, stored(sys.argv[3]))], sounds)
# Nodes 1-5: sound 3 became 2, sound 2 became none, the stop code and
# sound 1 stay, node 5 kept none; every other step has none.
expect('sounds of the path', [2, 0, 0x40, 1] + [0] * 12, [s[6] for s in objects['Path']])
expect('other objects without sounds', [0] * 5, [s[6] for s in objects['Runner']])
if fail:
    print('\n'.join(fail))
    sys.exit(1)
PY

bb_wd post "$editor" WM_CLOSE 0 0 >/dev/null
bb_expect_exit "$editor_pid" 0 30

player_opens "$player_exe" sample.ans
