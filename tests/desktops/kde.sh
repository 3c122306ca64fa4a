# Helpers for the runs under a real KWin 5.27 Wayland session with Plasma's shell, in a Debian 12
# chroot of their own (its portal back end must not reach the other tests). Sourced after
# tests/e2e/lib.sh, as root. The test's folder is bound into the chroot at the same path, so
# every path here means the same file inside and out; the session runs as the player 65534,
# whose home is $WORK/home.

KDE_PACKAGES=(kwin-wayland plasma-workspace plasma-desktop plasma-framework breeze kscreen
              xdg-desktop-portal xdg-desktop-portal-kde xwayland dbus-user-session dbus-x11
              dbus-bin kde-spectacle qml-module-org-kde-kirigami2 qml-module-qtquick-layouts
              qml-module-qtquick-controls2 qml-module-qtquick2 qml-module-qtquick-window2
              qml-module-qtgraphicaleffects qtwayland5 xdg-user-dirs libgl1-mesa-dri qt6-wayland
              qt6-qpa-plugins libqt6widgets6 libqt6dbus6 libqt6gui6 libopenal1 libsndfile1
              libxcb1 libcap2-bin fonts-dejavu-core)
KDE_UID=65534
KDE_HOME=$WORK/home
KDE_DEADLINE=${KDE_DEADLINE:-120} # seconds for anything the session must do; generous when loaded
SHOTS=$WORK/shots

# kde_chroot: the chroot, made when missing. KWin's file capability (cap_sys_resource) is removed:
# a container may refuse to start a program that carries one.
kde_chroot() {
    KDE_ROOT=$("$SOURCE_DIR/tools/debian-chroot.sh" make kde "${KDE_PACKAGES[@]}")
    if chroot "$KDE_ROOT" getcap /usr/bin/kwin_wayland | grep -q cap_; then
        chroot "$KDE_ROOT" setcap -r /usr/bin/kwin_wayland
    fi
}

# build_fake_input: the key and pointer client, from the protocol Plasma's packages describe.
build_fake_input() {
    local xml=/usr/share/plasma-wayland-protocols/fake-input.xml
    [ -f "$xml" ] || fail "no $xml: run tools/install-deps.sh test"
    wayland-scanner client-header "$xml" "$WORK/fake-input-client-protocol.h"
    wayland-scanner private-code "$xml" "$WORK/fake-input-protocol.c"
    cc -O1 -Wall -Wextra -Werror -I"$WORK" -o "$WORK/kde_fake_input" \
        "$SOURCE_DIR/tests/desktops/kde_fake_input.c" "$WORK/fake-input-protocol.c" \
        -lwayland-client
}

# kde_home: the player's home with the game installed as a player installs it, ~/Pictures
# (where Plasma's portal saves its pictures), a tiny target, and the desktop entry by which
# KWin trusts the input client.
kde_home() {
    mkdir -p "$KDE_HOME/Pictures" "$KDE_HOME/.local/share/applications" "$SHOTS"
    cmake --install "$BUILD_DIR" --prefix "$KDE_HOME/.local" >"$WORK/install.log"
    GAME_DIR=$KDE_HOME/.local/lib/deskwreck
    tiny_target
    cat >"$KDE_HOME/.local/share/applications/deskwreck-tests-input.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Deskwreck! test input
Exec=$WORK/kde_fake_input
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input
DESKTOP
    cp "$SOURCE_DIR/tests/desktops/kde_session.sh" "$SOURCE_DIR/tests/desktops/kde_windows.js" \
        "$WORK/"
    # The session writes its logs here.
    chown $KDE_UID:$KDE_UID "$WORK"
    chown -R $KDE_UID:$KDE_UID "$KDE_HOME" "$SHOTS"
}

# desktop_picture WxH FILE: a wallpaper where every pixel differs from its neighbours, so that a
# picture of it moved or rescaled by a pixel shows.
desktop_picture() {
    convert -size "$1" gradient:'#f04020-#20a0f0' \( -size "$1" pattern:checkerboard -negate \) \
        -compose difference -composite -depth 8 "PNG24:$2"
}

# start_kde SCALE: KWin with one output of DEVICE_W x DEVICE_H pixels at that scale, XWayland,
# plasmashell with the test's wallpaper, and the input client. Sets LOGICAL_W/H, KDE_INIT (the
# session's first process) and KDE_ENV (its environment, for kde_run).
start_kde() {
    KDE_SCALE=$1
    LOGICAL_W=$((DEVICE_W / KDE_SCALE)) LOGICAL_H=$((DEVICE_H / KDE_SCALE))
    desktop_picture "${DEVICE_W}x$DEVICE_H" "$WORK/wallpaper.png"
    rm -f "$WORK/session.env" "$WORK/kwin.log"
    "$SOURCE_DIR/tools/debian-chroot.sh" enter "$KDE_ROOT" --bind "$WORK:$WORK" -- \
        "$WORK/kde_session.sh" start "$WORK" "$LOGICAL_W" "$LOGICAL_H" "$KDE_SCALE" &
    KDE_ENTER=$!
    until_true "the KDE session started" test -s "$WORK/session.env"
    KDE_INIT=$(namespace_init "$KDE_ENTER")
    mapfile -t KDE_ENV <"$WORK/session.env"
    start_input
    kde_run mkdir -p "$SHOTS"
    until_true "plasmashell drew the wallpaper" wallpaper_shown
}

# stop_kde: everything the session started ends with its first process.
stop_kde() {
    [ -n "${INPUT_FD:-}" ] && { exec {INPUT_FD}>&-; INPUT_FD=; }
    [ -n "${KDE_INIT:-}" ] && kill -KILL "$KDE_INIT" 2>/dev/null || true
    [ -n "${KDE_ENTER:-}" ] && wait "$KDE_ENTER" 2>/dev/null || true
    KDE_INIT= KDE_ENTER=
}

# namespace_init PID: the descendant of PID that is the first process of a PID namespace.
namespace_init() {
    local pids=("$1") pid child
    while [ ${#pids[@]} -gt 0 ]; do
        pid=${pids[0]}
        pids=("${pids[@]:1}")
        if grep -qE '^NSpid:\s+[0-9]+\s+1$' "/proc/$pid/status" 2>/dev/null; then
            echo "$pid"
            return 0
        fi
        for child in $(cat /proc/"$pid"/task/*/children 2>/dev/null); do pids+=("$child"); done
    done
    fail "the KDE session's namespace has no first process"
}

# kde_run COMMAND...: runs COMMAND in the session as the player, with the session's environment.
kde_run() {
    nsenter --target "$KDE_INIT" --mount --net --pid --root --setuid $KDE_UID --setgid $KDE_UID \
        -- env -i "${KDE_ENV[@]}" "$@"
}

# until_true WHAT COMMAND...: waits for COMMAND to succeed, failing with WHAT after the deadline.
until_true() {
    local what=$1 deadline=$((SECONDS + KDE_DEADLINE))
    shift
    until "$@" >/dev/null; do
        [ $SECONDS -lt $deadline ] || fail "not within ${KDE_DEADLINE} s: $what"
        kill -0 "${KDE_ENTER:-$$}" 2>/dev/null || fail "the KDE session ended: $what"
        sleep 0.2
    done
}

# start_input: the input client, fed through a pipe; its answers land in $WORK/input.log.
start_input() {
    rm -f "$WORK/input-in" "$WORK/input.log"
    mkfifo "$WORK/input-in"
    kde_run "$WORK/kde_fake_input" <"$WORK/input-in" >"$WORK/input.log" 2>&1 &
    exec {INPUT_FD}>"$WORK/input-in"
    until_true "the input client started ($(cat "$WORK/input.log"))" grep -q ready "$WORK/input.log"
}

# input COMMAND: a command for the input client (key NAME..., move X Y, click N); prints the
# wall clock in milliseconds at which KWin had handled it.
input() {
    local answers
    answers=$(grep -c '^ok' "$WORK/input.log" || true)
    echo "$*" >&$INPUT_FD
    until_true "the input client did: $*" answered_beyond "$answers"
    grep '^ok' "$WORK/input.log" | tail -n 1 | cut -d' ' -f2
}
answered_beyond() {
    grep -q '^?' "$WORK/input.log" && fail "the input client did not understand: $(grep '^?' "$WORK/input.log")"
    [ "$(grep -c '^ok' "$WORK/input.log")" -gt "$1" ]
}

# kde_shot FILE: the whole screen in device pixels, as Plasma's own screenshot tool takes it.
kde_shot() {
    rm -f "$1"
    kde_run spectacle --background --nonotify --fullscreen --output "$1" >>"$WORK/spectacle.log" 2>&1
    [ -s "$1" ] || fail "spectacle wrote no $1"
}

# wallpaper_shown: most of the screen shows the test's wallpaper (the panel covers the rest).
wallpaper_shown() {
    local differing
    kde_shot "$SHOTS/desktop-check.png"
    differing=$(compare -metric AE "$SHOTS/desktop-check.png" "$WORK/wallpaper.png" null: 2>&1 || true)
    awk -v d="${differing%% *}" -v most=$((DEVICE_W * DEVICE_H / 4)) 'BEGIN { exit !(d < most) }'
}

# window_event EVENT CAPTION SINCE: waits for KWin to report EVENT (added, active, removed) of a
# window with that caption after line SINCE of its log; prints the report, "MS {JSON}".
window_event() {
    until_true "KWin reported $1 for a window \"$2\"" window_reported "$@"
    window_reported "$@"
}
window_reported() {
    tail -n +"$(($3 + 1))" "$WORK/kwin.log" |
        grep -oE "deskwreck-window $1 [0-9]+ \{\"caption\":\"$2\".*" | head -n 1 |
        cut -d' ' -f3- | grep .
}
log_lines() { wc -l <"$WORK/kwin.log"; }

# json_field JSON NAME: one field of a window's report, as JSON writes it.
json_field() { grep -oE "\"$2\":(\"[^\"]*\"|[^,}]*)" <<<"$1" | cut -d: -f2- | tr -d '"'; }
