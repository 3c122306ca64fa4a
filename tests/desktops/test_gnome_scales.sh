#!/usr/bin/env bash
# The play field on GNOME Shell 43 at scales 1 and 2, as a Wayland client and through XWayland,
# with screenshots allowed: keys alone from the login to a field that shows the desktop as it was
# before the game, pixel for pixel outside the game's own controls, and a gun strip along the
# bottom of the screen. Mutter lays monitors out in device pixels (reporting a scaled monitor at
# its device size) and leaves XWayland's clients unscaled, unlike sway.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/gnome.sh"

install_game
tiny_target
start_gnome
grant_screenshots yes

# run PLATFORM GAME_SCALE: one game from the login to the field and its end.
run() {
    GAME_SCALE=$2
    gnome_shot "$WORK/desktop-shot.png"
    start_game "$1"
    login_by_keys
    field_shows_desktop "$1-at-scale-$SCALE" 0 99
    gun_follows_pointer
    end_game
}

run wayland 1
gnome_scale 2
run wayland 2
run xcb 1
gnome_scale 1
run xcb 1
