#!/usr/bin/env bash
# From the login dialog through the start screen into the play field on a real X server: the
# play field shows the frozen desktop without either dialog in it, the start music reaches the
# sound server and stops at Start, and Cancel and Exit end the game.
source "$(dirname "$0")/lib.sh"

start_x 1024 768
start_pulse
install_game
tiny_target
paint_desktop 1024x768

record_sink_start "$WORK/music.raw"
before_game=$(recording_position)
screenshot "$WORK/before-game.png"
start_game
login=$(wait_window Login)
# An ordinary window, which every window manager gives the focus, kept out of the task bar and
# the pager, and named and drawn as the game's desktop entry.
props=$(xprop -id "$login" _NET_WM_WINDOW_TYPE _NET_WM_STATE WM_CLASS _NET_WM_ICON)
grep -qa '_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NORMAL$' <<<"$props" ||
    fail "the login is no normal window: $props"
grep -qa '_NET_WM_STATE_SKIP_TASKBAR, _NET_WM_STATE_SKIP_PAGER' <<<"$props" ||
    fail "the login is not kept out of the task bar and pager"
grep -qa 'WM_CLASS(STRING) = "deskwreck", "deskwreck"' <<<"$props" || fail "wrong class: $props"
grep -qa 'Icon (128 x 128)' <<<"$props" || fail "the login has no icon of the game's"
press_until Return "$login" window_gone Login
start=$(wait_window 'Deskwreck!')
# start_screen_shown: the start screen is painted where the desktop was.
start_screen_shown() {
    screenshot "$WORK/start.png"
    [ "$(differing_pixels "$WORK/start.png" "$WORK/desktop.png" 396x433+314+167)" -gt 10000 ]
}
wait_for 60 start_screen_shown || fail "the start screen was not visible"
wait_for 60 sound_since "$before_game" || fail "no music reached the sound server"
music=$(peak_amplitude "$WORK/music.raw" "$before_game")
echo "start-screen music peak: $music"
press_until Return "$start" field_shown
record_sink_stop

# Recording goes on for a while after Start: the music has stopped by then.
record_sink_start "$WORK/after.raw"
wait_for 60 recorded_beyond 3 || fail "the recording stopped"
record_sink_stop
after=$(peak_amplitude "$WORK/after.raw" 1.5)
echo "after Start peak: $after"
awk -v p="$after" 'BEGIN { exit !(p < 0.01) }' || fail "the music went on after Start"

# Between the banner frame and the gun strip the play field is the desktop, pixel for pixel,
# except for the one-pixel target.
field_is_desktop() {
    screenshot "$WORK/field.png"
    diff=$(differing_pixels "$WORK/field.png" "$WORK/desktop.png" 1022x600+1+122)
    [ "$diff" -le 4 ]
}
wait_for 60 field_is_desktop || fail "the play field does not show the desktop ($diff pixels differ)"
echo "play field pixels differing from the desktop: $diff"
# Its top row and left column keep the background colour.
background=$(pixel "$WORK/field.png" 600 0)
[ "$background" = "$(pixel "$WORK/field.png" 0 500)" ] || fail "top row and left column differ"
[ "$background" != "$(pixel "$WORK/desktop.png" 600 0)" ] || fail "top row shows the desktop"
# The start screen was on the screen before Start (above), and is not in the snapshot.

xdotool click 3 || true
wait_exit
echo "right click ended the game"

start_game
press_until Escape "$(wait_window Login)" game_ended
wait_exit
echo "Cancel ended the game"

start_game
press_until Return "$(wait_window Login)" window_gone Login
start=$(wait_window 'Deskwreck!')
xdotool key --window "$start" Tab space || true
wait_exit
echo "Exit ended the game"

# With no sound server at all the game still runs, silently.
unset PULSE_SERVER
screenshot "$WORK/before-game.png"
start_game
press_until Return "$(wait_window Login)" window_gone Login
press_until Return "$(wait_window 'Deskwreck!')" field_shown
kill -0 "$GAME_PID" || fail "the game died without a sound server"
xdotool click 3 || true
wait_exit
echo "ran silently without a sound server"
