#!/usr/bin/env bash
# The first run on GNOME Shell 43, whose portal asks the player before a program may take
# screenshots. As a Wayland client: the question answered with keys (Tab, Return: Allow), then
# keys alone through the login and the start screen onto a field that shows the desktop as it
# was, in a window GNOME knows as the game's. The question answered Return (Deny): the field is
# plain and a shot still lands. Through XWayland: OK clicked as the login comes up, while the
# question is on its way, then Allow: the field still shows the desktop. No run leaves a picture
# file in the player's home.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/gnome.sh"

install_game
tiny_target
install_desktop_entry
start_gnome
GAME_SCALE=1
gnome_shot "$WORK/desktop-shot.png"
touch "$WORK/before-runs"

no_pictures_left() {
    local left
    left=$(pictures_since "$WORK/before-runs")
    [ -z "$left" ] || fail "$1 left pictures in the player's home: $left"
}

start_game wayland
wait_for "GNOME asks no question on the first run" 60 question_shown
gnome_keys Tab Return
wait_for "the question is still shown after Allow" 30 question_gone
login_by_keys
field_shows_desktop allowed 0 99
app_id=$(focused_app_id) app=$(focused_app)
end_game
no_pictures_left "the first run"

forget_answer
start_game wayland
wait_for "GNOME asks no question on a first run" 60 question_shown
gnome_keys Return
wait_for "the question is still shown after Deny" 30 question_gone
login_by_keys
gnome_shot "$WORK/refused.png"
match=$(field_match "$WORK/refused.png" "$WORK/desktop-shot.png" 1)
echo "refused: the play field matches the desktop to $match %"
at_least 1 "$match" || fail "after Deny the play field shows the desktop ($match %)"
shoot_at 800 500
end_game
no_pictures_left "the refusal"

forget_answer
start_game xcb
click_ok
wait_for "GNOME asks no question after OK on a first run" 60 question_shown
gnome_keys Tab Return
wait_for "the question is still shown after Allow" 30 question_gone
# A question shown before the click swallows it: OK is then pressed with a key.
wait_for "neither the login nor the start screen has the focus after Allow" 120 focused_any \
    Login 'Deskwreck!'
focused Login && gnome_keys Return
wait_for "no start screen with the keyboard focus after OK and Allow" 120 focused 'Deskwreck!'
gnome_keys Return
wait_for "no play field after Start" 60 focused Form1
field_shows_desktop ok-clicked 0 99
end_game
no_pictures_left "OK clicked while the question showed"

[ "$app_id" = '"org.example.Deskwreck"' ] ||
    fail "the play field's app id is $app_id, not org.example.Deskwreck"
[ "$app" = '"org.example.Deskwreck.desktop"' ] ||
    fail "GNOME shows the play field as $app, not as the game's desktop entry"
