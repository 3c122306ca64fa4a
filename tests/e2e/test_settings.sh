#!/usr/bin/env bash
# The settings dialog on a real X server: Backspace opens it, a bitmap picked with the mouse in
# the file list becomes the target's picture, Enter in the caption box sets the caption, both
# through the settings files' exact bytes, and Close lets the game go on.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

start_x 1024 768
install_game
# The dialog's lists open on the game's current folder.
mkdir -p "$WORK/pictures"
cd "$WORK/pictures"
convert -size 120x90 xc:'#ff00ff' "BMP3:pink.bmp"

enter_field
press_until BackSpace "$(wait_window Form1)" window_shown 'Deskwreck! Settings'
dialog=$(wait_window 'Deskwreck! Settings')
window_geometry "$dialog"
# A settings file, whatever the letter case of its name on disk.
setting() { find "$GAME_DIR" -maxdepth 1 -iname "$1" | head -n 1; }
# setting_holds NAME BYTES: the settings file holds exactly those bytes.
setting_holds() { local file; file=$(setting "$1"); [ -n "$file" ] && printf "$2" | cmp -s - "$file"; }
click_in_dialog() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }
# pink_pixels IMAGE: how many pixels are the bitmap's pink.
pink_pixels() {
    convert "$1" -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' \
        -format '%[fx:int(mean*w*h)]' info:
}
# Centred, short of the frame Qt allows for when no window manager tells it the frame's size
# (10 pixels at each side, 40 above).
echo "dialog: ${WIDTH}x$HEIGHT at $X,$Y"
[ "${WIDTH}x$HEIGHT" = 366x447 ] || fail "the dialog is ${WIDTH}x$HEIGHT, not 366x447"
[ $((329 - X)) -ge 0 ] && [ $((329 - X)) -le 10 ] && [ $((160 - Y)) -ge 0 ] &&
    [ $((160 - Y)) -le 40 ] || fail "the dialog is not at the centre of the screen"

click_in_dialog 240 112 # the first file of the list
click_in_dialog 60 236  # "Set Image"
wait_for 60 setting_holds picnam.dat "\"$WORK/pictures/pink.bmp\"\r\n" ||
    fail "picnam.dat does not hold the picked bitmap's path"
setting_holds picdim.dat '1800\r\n1350\r\n' || fail "picdim.dat does not hold the bitmap's size in twips"
xdotool search --onlyvisible --name '^Deskwreck! Settings$' >/dev/null ||
    fail "Set Image closed the dialog"

# On a busy machine a key of the typing can go astray, as one pressed alone can (press_until):
# the caption is typed again until the file holds it, byte for byte.
caption_typed() {
    click_in_dialog 236 385 # the caption box
    xdotool key ctrl+a
    xdotool type --delay 30 'Hello e2e'
    xdotool key Return
    wait_for 30 window_shown 'Caption Set' || return 1
    key_when_focused Return "$WINDOW_ID" window_gone 'Caption Set' || fail "Return left Caption Set open"
    setting_holds caption.dat '"Hello e2e"\r\n'
}
for attempt in 1 2 3 4 5; do caption_typed && break; done
setting_holds caption.dat '"Hello e2e"\r\n' || fail "caption.dat is not the caption"
echo "the caption typed in $attempt attempt(s)"

click_until $((X + 56)) $((Y + 428)) window_gone 'Deskwreck! Settings' || # "Close"
    { screenshot "$WORK/still-open.png"; fail "the dialog is still open after Close (still-open.png)"; }
# After Close the target jumps and shows whole: 120 pixels wide, its caption across the bottom.
target_shown() {
    screenshot "$WORK/after.png"
    pink=$(pink_pixels "$WORK/after.png")
    [ "$pink" -gt 7000 ] && [ "$pink" -le 10800 ]
}
wait_for 60 target_shown || fail "the target does not show the picked bitmap ($pink pink pixels)"
echo "pink target pixels on the screen: $pink"
kill -0 "$GAME_PID" || fail "the game ended"
xdotool mousemove 900 20 click 3 || true
wait_exit
echo "the settings reached the target and the game went on"
