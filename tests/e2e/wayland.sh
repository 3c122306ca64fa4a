# A headless sway for the end-to-end tests, sourced after lib.sh: no GPU and no input devices,
# a wallpaper on each output, a session bus of the test's own with the desktop portal on it,
# XWayland, a virtual keyboard (wtype) and a virtual pointer (wlpointer). Everything started here
# is stopped at exit, the helpers sway and the bus started for themselves included.

SWAY_UID=65534 # sway will not run as root; its clients may
SWAY_DIR=$WORK/sway

# Fails, naming what is missing, when this machine cannot run sway at all.
need_sway() {
    local tool
    for tool in sway swaybg swaymsg grim wtype dbus-daemon setpriv; do
        command -v "$tool" >/dev/null || fail "no $tool here: run tools/install-deps.sh test"
    done
    [ -x "$BUILD_DIR/tests/wayland/wlpointer" ] ||
        fail "wlpointer was not built: libwayland-dev or wayland-scanner was missing when the" \
            "build was configured (run tools/install-deps.sh test, then configure again)"
}

as_sway_user() { setpriv --reuid=$SWAY_UID --regid=$SWAY_UID --clear-groups "$@"; }

# Every process still running whose environment names this test's folder, which only the ones
# started here (and what they started) can have: sway's swaybg and XWayland, the bus's services.
# They are not this shell's children, so it polls for their end: the document portal the bus
# starts unmounts its FUSE folder in the runtime folder as it ends, and removing the test's
# folder while it is still mounted fails.
wayland_cleanup() {
    [ -n "${POINTER_FD:-}" ] && exec {POINTER_FD}>&- || true
    local pid pids=()
    for pid in $(grep -lsF "$WORK/" /proc/[0-9]*/environ | cut -d/ -f3); do
        if [ "$pid" != $$ ] && [ "$pid" != "$BASHPID" ] && kill "$pid" 2>/dev/null; then
            pids+=("$pid")
        fi
    done
    for _ in $(seq 50); do
        running "${pids[@]}" || break
        sleep 0.1
    done
    if mountpoint -q "$SWAY_DIR/run/doc"; then umount -l "$SWAY_DIR/run/doc" || true; fi
}
# running PID...: whether any of them has not ended yet (a zombie has ended).
running() {
    local pid
    for pid in "$@"; do
        grep -qs '^State:[[:space:]]*[^Z]' "/proc/$pid/status" && return 0
    done
    return 1
}
trap 'E2E_STATUS=$?; wayland_cleanup; cleanup' EXIT

# desktop_picture WxH FILE: a picture where every pixel differs from its neighbours, 8 bits a
# channel so that the compositor shows it exactly.
desktop_picture() {
    convert -size "$1" gradient:'#f04020-#20a0f0' \( -size "$1" pattern:checkerboard -negate \) \
        -compose difference -composite -depth 8 "PNG24:$2"
}

# start_sway SCALE2: two 1280x800 outputs, HEADLESS-1 at scale 1 and HEADLESS-2 at scale SCALE2
# to its right, each with a wallpaper of its device pixels; sets WAYLAND_DISPLAY, SWAYSOCK,
# XDG_RUNTIME_DIR and SWAY_DISPLAY (its XWayland).
start_sway() {
    local logical2
    SCALE2=$1
    chmod 711 "$WORK"
    mkdir -p "$SWAY_DIR/run"
    desktop_picture 1280x800 "$SWAY_DIR/desktop-1.png"
    # The other output unlike it everywhere, so a picture of the wrong output shows.
    convert "$SWAY_DIR/desktop-1.png" -negate -depth 8 "PNG24:$SWAY_DIR/desktop-2.png"
    cat >"$SWAY_DIR/config" <<CONFIG
output HEADLESS-1 resolution 1280x800 position 0 0 scale 1 bg $SWAY_DIR/desktop-1.png fill
output HEADLESS-2 resolution 1280x800 position 1280 0 scale $SCALE2 bg $SWAY_DIR/desktop-2.png fill
xwayland enable
exec sh -c 'xhost +si:localuser:root >/dev/null 2>&1; env >$SWAY_DIR/env.tmp; mv $SWAY_DIR/env.tmp $SWAY_DIR/env'
CONFIG
    chown -R $SWAY_UID:$SWAY_UID "$SWAY_DIR"
    chmod 700 "$SWAY_DIR/run"
    HOME=$SWAY_DIR XDG_RUNTIME_DIR=$SWAY_DIR/run WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 as_sway_user sway -c "$SWAY_DIR/config" \
        >"$WORK/sway.log" 2>&1 &
    PIDS+=($!)
    wait_for 60 test -e "$SWAY_DIR/env" || { cat "$WORK/sway.log" >&2; fail "sway did not start"; }
    export XDG_RUNTIME_DIR=$SWAY_DIR/run
    export WAYLAND_DISPLAY SWAYSOCK
    WAYLAND_DISPLAY=$(sed -n 's/^WAYLAND_DISPLAY=//p' "$SWAY_DIR/env")
    SWAYSOCK=$(sed -n 's/^SWAYSOCK=//p' "$SWAY_DIR/env")
    SWAY_DISPLAY=$(sed -n 's/^DISPLAY=//p' "$SWAY_DIR/env")
    logical2=$(awk -v s="$SCALE2" 'BEGIN { printf "%d", 1280 / s }')
    LAYOUT_W=$((1280 + logical2))
    LAYOUT_H=800
    unset DISPLAY
    wait_for 60 wallpapers_shown || fail "swaybg did not draw the wallpapers"
}
# wallpapers_shown: both outputs show their wallpaper's pixels in a corner away from the cursor.
wallpapers_shown() {
    local output
    for output in 1 2; do
        output_shot HEADLESS-$output "$WORK/wallpaper.png" &&
            [ "$(differing_pixels "$WORK/wallpaper.png" "$SWAY_DIR/desktop-$output.png" 100x100+1100+650)" -lt 1000 ] ||
            return 1
    done
}

sway_do() { as_sway_user env SWAYSOCK="$SWAYSOCK" swaymsg "$@" >/dev/null; }

# start_bus: a session bus of the test's own, its services (the portal's back ends) started on
# demand in this environment.
start_bus() {
    mkdir -p "$WORK/bus"
    dbus-daemon --session --nofork --address="unix:dir=$WORK/bus" --print-address=3 \
        3>"$WORK/bus-address" >"$WORK/bus.log" 2>&1 &
    PIDS+=($!)
    wait_for 60 test -s "$WORK/bus-address" || true
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$WORK/bus-address")
    export DBUS_SESSION_BUS_ADDRESS
    [ -n "$DBUS_SESSION_BUS_ADDRESS" ] || fail "the session bus did not start"
    dbus-update-activation-environment XDG_RUNTIME_DIR WAYLAND_DISPLAY XDG_CURRENT_DESKTOP=sway
}

# start_portal: the desktop portal with its wlroots and GTK back ends; the wlroots one needs
# PipeWire running.
start_portal() {
    hold_wlr_portal
    pipewire >"$WORK/pipewire.log" 2>&1 &
    PIDS+=($!)
    XDG_CURRENT_DESKTOP=sway /usr/libexec/xdg-desktop-portal >"$WORK/portal.log" 2>&1 &
    PORTAL_PID=$!
    PIDS+=($PORTAL_PID)
    wait_for 60 portal_offers_screenshot && return 0
    cat "$WORK/portal.log" >&2
    fail "the desktop portal offers no Screenshot"
}

# hold_wlr_portal: the wlroots back end writes every picture to /tmp/out.png, one file for the
# whole machine, so a game in a session of a test run beside this one would read or delete this
# session's picture. One session at a time uses it: the lock is held by a process of its own
# (-o: not by the one it starts), which ends with this test, so nothing the session leaves
# running keeps it.
hold_wlr_portal() {
    local held=$WORK/wlr-portal-held
    [ -e "$held" ] && return 0 # held since this test's first session
    flock -o /tmp/deskwreck-wlr-portal.lock \
        sh -c 'touch "$1" && exec tail --pid="$2" -f /dev/null' sh "$held" $$ &
    PIDS+=($!)
    wait_for 1500 test -e "$held" || fail "a test run beside this one kept the wlroots portal 25 minutes"
}

portal_offers_screenshot() {
    gdbus introspect --session --dest org.freedesktop.portal.Desktop \
        --object-path /org/freedesktop/portal/desktop 2>/dev/null |
        grep -q org.freedesktop.portal.Screenshot
}

# start_pointer: the virtual pointer, fed through a pipe; it gives the seat its pointer, so it
# starts before the game.
start_pointer() {
    mkfifo "$WORK/pointer-in"
    "$BUILD_DIR/tests/wayland/wlpointer" "$LAYOUT_W" "$LAYOUT_H" <"$WORK/pointer-in" \
        >"$WORK/pointer.log" 2>&1 &
    PIDS+=($!)
    exec {POINTER_FD}>"$WORK/pointer-in"
    wait_for 60 grep -q ready "$WORK/pointer.log" && return 0
    fail "the virtual pointer did not start: $(cat "$WORK/pointer.log")"
}
# pointer COMMAND...: move X Y (layout pixels), click N, press N, release N.
pointer() { echo "$*" >&$POINTER_FD; sleep 0.1; }

# keys KEY...: wtype's virtual keyboard needs a moment before the game sees its first key.
keys() {
    local args=()
    for key in "$@"; do args+=(-k "$key"); done
    wtype -s 1200 "${args[@]}"
}

# output_shot OUTPUT FILE: the output's device pixels.
output_shot() { grim -o "$1" "$2"; }

# wayland_game PLATFORM: the game as a Wayland client or through XWayland.
wayland_game() {
    if [ "$1" = xcb ]; then
        DISPLAY=$SWAY_DISPLAY QT_QPA_PLATFORM=xcb start_game
    else
        QT_QPA_PLATFORM=wayland start_game
    fi
}

# sway_window NAME: waits until sway shows a window with that title.
sway_window() {
    wait_for 60 sway_shows "$1" || fail "sway shows no window named $1"
}
sway_shows() {
    as_sway_user env SWAYSOCK="$SWAYSOCK" swaymsg -t get_tree -r 2>/dev/null |
        grep -q "\"name\": \"$1\""
}

# start_refusing_portal RESPONSE: in place of the real portal, one that answers every request
# with RESPONSE.
start_refusing_portal() {
    local attempt
    for attempt in $(seq 10); do
        stop_real_portal
        "$BUILD_DIR/tests/wayland/refusing_portal" "$1" >"$WORK/refusing.log" 2>&1 &
        REFUSING_PID=$!
        PIDS+=($REFUSING_PID)
        for _ in $(seq 20); do grep -q ready "$WORK/refusing.log" && return 0; sleep 0.1; done
        kill "$REFUSING_PID" 2>/dev/null || true # the name was still taken: try again
    done
    fail "the refusing portal did not start: $(cat "$WORK/refusing.log")"
}

# The bus starts the real portal again for a request made while it is gone, so every copy of it
# started in this test's environment is stopped, not only the first.
stop_real_portal() {
    local pid
    [ -n "${REFUSING_PID:-}" ] && { kill "$REFUSING_PID" 2>/dev/null || true; REFUSING_PID=; }
    [ -n "${PORTAL_PID:-}" ] && { kill "$PORTAL_PID" 2>/dev/null || true; wait "$PORTAL_PID" 2>/dev/null || true; PORTAL_PID=; }
    for pid in $(grep -lsF "$WORK/" /proc/[0-9]*/environ | cut -d/ -f3); do
        [ "$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | head -n 1)" = /usr/libexec/xdg-desktop-portal ] &&
            kill "$pid" 2>/dev/null || true
    done
    sleep 0.2
}

# OUTPUT_X OUTPUT_SCALE and OUTPUT_LOGICAL_W/H of the output the game is put on.
use_output() {
    case $1 in
    HEADLESS-1) OUTPUT_X=0 OUTPUT_SCALE=1 ;;
    HEADLESS-2) OUTPUT_X=1280 OUTPUT_SCALE=$SCALE2 ;;
    esac
    OUTPUT=$1
    OUTPUT_LOGICAL_W=$(awk -v s="$OUTPUT_SCALE" 'BEGIN { printf "%d", 1280 / s }')
    OUTPUT_LOGICAL_H=$(awk -v s="$OUTPUT_SCALE" 'BEGIN { printf "%d", 800 / s }')
    output_pointer 100 50
    sway_do focus output "$1"
}
# output_pointer X Y: the pointer to that logical pixel of the output in use.
output_pointer() { pointer move $((OUTPUT_X + $1)) "$2"; }

# field_region: the play field between the banner frame and the gun strip, one pixel in from
# its left and right edges (which keep the background colour), in the output's device pixels.
field_region() {
    awk -v s="$OUTPUT_SCALE" -v h="$OUTPUT_LOGICAL_H" 'BEGIN {
        printf "%dx%d+%d+%d", 1280 - 2 * s, (h - 122 - 45) * s, s, 122 * s }'
}

# Through the login dialog and the start screen onto the play field of the output in use, whose
# device pixels before the game came are in $WORK/desktop-$OUTPUT.png.
wayland_enter_field() {
    output_pointer 100 50 # the cursor is part of grim's pictures: over the banner frame
    sleep 0.2
    output_shot "$OUTPUT" "$WORK/desktop-$OUTPUT.png"
    wayland_game "$1"
    sway_window Login
    keys Return
    sway_window 'Deskwreck!'
    keys Return
    rm -f "$WORK/field-$OUTPUT-$1.png" "$WORK/field-before.png"
    wait_for 60 wayland_field_shown "$1" || fail "$1 on $OUTPUT: the play field does not show"
}
# wayland_field_shown PLATFORM: the play field is up and has settled: its top row, which keeps
# the background colour, has replaced the desktop's, and two pictures of the field in a row agree
# but for the tiny target's jumps (the compositor may show a first frame before the field has its
# place and size).
wayland_field_shown() {
    local field=$WORK/field-$OUTPUT-$1.png previous=$WORK/field-before.png
    [ -e "$field" ] && mv "$field" "$previous"
    output_shot "$OUTPUT" "$field" &&
        [ "$(differing_pixels "$WORK/desktop-$OUTPUT.png" "$field" 400x1+700+0)" -gt 200 ] &&
        [ -e "$previous" ] && [ "$(differing_pixels "$previous" "$field" "$(field_region)")" -le 16 ]
}

# expect_desktop PLATFORM MOST: no more than MOST pixels of the play field differ from the
# desktop; its top row keeps the background colour; the portal's picture file is gone.
expect_desktop() {
    desktop_difference "$1" "$2" 0 1
}
# expect_desktop_blurred PLATFORM: the same, for a field the compositor or the portal has
# rescaled: 8x8 blocks of the two agree to 4 %, since resampling blurs only edges; a picture
# cut from the wrong place, the wrong size or none at all differs in nearly every block.
expect_desktop_blurred() {
    desktop_difference "$1" 4 4% 8
}
desktop_difference() {
    local field=$WORK/field-$OUTPUT-$1.png desktop=$WORK/desktop-$OUTPUT.png count
    convert "$field" -crop "$(field_region)" +repage -scale "$(awk -v b="$4" 'BEGIN { print 100 / b }')%" "$WORK/crop-a.png"
    convert "$desktop" -crop "$(field_region)" +repage -scale "$(awk -v b="$4" 'BEGIN { print 100 / b }')%" "$WORK/crop-b.png"
    count=$(compare -metric AE -fuzz "$3" "$WORK/crop-a.png" "$WORK/crop-b.png" null: 2>&1 || true)
    count=${count%% *}
    echo "$1 on $OUTPUT: $count field pixels (blocks of $4) differ from the desktop by more than $3"
    [ "$count" -le "$2" ] || fail "$1 on $OUTPUT: the play field does not show the desktop"
    [ "$(pixel "$field" 1000 0)" != "$(pixel "$desktop" 1000 0)" ] ||
        fail "$1 on $OUTPUT: the top row shows the desktop"
    [ ! -e /tmp/out.png ] || fail "the portal's picture was left behind in /tmp/out.png"
}

# start_session SCALE2: sway with its outputs, a bus, the portal and the pointer, and the game
# in a program folder of its own with a tiny target.
start_session() {
    need_sway
    start_sway "$1"
    start_bus
    start_portal
    start_pointer
    install_game
    tiny_target
    rm -f /tmp/out.png
}

# Ends the game with a right click on the field. A game that goes on running keeps what the
# screen showed and where each of its threads stood (so Qt's Wayland teardown was found waiting
# for its event thread).
end_game() {
    output_pointer 600 300
    pointer click 3
    wait_for 60 game_ended || keep_stuck_game
    wait_exit
}
keep_stuck_game() {
    output_shot "$OUTPUT" "$WORK/stuck.png" || true
    gdb -p "$GAME_PID" -batch -ex 'thread apply all bt' >"$WORK/stuck-threads.txt" 2>&1 || true
}
