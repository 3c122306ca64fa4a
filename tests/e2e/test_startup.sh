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
sleep 2.5 # the null sink holds back the first second of a new recording
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
xdotool key --window "$login" Return
start=$(wait_window 'Deskwreck!')
sleep 1.5
screenshot "$WORK/start.png"
xdotool key --window "$start" Return
sleep 1.5
record_sink_stop
screenshot "$WORK/field.png"

music=$(peak_amplitude "$WORK/music.raw" 2.5 1.5)
echo "start-screen music peak: $music"
awk -v p="$music" 'BEGIN { exit !(p > 0.05) }' || fail "no music reached the sound server"
# Recording continues for a while after Start: the music must have stopped by then.
record_sink_start "$WORK/after.raw"
sleep 3
record_sink_stop
after=$(peak_amplitude "$WORK/after.raw" 1.5)
echo "after Start peak: $after"
awk -v p="$after" 'BEGIN { exit !(p < 0.01) }' || fail "the music went on after Start"

# Between the banner frame and the gun strip the play field is the desktop, pixel for pixel,
# except for the one-pixel target.
diff=$(differing_pixels "$WORK/field.png" "$WORK/desktop.png" 1022x600+1+122)
echo "play field pixels differing from the desktop: $diff"
[ "$diff" -le 4 ] || fail "the play field does not show the desktop ($diff pixels differ)"
# Its top row and left column keep the background colour.
background=$(pixel "$WORK/field.png" 600 0)
[ "$background" = "$(pixel "$WORK/field.png" 0 500)" ] || fail "top row and left column differ"
[ "$background" != "$(pixel "$WORK/desktop.png" 600 0)" ] || fail "top row shows the desktop"
# The start screen really was on the screen, and is not in the snapshot.
start_diff=$(differing_pixels "$WORK/start.png" "$WORK/desktop.png" 396x433+314+167)
[ "$start_diff" -gt 10000 ] || fail "the start screen was not visible"

xdotool click 3 || true
wait_exit 3
echo "right click ended the game"

start_game
login=$(wait_window Login)
xdotool key --window "$login" Escape || true # the window is gone before the key is up
wait_exit 3
echo "Cancel ended the game"

start_game
login=$(wait_window Login)
xdotool key --window "$login" Return
start=$(wait_window 'Deskwreck!')
xdotool key --window "$start" Tab space || true
wait_exit 3
echo "Exit ended the game"

# With no sound server at all the game still runs, silently.
unset PULSE_SERVER
start_game
login=$(wait_window Login)
xdotool key --window "$login" Return
start=$(wait_window 'Deskwreck!')
xdotool key --window "$start" Return
sleep 1
kill -0 "$GAME_PID" || fail "the game died without a sound server"
xdotool click 3 || true
wait_exit 3
echo "ran silently without a sound server"
