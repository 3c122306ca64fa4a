#!/usr/bin/env bash
# On headless sway with two outputs at scale 1, where the portal's picture is the desktop's own
# pixels: as a Wayland client and through XWayland the play field is the desktop pixel for pixel
# outside the game's controls. Then a portal that refuses (Response 2) or reports the request
# cancelled (Response 1): the play field shows its background colour, and shots and keys still
# play on it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"
source "$(dirname "$0")/wayland.sh"

start_session 1

use_output HEADLESS-1
wayland_enter_field wayland
expect_desktop wayland 4
end_game
wayland_enter_field xcb
expect_desktop xcb 4
end_game

# expect_background PLATFORM: the field is one colour, the top row's, over all of it.
expect_background() {
    local field=$WORK/field-$OUTPUT-$1.png colours
    colours=$(convert "$field" -crop "$(field_region)" +repage -unique-colors -format '%w' info:)
    echo "$1, portal answering $(tail -n 1 "$WORK/refusing.log"): $colours colour(s) on the field"
    [ "$colours" -le 2 ] || fail "$1: the refused snapshot left more than the background colour"
    [ "$(pixel "$field" 640 400)" = "$(pixel "$field" 1000 0)" ] ||
        fail "$1: the field is not the background colour"
}
# expect_playing PLATFORM: a shot on the field leaves its mark, "1" takes the darts. (Looked for
# near the shot only: the tiny target jumps about the rest of the field.)
expect_playing() {
    local field=$WORK/field-$OUTPUT-$1.png
    keys 1
    output_pointer 640 400
    sleep 0.3
    output_shot "$OUTPUT" "$WORK/before-$1.png"
    pointer click 1
    DART=$(mark_box 1 640 400)
    wait_for 60 dart_shown "$1" || true
    expect_box "$1: dart on the bare field" \
        "$(changed_box "$WORK/before-$1.png" "$WORK/after-$1.png" 160x100+600+380)" "$DART"
    kill -0 "$GAME_PID" || fail "$1: the game ended after the refusal"
}

# dart_shown PLATFORM: the dart's mark shows where it belongs.
dart_shown() {
    output_shot "$OUTPUT" "$WORK/after-$1.png"
    boxes_agree "$(changed_box "$WORK/before-$1.png" "$WORK/after-$1.png" 160x100+600+380)" "$DART"
}

start_refusing_portal 2
wayland_enter_field wayland
expect_background wayland
expect_playing wayland
end_game

kill "${PIDS[-1]}"
start_refusing_portal 1
wayland_enter_field xcb
expect_background xcb
expect_playing xcb
end_game
