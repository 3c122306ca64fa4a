# Shared by the runs of the game in real desktop sessions (tests/desktops/test_*.sh). Each desktop
# runs in a Debian 12 chroot of its own (tools/debian-chroot.sh), so its portal back ends never
# reach the other tests, in a network namespace of its own, so its X displays and abstract
# sockets stay apart from the machine's. The game runs from this build, copied into the test's
# folder, which is bound into the chroot at the same path: files the session writes there are
# read from outside as they are.
#
#   desktop_chroot NAME PACKAGE...   the chroot's path; GAME_PACKAGES are the game's own libraries
#   start_desktop ROOT COMMAND...    runs COMMAND as root inside the chroot, in the background;
#                                    the session it starts writes, as the player, the pid of a
#                                    process of its own to $WORK/session/pid when it is ready
#   in_session COMMAND...            runs COMMAND as the player inside that session, with the
#                                    environment the session left in $WORK/session/env
#   install_game, tiny_target        the game in a program folder of the test's own
#   desktop_picture WxH FILE         a wallpaper where every pixel differs from its neighbours
#   field_match FIELD DESKTOP SCALE [FUZZ]
#                                    the % of play-field pixels, outside the game's own
#                                    controls, that show the desktop
#   differing_pixels A B GEOMETRY    how many pixels of a region differ between two pictures
#   wait_for DESCRIPTION SECONDS COMMAND...
#                                    polls COMMAND until it succeeds, failing after SECONDS
set -euo pipefail

: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
PLAYER_UID=1000
WORK=$(mktemp -d /tmp/deskwreck-desktop.XXXXXX)
chmod 755 "$WORK"
SESSION_PID=
PIDS=()

# The game's libraries, as ldd lists them for build/deskwreck, and a font for its texts.
GAME_PACKAGES=(libqt6widgets6 libqt6dbus6 libqt6gui6 qt6-wayland qt6-qpa-plugins libopenal1
               libsndfile1 fonts-dejavu-core)

fail() { echo "FAIL: $*" >&2; exit 1; }

# Everything the test started ends with it.
desktop_cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for _ in $(seq 100); do
        session_processes >/dev/null || break
        for pid in $(session_processes); do kill "$pid" 2>/dev/null || true; done
        sleep 0.1
    done
    wait 2>/dev/null || true
    if [ -n "${DESKTOP_KEEP:-}" ]; then echo "kept $WORK" >&2; else rm -rf --one-file-system "$WORK"; fi
}
trap desktop_cleanup EXIT

# The processes of the session still running: they are not this shell's children but carry
# $WORK in their environment. Fails when there are none.
session_processes() {
    local pid found=1
    for pid in $(grep -lsF "$WORK" /proc/[0-9]*/environ | cut -d/ -f3); do
        [ "$pid" != $$ ] && [ "$pid" != "$BASHPID" ] &&
            grep -qs '^State:[[:space:]]*[^Z]' "/proc/$pid/status" && { echo "$pid"; found=0; }
    done
    return $found
}

wait_for() {
    local what=$1 seconds=$2 deadline
    shift 2
    deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || fail "after ${seconds} s: $what"
        sleep 0.2
    done
}

desktop_chroot() {
    "$SOURCE_DIR/tools/debian-chroot.sh" make "$@" ||
        fail "the $1 chroot could not be made"
}

start_desktop() {
    local root=$1
    shift
    mkdir -p "$WORK/session"
    chown $PLAYER_UID:$PLAYER_UID "$WORK/session"
    unshare --net "$SOURCE_DIR/tools/debian-chroot.sh" enter "$root" --bind "$WORK:$WORK" -- \
        "$@" >"$WORK/session.log" 2>&1 &
    DESKTOP_PID=$!
    PIDS+=($DESKTOP_PID)
    wait_for "the desktop did not start" 240 desktop_up
    SESSION_PID=$(cat "$WORK/session/pid")
}

desktop_up() {
    [ -s "$WORK/session/pid" ] && return 0
    kill -0 "$DESKTOP_PID" 2>/dev/null || fail "the desktop ended: $(tail -n 20 "$WORK/session.log")"
    return 1
}

in_session() {
    local environment
    mapfile -t environment <"$WORK/session/env"
    nsenter --target "$SESSION_PID" --mount --net --root --wd \
        setpriv --reuid=$PLAYER_UID --regid=$PLAYER_UID --clear-groups \
        env -i "${environment[@]}" "$@"
}

install_game() {
    GAME_DIR=$WORK/game
    mkdir -p "$GAME_DIR"
    cp "$BUILD_DIR/deskwreck" "$BUILD_DIR"/*.wav "$GAME_DIR/"
    chown -R $PLAYER_UID:$PLAYER_UID "$GAME_DIR"
}

# One pixel of picture and no caption, so the field around it shows the desktop.
tiny_target() {
    convert -size 1x1 xc:black "BMP3:$GAME_DIR/dot.bmp"
    printf '"%s"\r\n' "$GAME_DIR/dot.bmp" >"$GAME_DIR/picnam.dat"
    printf '15\r\n15\r\n' >"$GAME_DIR/picdim.dat"
    printf '""\r\n' >"$GAME_DIR/caption.dat"
    chown $PLAYER_UID:$PLAYER_UID "$GAME_DIR"/*
}

desktop_picture() {
    convert -size "$1" gradient:'#f04020-#20a0f0' \( -size "$1" pattern:checkerboard -negate \) \
        -compose difference -composite -depth 8 "PNG24:$2"
}

# The game's own controls, in its logical pixels: the top row and left column (the field's
# background colour), the banner frame at the top left (473 x 121) and the gun strip along the
# bottom (44.1 high). The one-pixel target is too small to count.
field_mask() {
    local width=$1 height=$2 scale=$3
    convert -size "${width}x${height}" xc:white -fill black -draw "scale $scale,$scale
        rectangle 0,0 $((width / scale)),0
        rectangle 0,0 0,$((height / scale))
        rectangle 0,0 473,121
        rectangle 0,$((height / scale - 45)) $((width / scale)),$((height / scale))" \
        "$WORK/mask.png"
}

field_match() {
    local field=$1 desktop=$2 scale=$3 fuzz=${4:-0} size differing counted
    size=$(identify -format '%w %h' "$field")
    [ "$size" = "$(identify -format '%w %h' "$desktop")" ] || fail "$field is $size, $desktop is not"
    field_mask $size "$scale"
    convert "$field" "$WORK/mask.png" -compose multiply -composite "$WORK/masked-field.png"
    convert "$desktop" "$WORK/mask.png" -compose multiply -composite "$WORK/masked-desktop.png"
    differing=$(compare -metric AE -fuzz "$fuzz" "$WORK/masked-field.png" \
        "$WORK/masked-desktop.png" null: 2>&1 || true)
    counted=$(convert "$WORK/mask.png" -format '%[fx:int(mean*w*h+0.5)]' info:)
    awk -v d="${differing%% *}" -v n="$counted" 'BEGIN { printf "%.2f\n", 100 * (n - d) / n }'
}

# differing_pixels A B GEOMETRY: how many pixels of that region differ between two pictures.
differing_pixels() {
    local count
    count=$(compare -metric AE "$1[$3]" "$2[$3]" null: 2>&1 || true)
    echo "${count%% *}"
}

# at_least VALUE MINIMUM: whether a percentage reaches a minimum.
at_least() { awk -v v="$1" -v m="$2" 'BEGIN { exit !(v >= m) }'; }
