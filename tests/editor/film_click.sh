# Sourced by the editor scripts that end Swap or Move with a click on the film
# ($film, the "FRAMES" window; saved/fN.ppm, the frames as last saved).
# The film's thumbnail of a frame, found by the colour of its top-left pixel
# as last saved (DocTool made every frame's colours its own).
click_film_frame() {  # SAVED_FRAME_INDEX
  local colour at
  colour=$(convert "saved/f$1.ppm" -format '#%[hex:p{0,0}]' info: | cut -c1-7)
  bb_wd send "$film" WM_PAINT 0 0 >/dev/null
  bb_wd capture-window "$film" film.bmp client >/dev/null
  convert film.bmp txt:film.txt
  at=$(awk -F'[,:]' -v c="$colour" 'index($0, c) { print $1, $2; exit }' film.txt)
  [ -n "$at" ] || bb_fail "no thumbnail of frame $1 ($colour) on the film"
  read -r fx fy <<<"$at"
  bb_wd send "$film" WM_LBUTTONDOWN 1 "$((fx + 1)),$((fy + 1))" >/dev/null
  bb_wd send "$film" WM_LBUTTONUP 0 "$((fx + 1)),$((fy + 1))" >/dev/null
}
