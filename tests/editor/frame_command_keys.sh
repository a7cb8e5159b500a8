#!/usr/bin/env bash
# The frame commands of the Edit, Sequence and Modify menus run the two ways a
# user runs them in the editor: by every key the accelerator table gives them
# (real key presses) and by their menu item (the menu bar opened with Alt and
# walked with the arrow keys). After each run the document is saved with Save
# (112) and read back, and must show what the command makes of it:
# ImageMagick's flips, turns and shifts of a square picture; the frame list
# of an animation after adding, inserting, deleting, swapping, moving,
# cutting, copying and pasting; the dialogs of the others, cancelled.
#   frame_command_keys.sh picture|animation ZELVO.exe DocTool.exe
set -euo pipefail
source "$(dirname "$0")/../blackbox/lib.sh"
source "$(dirname "$0")/film_click.sh"
part=$1
mkdir -p "$BB_WORK/ed"
cp "$2" "$BB_WORK/ed/ZELVO.exe"
doctool=$3
printf '[File]\r\nBMX-Compression=0\r\n' >"$BB_WORK/ed/ZELVO.ini"
cd "$BB_WORK"
bb_park_pointer

# ---- the two ways of running a command ----
# The keys that reach menu item ID from the menu bar: Alt+F opens the first
# menu with its first item marked, Right goes on to the next menu (or into a
# submenu), Down to the next item (separators are passed over, the last
# item wraps round to the first), Enter runs it.
menu_route() {  # ID
  bb_wd menu-state "$main" bar | awk -v id="$1" '
    {
      match($0, /pos=[0-9.]+/)
      pos[NR] = substr($0, RSTART + 4, RLENGTH - 4)
      separator[NR] = $0 ~ / type=separator /
      if ($0 ~ (" id=" id " ")) target = pos[NR]
    }
    END {
      if (target == "") exit 1
      depth = split(target, t, ".")
      route = "alt+F"
      for (i = 0; i < t[1]; ++i) route = route " VK_RIGHT"
      for (level = 2; level <= depth; ++level) {
        # Down and Up mark the item of the submenu anew: the editor brings the
        # items up to date as the menu opens, and the mark is lost.
        if (level > 2) route = route " VK_DOWN VK_UP VK_RIGHT"
        for (r = 1; r <= NR; ++r) {
          if (split(pos[r], q, ".") != level || separator[r] || q[level] >= t[level]) continue
          same = 1
          for (k = 1; k < level; ++k) if (q[k] != t[k]) same = 0
          if (same) route = route " VK_DOWN"
        }
      }
      print route " VK_RETURN"
    }'
}
# run WAY ID: WAY is "menu" or a key such as alt+H.
run() {
  local route
  if [ "$1" = menu ]; then
    route=$(menu_route "$2") || bb_fail "no menu item $2"
    # shellcheck disable=SC2086
    bb_wd keys "$main" $route >/dev/null
  else
    bb_wd keys "$main" "$1" >/dev/null
  fi
}
# Keys go through the input queue and a sent Save overtakes them: the
# document is saved and checked until it shows the command's effect.
saved_as_expected() { bb_wd send "$main" WM_COMMAND 112 0 >/dev/null && "$@"; }
expect() {  # WHAT CHECK...
  local what=$1 deadline=$((SECONDS + 20))
  shift
  until saved_as_expected "$@" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || bb_fail "$what: $(last_difference)"
    sleep 0.2
  done
  bb_log "$what: done"
}
# A dialog opens; Cancel closes it and the document stays as it was.
expect_dialog_cancelled() {  # WHAT
  bb_wait_window '#32770' - 20000 || bb_fail "$1: no dialog"
  local dialog=$BB_HWND
  bb_wd post "$dialog" WM_COMMAND IDCANCEL 0 >/dev/null
  bb_wd wait-gone "$dialog" 20000 >/dev/null || bb_fail "$1: the dialog stays after Cancel"
}

# ==== a square picture (Modify and Edit menus) ====
picture_part() {
picture="$BB_WORK/frame.bmp"
convert -seed 11 -size 8x8 plasma:fractal -depth 8 BMP3:"$picture"
bb_start ed/ZELVO.exe -r "$(bb_winpath "$picture")"
editor=$BB_PID
bb_wait_window Zelvo "~Zelvo ONE" 30000
main=$BB_HWND

differing() { compare -metric AE "$picture" "$1" null: 2>&1 || true; }
same_as() { [ "$(differing "$1")" = 0 ]; }
not_same_as() { [ "$(differing "$1")" != 0 ]; }
last_difference() { echo "$(differing expected.bmp) pixels differ from the expected picture"; }

# The transparent colour: Clear Frame (Ctrl+E) paints the frame with it.
cp "$picture" before.bmp
run ctrl+E 208
one_colour() { [ "$(convert "$picture" -format %k info:)" = 1 ]; }
cp before.bmp expected.bmp
expect "Clear Frame by Ctrl+E" one_colour
clear=$(convert "$picture" -format '#%[hex:p{0,0}]' info: | cut -c1-7)
cp "$picture" cleared.bmp
cp before.bmp expected.bmp
run alt+VK_BACK
expect "Undo of Clear Frame by Alt+Backspace" same_as expected.bmp
run menu 208
cp cleared.bmp expected.bmp
expect "Clear Frame from the menu" same_as expected.bmp
run ctrl+Z
cp before.bmp expected.bmp
expect "Undo of Clear Frame by Ctrl+Z" same_as expected.bmp

# The picture a command makes of before.bmp.
shifted() {  # DX DY keep|fill
  local base=before.bmp
  [ "$3" = keep ] || base="xc:$clear"
  convert -size 8x8 "$base" before.bmp -geometry "$(printf '%+d%+d' "$1" "$2")" -composite BMP3:expected.bmp
}
# ID | ImageMagick operation or shift | the keys (the menu item runs it too)
image_cases=(
  "510|-flop|alt+H"
  "511|-flip|alt+V"
  "520|-rotate 90|alt+R"
  "521|-rotate -90|alt+L"
  "501|shift 0 -1|ctrl+VK_UP shift+VK_UP"
  "502|shift 0 1|ctrl+VK_DOWN shift+VK_DOWN"
  "503|shift -1 0|ctrl+VK_LEFT shift+VK_LEFT"
  "504|shift 1 0|ctrl+VK_RIGHT shift+VK_RIGHT"
)
for case in "${image_cases[@]}"; do
  IFS='|' read -r id operation keys <<<"$case"
  for way in $keys menu; do
    cp "$picture" before.bmp
    if [[ $operation == shift* ]]; then
      # Shift held fills the freed line with the transparent colour.
      read -r _ dx dy <<<"$operation"
      if [[ $way == shift+* ]]; then shifted "$dx" "$dy" fill; else shifted "$dx" "$dy" keep; fi
    else
      # shellcheck disable=SC2086
      convert before.bmp $operation BMP3:expected.bmp
    fi
    run "$way" "$id"
    expect "$id by $way ($operation)" same_as expected.bmp
  done
done

# Undo and Repeat of a flip, by each key and the menu.
for way in alt+VK_BACK ctrl+Z menu; do
  cp "$picture" before.bmp
  convert before.bmp -flop BMP3:flopped.bmp
  bb_wd post "$main" WM_COMMAND 510 0 >/dev/null
  cp flopped.bmp expected.bmp
  expect "flip before the undo" same_as expected.bmp
  run "$way" 201
  cp before.bmp expected.bmp
  expect "Undo by $way" same_as expected.bmp
  repeat_way=$way
  case $way in alt+VK_BACK) repeat_way=ctrl+alt+VK_BACK ;; ctrl+Z) repeat_way=ctrl+Y ;; esac
  run "$repeat_way" 202
  cp flopped.bmp expected.bmp
  expect "Repeat by $repeat_way" same_as expected.bmp
done

# The effects (menu items only): Invert against -negate, Greyscale grey in
# every pixel, the others change the picture.
for id in 550 551 552 553 554 555 556 557 558 559 560 561 562; do
  cp "$picture" before.bmp
  run menu "$id"
  case $id in
    562) convert before.bmp -negate BMP3:expected.bmp
         expect "Invert (562) against -negate" same_as expected.bmp ;;
    561) grey() { not_same_as before.bmp && [ "$(convert "$picture" -colorspace HSL -channel G -separate -format '%[fx:maxima]' info:)" = 0 ]; }
         cp before.bmp expected.bmp
         expect "Greyscale (561) leaves colour" grey ;;
    *) cp before.bmp expected.bmp
       expect "effect $id changes nothing" not_same_as before.bmp ;;
  esac
done

# Commands that ask first: their dialog opens; Cancel changes nothing. The
# colour dialogs stay greyed until they are built.
greyed() { bb_wd menu-state "$main" bar | grep " id=$1 state=grayed" >/dev/null; }
for way in ctrl+R:522 menu:522 alt+C:531 menu:531 menu:532 menu:563; do
  id=${way#*:}
  if [ "$id" != 522 ] && greyed "$id"; then
    bb_log "item $id is greyed: its dialog is not built yet"
    continue
  fi
  cp "$picture" before.bmp
  run "${way%%:*}" "$id"
  expect_dialog_cancelled "$id by ${way%%:*}"
  cp before.bmp expected.bmp
  expect "$id cancelled" same_as expected.bmp
done
bb_kill "$editor"   # the picture would be offered for saving
}

# ==== an animation (Sequence and Edit menus) ====
animation_part() {
"$ZELVO_WINE" "$doctool" make-ans "$(bb_winpath "$BB_WORK")" >/dev/null
mkdir original
"$ZELVO_WINE" "$doctool" dump-frames seq.bmx original/f >/dev/null   # frames A B C D E
bb_start ed/ZELVO.exe -r "$(bb_winpath "$BB_WORK/anim.ans")"
editor=$BB_PID
bb_wait_window Zelvo "~Zelvo ONE" 30000
main=$BB_HWND
film=$(bb_wd children "$main" | grep -m1 'class="FRAMES"' | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
[ -n "$film" ] || bb_fail "no film in the editor"

# The frames as the editor has them: letters of the original frames, "-" for
# an empty frame (the transparent colour, black).
frames=(A B C D E)
# The saved frames are those letters (pictures within 3 %: the editor keeps
# its palette's colours a little off the file's).
saved_frames=""
frames_are() {
  rm -rf saved && mkdir saved
  "$ZELVO_WINE" "$doctool" dump-frames seq.bmx saved/f >/dev/null || return 1
  local i=0 letter found=""
  for ((i = 0; i < $(find saved -name 'f*.ppm' | wc -l); ++i)); do
    letter="?"
    if [ "$(convert "saved/f$i.ppm" -format '%k #%[hex:p{0,0}]' info: | cut -c1-9)" = "1 #000000" ]; then
      letter=-
    else
      for l in A B C D E; do
        index=$(($(printf '%d' "'$l") - 65))
        if [ "$(compare -metric AE -fuzz 3% "saved/f$i.ppm" "original/f$index.ppm" null: 2>&1 || true)" = 0 ]; then
          letter=$l
          break
        fi
      done
    fi
    found+="$letter "
  done
  saved_frames=$found
  [ "$found" = "${frames[*]} " ]
}
last_difference() { echo "saved frames [$saved_frames], expected [${frames[*]}]"; }
expect "as opened" frames_are

# ID | what it does to the list with the first frame current | the ways to
# run it. The order keeps the frames of the film told apart by colour where
# Swap and Move click them.
sequence_cases=(
  "402|insert-empty|alt+VK_INSERT"
  "404|delete|alt+VK_SUBTRACT"
  "402|insert-empty|menu"
  "404|delete|alt+VK_DELETE"
  "403|insert-copy|ctrl+alt+VK_INSERT"
  "404|delete|menu"
  "403|insert-copy|menu"
  "404|delete|menu"
  "407|swap 2|alt+S menu"
  "408|move 3|alt+M menu"
  "400|add-empty|alt+VK_ADD menu"
  "401|add-copy|ctrl+alt+VK_END menu"
  "204|copy-paste|ctrl+VK_INSERT ctrl+C menu"
  "203|cut-paste|shift+VK_DELETE ctrl+X menu"
)
apply() {  # ACTION [N]: the frame list after the action on frame 0
  local first=${frames[0]} n=${2:-0} rest
  case $1 in
    add-empty) frames+=(-) ;;
    add-copy) frames+=("$first") ;;
    insert-empty) frames=(- "${frames[@]}") ;;
    insert-copy) frames=("$first" "${frames[@]}") ;;
    delete) frames=("${frames[@]:1}") ;;
    swap) frames[0]=${frames[$n]}; frames[$n]=$first ;;
    move) rest=("${frames[@]:1}"); frames=("${rest[@]:0:$n}" "$first" "${rest[@]:$n}") ;;
    copy-paste) frames+=("$first") ;;   # Paste into sequence adds the copy at the end
    cut-paste) frames[0]=-; frames+=("$first") ;;
  esac
}
for case in "${sequence_cases[@]}"; do
  IFS='|' read -r id action ways <<<"$case"
  # Cut and Copy are items of the selection tools.
  [ "$id" != 204 ] || bb_wd send "$main" WM_COMMAND 366 0 >/dev/null
  read -r action n <<<"$action"
  for way in $ways; do
    bb_wd send "$main" WM_COMMAND 980 0 >/dev/null   # the first frame current
    apply "$action" "$n"
    run "$way" "$id"
    # The keys go through the input queue, which the sent and posted
    # messages below would overtake.
    case $action in
      swap | move) sleep 2   # the film now waits for the frame to be clicked
                   click_film_frame "$n" ;;
      *-paste) sleep 2
               bb_wd post "$main" WM_COMMAND 210 0 >/dev/null ;;
    esac
    expect "$id by $way ($action)" frames_are
  done
done
# Paste into sequence from its menu item, after a copy by the menu.
bb_wd send "$main" WM_COMMAND 980 0 >/dev/null
run menu 204
sleep 1
run menu 210
apply copy-paste
expect "210 from the menu" frames_are

# Paste (Shift+Ins, Ctrl+V, the menu) floats the clipboard's picture over the
# canvas until a click places it: a copy of the first frame placed on an
# empty frame put before it fills that frame, and no other frame changes.
canvas=$(bb_wd children "$main" | grep -m1 'class="ANIEDIT"' | sed -E 's/^hwnd=(0x[0-9A-Fa-f]+).*/\1/')
bb_wd send "$main" WM_COMMAND 350 0 >/dev/null   # 1:1
bb_wd send "$main" WM_COMMAND 980 0 >/dev/null
for _ in 1 2 3 4 5 6 7 8 9; do   # a shorter film: the emptied frame and eight more go
  bb_wd send "$main" WM_COMMAND 404 0 >/dev/null
  apply delete
done
pasted() { frames_are; [ "${saved_frames%% *}" != - ] && [ "${saved_frames#* }" = "${frames[*]:1} " ]; }
for way in shift+VK_INSERT ctrl+V menu; do
  bb_wd send "$main" WM_COMMAND 980 0 >/dev/null
  bb_wd send "$main" WM_COMMAND 204 0 >/dev/null   # copy the first frame
  bb_wd send "$main" WM_COMMAND 402 0 >/dev/null   # an empty frame before it, now current
  apply insert-empty
  run "$way" 205
  sleep 2
  bb_wd send "$canvas" WM_MOUSEMOVE 0 "12,8" >/dev/null
  bb_wd send "$canvas" WM_LBUTTONDOWN MK_LBUTTON "12,8" >/dev/null
  bb_wd send "$canvas" WM_LBUTTONUP 0 "12,8" >/dev/null
  expect "205 by $way placed on the empty frame" pasted
  frames[0]=${saved_frames%% *}
done

# Change Format asks first; Cancel leaves the frames.
for way in ctrl+F menu; do
  run "$way" 405
  expect_dialog_cancelled "405 by $way"
  expect "405 cancelled" frames_are
done

bb_kill "$editor"
}

"${part}_part"
echo "frame command keys checks passed ($part)"
