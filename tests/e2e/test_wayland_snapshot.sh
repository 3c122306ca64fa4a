#!/usr/bin/env bash
# The desktop under the play field in a Wayland session, through the desktop portal, on headless
# sway with a 1280x800 output at scale 1 and one at scale 2 to its right: as a Wayland client the
# scale-2 output's play field is its desktop pixel for pixel outside the game's own controls, and
# shots from the virtual pointer and keys from the virtual keyboard play on it; on the scale-1
# output, which the portal's picture holds upscaled, it is the desktop within the blur of that
# upscaling; through XWayland, where sway upscales the X window, the same on both outputs; and the
# portal's picture file is gone afterwards.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"
source "$(dirname "$0")/wayland.sh"

start_session 2

# scaled_mark_box WEAPON X Y: mark_box in the output's device pixels.
scaled_mark_box() {
    mark_box "$@" | awk -v s="$OUTPUT_SCALE" '{ printf "%d %d %d %d\n", $1 * s, $2 * s, ($3 + 1) * s - 1, ($4 + 1) * s - 1 }'
}
# wayland_shot NAME X Y WEAPON: a left click at that logical pixel, bracketed by pictures of the
# output; the one after is taken once the weapon's mark shows beside the banner frame (or when
# waiting for it is given up, for the check to say what it sees).
wayland_shot() {
    output_pointer "$2" "$3"
    sleep 0.3
    output_shot "$OUTPUT" "$WORK/before-$1.png"
    pointer click 1
    MARK=$(scaled_mark_box "$4" "$2" "$3")
    wait_for 60 mark_shown "$1" || true
}
mark_shown() {
    output_shot "$OUTPUT" "$WORK/after-$1.png"
    boxes_agree "$(changed_box "$WORK/before-$1.png" "$WORK/after-$1.png" "$(beside_frame)")" "$MARK"
}
# beside_frame: right of the banner frame, left of the pointer's parking place, in device pixels.
beside_frame() { awk -v s="$OUTPUT_SCALE" -v w="$OUTPUT_LOGICAL_W" 'BEGIN {
    printf "%dx%d+%d+%d", (w - 474) * s, 120 * s, 474 * s, s }'; }

use_output HEADLESS-2
wayland_enter_field wayland
expect_desktop wayland 16
# The shotgun's hole beside the banner frame; "1" takes the darts, whose mark hangs from the
# shot point.
wayland_shot shotgun 560 60 3
expect_box "shotgun hole at scale 2" "$(changed_box "$WORK/before-shotgun.png" \
    "$WORK/after-shotgun.png" "$(beside_frame)")" "$(scaled_mark_box 3 560 60)"
keys 1
wayland_shot dart 520 40 1
expect_box "dart at scale 2" "$(changed_box "$WORK/before-dart.png" "$WORK/after-dart.png" \
    "$(beside_frame)")" "$(scaled_mark_box 1 520 40)"
end_game

use_output HEADLESS-1
wayland_enter_field wayland
expect_desktop_blurred wayland
end_game

wayland_enter_field xcb
expect_desktop_blurred xcb
end_game

# XWayland's X screen has this output at its logical size, 640x400, which sway 1.7 upscales.
use_output HEADLESS-2
wayland_enter_field xcb
expect_desktop_blurred xcb
end_game
