#!/usr/bin/env bash
# Inside the GNOME chroot. As root (gnome-session.sh WORK WxH): the system bus GNOME Shell needs
# and the player, then the same script as the player under a session bus of its own. As the
# player (gnome-session.sh WORK WxH player): the desktop's settings, a headless GNOME Shell in
# unsafe mode (which opens its Eval and Screenshot calls) on one virtual monitor of WxH device
# pixels, and the display
# variables for the services the bus starts, as gnome-session would set them. When the desktop
# shows, the player's environment goes to WORK/session/env and this shell's pid to
# WORK/session/pid.
set -euo pipefail

WORK=$1
MONITOR=$2
PLAYER_UID=1000
WAYLAND_NAME=wayland-deskwreck

as_root() {
    id -u player >/dev/null 2>&1 || useradd --uid $PLAYER_UID --no-create-home --home-dir /nonexistent player
    mkdir -p /run/dbus "/run/user/$PLAYER_UID" "$WORK/home" /tmp/.X11-unix
    chmod 1777 /tmp/.X11-unix # XWayland's sockets
    export DESKWRECK_SESSION=$WORK # the test ends what carries it
    dbus-daemon --system --fork
    chown $PLAYER_UID:$PLAYER_UID "/run/user/$PLAYER_UID" "$WORK/home"
    chmod 700 "/run/user/$PLAYER_UID"
    exec setpriv --reuid=$PLAYER_UID --regid=$PLAYER_UID --clear-groups \
        env -i PATH=/usr/bin:/bin HOME="$WORK/home" USER=player LOGNAME=player \
        XDG_RUNTIME_DIR="/run/user/$PLAYER_UID" LIBGL_ALWAYS_SOFTWARE=1 \
        XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland \
        DESKWRECK_SESSION="$WORK" dbus-run-session -- bash "$0" "$WORK" "$MONITOR" player
}

shell_eval() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1"
}

# No animations, notifications, screen lock or idle blanking: the pictures show the desktop at rest.
desktop_settings() {
    gsettings set org.gnome.desktop.background picture-uri "file://$WORK/desktop.png"
    gsettings set org.gnome.desktop.background picture-options stretched
    gsettings set org.gnome.desktop.interface enable-animations false
    gsettings set org.gnome.desktop.session idle-delay 0
    gsettings set org.gnome.desktop.screensaver lock-enabled false
    gsettings set org.gnome.desktop.notifications show-banners false
}

as_player() {
    local deadline display xauthority shell
    desktop_settings
    gnome-shell --wayland --headless --virtual-monitor "$MONITOR" --unsafe-mode \
        --wayland-display=$WAYLAND_NAME >"$WORK/session/gnome-shell.log" 2>&1 &
    shell=$!
    deadline=$((SECONDS + 180))
    until shell_eval 'imports.ui.main.layoutManager._startingUp' 2>/dev/null | grep -qF "(true, 'false')"; do
        kill -0 $shell 2>/dev/null || { echo "GNOME Shell ended" >&2; exit 1; }
        [ $SECONDS -lt $deadline ] || { echo "GNOME Shell did not start" >&2; exit 1; }
        sleep 0.5
    done
    # GNOME 43 opens the overview at the end of its start.
    until shell_eval 'imports.ui.main.overview.visible' | grep -qF "(true, 'false')"; do
        shell_eval 'imports.ui.main.overview.hide()' >/dev/null
        [ $SECONDS -lt $deadline ] || { echo "the overview stays" >&2; exit 1; }
        sleep 0.5
    done
    display=$(shell_eval 'imports.gi.GLib.getenv("DISPLAY")' | sed -n "s/^(true, '\"\(.*\)\"')$/\1/p")
    xauthority=$(shell_eval 'imports.gi.GLib.getenv("XAUTHORITY")' | sed -n "s/^(true, '\"\(.*\)\"')$/\1/p")
    dbus-update-activation-environment WAYLAND_DISPLAY=$WAYLAND_NAME DISPLAY="$display" \
        XAUTHORITY="$xauthority" XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland
    {
        env | grep -E '^(HOME|USER|LOGNAME|PATH|XDG_RUNTIME_DIR|XDG_CURRENT_DESKTOP|XDG_SESSION_TYPE|DBUS_SESSION_BUS_ADDRESS)='
        echo "WAYLAND_DISPLAY=$WAYLAND_NAME"
        echo "DISPLAY=$display"
        echo "XAUTHORITY=$xauthority"
    } >"$WORK/session/env.new"
    mv "$WORK/session/env.new" "$WORK/session/env"
    echo $$ >"$WORK/session/pid"
    wait
}

if [ "${3:-}" = player ]; then as_player; else as_root; fi
