#!/usr/bin/env bash
# No window of the game in the desktop's picture, start after start: on headless sway, twenty
# starts as a Wayland client (on the scale-2 output, where the field is the desktop pixel for
# pixel) and twenty through XWayland, each with a login and start screen painted magenta, each
# field matching the desktop. The picture is asked for as soon as the compositor has taken the
# login away, with no time to spare: a login still shown would be in the field.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"
source "$(dirname "$0")/wayland.sh"

STARTS=${STARTS:-20}
start_session 2
echo 'QDialog { background-color: #ff00ff; }' >"$WORK/magenta.qss"
GAME_ARGS=(-stylesheet "$WORK/magenta.qss")

# starts PLATFORM OUTPUT CHECK: STARTS starts onto the field of that output, each checked.
starts() {
    local run
    use_output "$2"
    for run in $(seq $STARTS); do
        echo "$1 on $2, start $run" >"$WORK/start"
        wayland_enter_field "$1"
        "$3" "$1" >/dev/null # says which start failed through $WORK/start, kept
        end_game
    done
    echo "$1 on $2: $STARTS starts, none with a window of the game in the field"
}
exact() { expect_desktop "$1" 16; }
starts wayland HEADLESS-2 exact
starts xcb HEADLESS-1 expect_desktop_blurred
