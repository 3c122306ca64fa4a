#!/usr/bin/env bash
# The first run in a Wayland session, against a fake portal that, as GNOME does, puts its question
# only for a request naming the focused window, and a fake systemd user manager: the game first
# moves into its own scope, app-org.example.Deskwreck-<pid>.scope, and waits for that before
# the portal hears from it; it asks while the login dialog has the focus, naming it; OK pressed
# while the question still shows hides the login and waits for the answer instead of closing the
# question; then the picture comes with no window shown and lies under the play field, and no
# picture file the portal handed out is left. The game runs as an X11 client, as through
# XWayland, so its window has an X id to name.
[ -n "${DESKWRECK_PRIVATE_BUS:-}" ] || exec dbus-run-session -- env DESKWRECK_PRIVATE_BUS=1 bash "$0"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

start_x 1024 768
install_game
tiny_target
convert -size 1024x768 gradient:'#20f040-#f0a020' -depth 8 "PNG24:$WORK/portal.png"
"$BUILD_DIR/tests/fake_portal" only-with-parent "$WORK/portal.png" --question-after-ms=2500 \
    --systemd-job-ms=500 >"$WORK/portal.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 50); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.GetNameOwner string:org.freedesktop.portal.Desktop >/dev/null 2>&1 &&
        break
    sleep 0.1
done

XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=xcb start_game
login=$(wait_window Login)
xdotool windowfocus "$login"
for _ in $(seq 50); do grep -q '^Screenshot x11:' "$WORK/portal.log" && break; sleep 0.1; done
parent=$(printf 'x11:%x' "$login")
grep -qx "Screenshot $parent" "$WORK/portal.log" ||
    fail "no request named the login dialog $parent: $(cat "$WORK/portal.log")"
calls=$(grep -v '^File ' "$WORK/portal.log" | tr '\n' ';')
scope="app-org.example.Deskwreck-$GAME_PID.scope"
expected="StartTransientUnit $scope fail Description=Deskwreck! PIDs=[$GAME_PID] Slice=app.slice aux=0;"
expected+="JobRemoved $scope;Register org.example.Deskwreck;Lookup;Screenshot $parent;"
[ "$calls" = "$expected" ] || fail "calls before OK: $calls, not $expected"

# OK while the question still shows.
xdotool key --window "$login" Return
start=$(wait_window 'Deskwreck!')
calls=$(grep -v '^File ' "$WORK/portal.log" | tr '\n' ';')
[ "$calls" = "${expected}Screenshot ;" ] ||
    fail "the question was not waited for, or the picture asked with a window shown: $calls"
sleep 0.5
xdotool key --window "$start" Return
sleep 1.5
screenshot "$WORK/field.png"
# Below the banner, above the strip, away from the one-pixel target.
changed=$(differing_pixels "$WORK/field.png" "$WORK/portal.png" 1022x600+1+122)
[ "$changed" -le 1 ] || fail "$changed pixels of the play field are not the portal's picture"
files=$(sed -n 's/^File //p' "$WORK/portal.log")
[ "$(echo "$files" | wc -l)" -eq 2 ] || fail "the portal handed out other than two files: $files"
for file in $files; do [ ! -e "$file" ] || fail "$file was left"; done
echo "portal calls: $calls"
