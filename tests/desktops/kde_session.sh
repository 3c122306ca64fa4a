#!/usr/bin/env bash
# A headless KWin Wayland session with Plasma's shell, for the runs under KWin. Runs inside the
# KDE chroot, with the test's folder bound at the same path as outside, in three roles:
#   kde_session.sh start WORK WIDTH HEIGHT SCALE   (as root) the session, as the player 65534,
#       in a process, network and mount namespace of its own: killing its first process ends
#       everything it started, and XWayland's display is free whatever the machine's X servers use
#   kde_session.sh session                         (KWin's session program) the bus's services'
#       environment, the window watch, plasmashell with the test's wallpaper; then it waits
# Everything it has set up is announced in WORK/session.env, one NAME=VALUE a line.
set -euo pipefail

PLAYER_UID=65534

start() {
    local work=$1 width=$2 height=$3 scale=$4
    mkdir -p -m 1777 /tmp/.X11-unix
    install -d -m 700 -o $PLAYER_UID -g $PLAYER_UID /run/user/$PLAYER_UID
    exec unshare --pid --fork --mount-proc --propagation unchanged --net \
        setpriv --reuid=$PLAYER_UID --regid=$PLAYER_UID --clear-groups \
        env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$work/home" USER=nobody LOGNAME=nobody \
        XDG_RUNTIME_DIR=/run/user/$PLAYER_UID XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE \
        KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 QT_QUICK_BACKEND=software \
        LIBGL_ALWAYS_SOFTWARE=1 DESKWRECK_WORK="$work" \
        dbus-run-session -- env QT_LOGGING_RULES='kwin_scripting.debug=true;js.debug=true' \
        kwin_wayland --virtual --width "$width" --height "$height" --scale "$scale" --xwayland \
        --socket kde-wayland --exit-with-session="$work/kde_session.sh session" \
        >"$work/kwin.log" 2>&1
}

# call DESTINATION PATH METHOD ARG...: a method call on the session bus, its answer printed.
call() {
    local destination=$1 path=$2 method=$3
    shift 3
    dbus-send --session --print-reply=literal --dest="$destination" "$path" "$method" "$@"
}

# until_owned NAME: waits for NAME on the session bus (plasmashell takes a while in software).
until_owned() {
    for _ in $(seq 600); do
        call org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:"$1" | grep -q true &&
            return 0
        sleep 0.1
    done
    echo "kde_session: $1 never came on the bus" >&2
    return 1
}

# The wallpaper, stretched over every screen; an exact fit for the screen in device pixels.
# plasmashell makes its desktops a while after it takes its name: tried until one takes it.
set_wallpaper() {
    for _ in $(seq 600); do
        call org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.evaluateScript string:"
            desktops().forEach(function (d) {
                d.wallpaperPlugin = 'org.kde.image';
                d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];
                d.writeConfig('Image', 'file://$DESKWRECK_WORK/wallpaper.png');
                d.writeConfig('FillMode', 0);
                print('wallpaper set');
            });" | grep -q 'wallpaper set' && return 0
        sleep 0.1
    done
    echo "kde_session: plasmashell made no desktop" >&2
    return 1
}

session() {
    local work=$DESKWRECK_WORK
    exec >"$work/session.log" 2>&1
    unset QT_LOGGING_RULES
    dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP \
        KDE_FULL_SESSION KDE_SESSION_VERSION XDG_SESSION_TYPE QT_QUICK_BACKEND LIBGL_ALWAYS_SOFTWARE
    call org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript \
        string:"$work/kde_windows.js" string:deskwreck-windows
    call org.kde.KWin /Scripting org.kde.kwin.Scripting.start
    plasmashell --no-respawn >"$work/plasmashell.log" 2>&1 &
    until_owned org.kde.plasmashell
    set_wallpaper
    # A Plasma session has its portal running long before a game starts: started now, not on
    # the game's first call.
    for name in org.freedesktop.portal.Desktop org.freedesktop.impl.portal.desktop.kde \
        org.freedesktop.impl.portal.PermissionStore; do
        call "$name" / org.freedesktop.DBus.Peer.Ping >/dev/null
    done
    for name in WAYLAND_DISPLAY DISPLAY XAUTHORITY DBUS_SESSION_BUS_ADDRESS; do
        echo "$name=${!name}"
    done >"$work/session.env.new"
    env | grep -E '^(PATH|LANG|HOME|USER|LOGNAME|XDG_[A-Z_]+|KDE_[A-Z_]+|QT_QUICK_BACKEND|LIBGL_ALWAYS_SOFTWARE)=' \
        >>"$work/session.env.new"
    mv "$work/session.env.new" "$work/session.env"
    exec sleep infinity
}

case $1 in
start) shift; start "$@" ;;
session) session ;;
esac
