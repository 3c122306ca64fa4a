#!/usr/bin/env bash
# One monitor for everything on X11: a 2048x768 screen split into two RandR monitors, the pointer
# on the second when the game starts. The login, the start screen and the settings dialog are
# centred on the second monitor, the play field covers it and shows its desktop, and the first
# monitor is left as it was.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

start_x 2048 768
xrandr --setmonitor LEFT 1024/271x768/203+0+0 screen >/dev/null
xrandr --setmonitor RIGHT 1024/271x768/203+1024+0 none >/dev/null
install_game
tiny_target
paint_desktop 2048x768
xdotool mousemove 1500 300

# expect_centred NAME: the window is centred on the right monitor, short of the frame Qt allows
# for when no window manager tells it the frame's size (10 pixels at each side, 40 above).
expect_centred() {
    local id dx dy
    id=$(wait_window "$1")
    window_geometry "$id"
    dx=$((1024 + (1024 - WIDTH) / 2 - X)) dy=$(((768 - HEIGHT) / 2 - Y))
    echo "$1: ${WIDTH}x$HEIGHT at $X,$Y ($dx, $dy short of the right monitor's centre)"
    [ "$dx" -ge -1 ] && [ "$dx" -le 11 ] && [ "$dy" -ge -1 ] && [ "$dy" -le 41 ] ||
        fail "$1 is not centred on the monitor the pointer was on"
}
# left_untouched PICTURE: the left monitor still shows its desktop, pixel for pixel.
left_untouched() {
    local count
    count=$(differing_pixels "$1" "$WORK/desktop.png" 1024x768+0+0)
    [ "$count" = 0 ] || fail "$2: $count pixels of the left monitor changed"
}

start_game
expect_centred Login
press_until Return "$(wait_window Login)" window_gone Login
expect_centred 'Deskwreck!'
# start_shown: the start screen is painted, in the middle of the right monitor.
start_shown() {
    screenshot "$WORK/start.png"
    [ "$(differing_pixels "$WORK/start.png" "$WORK/desktop.png" 300x300+1386+234)" -gt 50000 ]
}
wait_for 60 start_shown || fail "the start screen does not show on the right monitor"
left_untouched "$WORK/start.png" "with the start screen up"
xdotool key --window "$(wait_window 'Deskwreck!')" Return

field=$(wait_window Form1)
window_geometry "$field"
echo "play field: ${WIDTH}x$HEIGHT at $X,$Y"
[ "${WIDTH}x$HEIGHT+$X+$Y" = 1024x768+1024+0 ] || fail "the play field does not cover the right monitor"
xdotool mousemove 1100 50 # over the banner frame, out of the field's picture
field_is_desktop() {
    screenshot "$WORK/field.png"
    diff=$(differing_pixels "$WORK/field.png" "$WORK/desktop.png" 1022x600+1025+122)
    [ "$diff" -le 4 ] && [ "$(pixel "$WORK/field.png" 1600 0)" != "$(pixel "$WORK/desktop.png" 1600 0)" ]
}
wait_for 60 field_is_desktop ||
    fail "the play field does not show the right monitor's desktop ($diff pixels differ)"
echo "right monitor's play field pixels differing from its desktop: $diff"
left_untouched "$WORK/field.png" "with the play field up"

# The pointer wandering to the other monitor moves nothing there.
xdotool mousemove 500 400
xdotool mousemove 1500 400
press_until BackSpace "$field" window_shown 'Deskwreck! Settings'
expect_centred 'Deskwreck! Settings'
xdotool mousemove 500 400
# settings_shown: the dialog is painted, in the middle of the right monitor.
settings_shown() {
    screenshot "$WORK/settings.png"
    [ "$(differing_pixels "$WORK/settings.png" "$WORK/field.png" 300x300+1386+234)" -gt 30000 ]
}
wait_for 60 settings_shown || fail "the settings dialog does not show"
left_untouched "$WORK/settings.png" "with the settings dialog up"
