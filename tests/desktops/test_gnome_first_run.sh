#!/usr/bin/env bash
# The first run on GNOME Shell 43, whose portal asks the player before a program may take
# screenshots. As a Wayland client: the question answered with keys (Tab, Return: Allow), then
# keys alone through the login and the start screen onto a field that shows the desktop as it
# was, in a window GNOME knows as the game's. Through XWayland, with the answer withdrawn: OK
# clicked as the login comes up, the question then answered Allow: the field still shows the
# desktop. As a Wayland client, the question answered Return (Deny): the field is plain and a shot
# still lands. No run leaves a picture file in the player's home.
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
[ "$(focused_app_id)" = '"org.example.Deskwreck"' ] ||
    fail "the play field's app id is $(focused_app_id), not org.example.Deskwreck"
[ "$(focused_app)" = '"org.example.Deskwreck.desktop"' ] ||
    fail "GNOME shows the play field as $(focused_app), not as the game's desktop entry"
end_game
no_pictures_left "the first run"

in_session gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
    --object-path /org/freedesktop/impl/portal/PermissionStore \
    --method org.freedesktop.impl.portal.PermissionStore.DeletePermission screenshot screenshot '' \
    >/dev/null
start_game xcb
click_ok
wait_for "GNOME asks no question after OK on a first run" 60 question_shown
gnome_keys Tab Return
wait_for "the question is still shown after Allow" 30 question_gone
wait_for "no start screen with the keyboard focus after OK and Allow" 120 focused 'Deskwreck!'
gnome_keys Return
wait_for "no play field after Start" 60 focused Form1
field_shows_desktop ok-clicked 0 99
end_game
no_pictures_left "OK clicked while the question showed"

in_session gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
    --object-path /org/freedesktop/impl/portal/PermissionStore \
    --method org.freedesktop.impl.portal.PermissionStore.DeletePermission screenshot screenshot '' \
    >/dev/null
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
