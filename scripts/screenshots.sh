#!/usr/bin/env bash
# Retakes the pictures of the README and the user guide: the program runs on its demo set-up (a
# simulated update box on COM3 with decoder 12 on its track) in a virtual X server, is driven by
# mouse clicks and keys like a user drives it, and each window is photographed as the X server
# shows it. Writes docs/images/*.png. Needs xvfb, xdotool and ImageMagick (installed when
# missing).
#
#   bash scripts/screenshots.sh [BUILD_FOLDER]
#
# Without BUILD_FOLDER it builds build/ first; with one it takes that folder's programs as they
# are. SCREENSHOT_DISPLAY picks the X display number (default 97), so that two runs on one
# machine keep apart.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  bash scripts/build.sh
  build=build
else
  build=$1
fi
bash scripts/deps.sh xvfb xdotool imagemagick

images=docs/images
mkdir -p "$images"
work=$(mktemp -d)
export DISPLAY=":${SCREENSHOT_DISPLAY:-97}"
# Wide enough to put the log window and the help page beside the update page.
screen_size=1280x800x24
side_window_x=620
# Pauses that let the program draw what a click has started, in seconds.
settle=1
# Between keys in an open menu: a key pressed too soon after the last can be lost.
key_pause=0.2
update_time=8
# The block at which the second session's decoder vanishes from its track: the demo's image of
# decoder 12 has 32 blocks, so the transfer fails halfway.
unplug_block=16

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

# Starts the program for a fresh user of the demo (no settings, the demo's file in the user's
# software folder) with the given simulated box on COM3.
start_program() { # user folder, box address
  mkdir -p "$1/VARNO/PLV/DECSOFT"
  cp "$build/demo/VARNO/PLV/DECSOFT/DECODERSW.DAT" "$1/VARNO/PLV/DECSOFT/"
  # The build's own shared files, not those of an installed copy elsewhere on the system.
  XDG_DATA_HOME="$1" XDG_DATA_DIRS="$(realpath "$build")/share" TOBRIK_PORTS="3=$2" \
    "$build/bin/Tobrik" &
  program_pid=$!
}

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
exit_button() { click_from_bottom "$1" 48 21; }

# Opens a menu of the window's menu bar by a click on its title at x, then takes its item at
# position n (1 is the first) with the keyboard.
menu_item() { # window, x of the menu's title, n
  xdotool mousemove --window "$1" "$2" 8 click 1
  sleep "$settle"
  local n
  for ((n = 0; n < $3; n++)); do
    xdotool key Down
    sleep "$key_pause"
  done
  xdotool key Return
}
# The "?" menu of the file and update pages, and the port page's language menu.
help_menu_x=47
language_menu_x=70
help_item=1
log_item=2
history_item=3
english_item=2
# The update page's note field sits above the progress bar and the bottom row of buttons.
note_field_x=200
note_field_from_bottom=78

# Without a window manager every window opens at the top left; a side window goes to the right.
move_aside() { xdotool windowmove "$1" "$side_window_x" 0; sleep "$settle"; }

shoot() { # window, file
  sleep "$settle"
  import -window "$1" "$images/$2"
  echo "took $images/$2"
}
# Answers the question in front with its default button (Yes). xdotool may report the dialog
# gone while it still works with it, when the key has closed it at once; what counts is that the
# dialog has gone.
answer_yes() {
  xdotool key --window "$(window "$1")" Return 2>/dev/null || true
  sleep "$settle"
  if xdotool search --onlyvisible --name "$1" >/dev/null; then
    echo "the question \"$1\" is still open" >&2
    return 1
  fi
}
# A page with a question in front: the part of the screen the page covers.
shoot_screen_over() {
  sleep "$settle"
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$images/$2"
  echo "took $images/$2"
}
# Waits for the close-down that the Exit button has started.
end_program() {
  exit_button "$1"
  wait "$program_pid"
  program_pid=''
}

# First session, in German (the first language): the three pages, an update that finishes with
# the log window open beside it, then the help page.
start_program "$work/first" "sim:box?decoder=12&flash=$work/flash.bin"
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
menu_item "$update_page" "$help_menu_x" "$log_item"
log_window=$(window '^Log$')
move_aside "$log_window"
right_button "$update_page"
window 'Decoder gefunden' >/dev/null
shoot_screen_over "$update_page" update-question.png
answer_yes 'Decoder gefunden'
sleep "$update_time"
shoot "$update_page" update-finished.png
shoot "$log_window" log-window.png

menu_item "$update_page" "$help_menu_x" "$help_item"
help_page=$(window '^Hilfe$')
move_aside "$help_page"
shoot "$help_page" help-page.png
end_program "$update_page"

# Second session, for the same user: English chosen in the port page's language menu, a note
# typed for the locomotive, and a decoder that vanishes from the track during the transfer, so
# the update fails. The History window then lists both sessions' updates.
start_program "$work/first" "sim:box?decoder=12&unplug-at=$unplug_block"
port_page=$(window 'Schnittstelle')
sleep "$settle"
menu_item "$port_page" "$language_menu_x" "$english_item"
port_page=$(window 'Comm port selection')
right_button "$port_page"

file_page=$(window 'Software selection')
xdotool mousemove --window "$file_page" 50 53 click 1
sleep "$settle"
right_button "$file_page"

update_page=$(window 'Update decoder')
click_from_bottom "$update_page" "$note_field_x" "$note_field_from_bottom"
xdotool type 'BR 218 (red)'
right_button "$update_page"
window 'Decoder found' >/dev/null
sleep "$settle"
answer_yes 'Decoder found'
sleep "$update_time"
shoot "$update_page" update-failed.png
menu_item "$update_page" "$help_menu_x" "$history_item"
history_window=$(window 'Update history')
move_aside "$history_window"
shoot "$history_window" history-window.png
end_program "$update_page"
