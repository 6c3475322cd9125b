#!/usr/bin/env bash
# Retakes the README's pictures of the wizard: the program runs on its demo set-up (a simulated
# update box on COM3 with decoder 12 on its track) in a virtual X server, is driven by mouse
# clicks like a user drives it, and each page is photographed as the X server shows it.
# Writes docs/images/*.png. Needs xvfb, xdotool and ImageMagick (installed when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bash scripts/deps.sh xvfb xdotool imagemagick

images=docs/images
mkdir -p "$images"
work=$(mktemp -d)
display_number=97
export DISPLAY=":$display_number"
screen_size=1024x768x24
# Pauses that let the program draw what a click has started, in seconds.
settle=1
update_time=8

Xvfb "$DISPLAY" -screen 0 "$screen_size" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
program_pid=''
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
sleep "$settle"

# A fresh user (no settings, the sample file seeded at start) in German, the first language.
XDG_DATA_HOME="$work" \
  TOBRIK_PORTS="3=sim:box?decoder=12&flash=$work/flash.bin" \
  ./build/bin/Tobrik &
program_pid=$!

# The visible window whose title matches, once it is there.
window() { xdotool search --sync --onlyvisible --name "$1" | head -n 1; }

# Clicks at x from the window's left edge and y from its bottom edge (the wizard's buttons sit
# in the bottom row; the left one is Exit, the right one Next or Start).
click_from_bottom() {
  local id=$1 x=$2 from_bottom=$3
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove --window "$id" "$x" $((HEIGHT - from_bottom)) click 1
}
right_button() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  click_from_bottom "$1" $((WIDTH - 50)) 21
}
shoot() { # window, file
  sleep "$settle"
  import -window "$1" "$images/$2"
  echo "took $images/$2"
}
# The update page with its question in front: the part of the screen the page covers.
shoot_screen_over() {
  sleep "$settle"
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$images/$2"
  echo "took $images/$2"
}

port_page=$(window 'Schnittstelle')
sleep "$settle" # the first scan finds the box
shoot "$port_page" port-page.png
right_button "$port_page"

file_page=$(window 'Software')
# One decoder chosen (the first row), so the update page offers its options.
xdotool mousemove --window "$file_page" 50 53 click 1
shoot "$file_page" file-page.png
right_button "$file_page"

update_page=$(window 'Decoder updaten')
shoot "$update_page" update-page.png
right_button "$update_page"
question=$(window 'Decoder gefunden')
shoot_screen_over "$update_page" update-question.png
xdotool key --window "$question" Return
sleep "$update_time"
shoot "$update_page" update-finished.png

click_from_bottom "$update_page" 48 21 # Exit: the close-down ends the program
wait "$program_pid"
program_pid=''
