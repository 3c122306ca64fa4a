#!/usr/bin/env bash
# The game in a real KWin 5.27 Wayland session with Plasma's shell and portal, at scale 1 and 2,
# as a Wayland client and through XWayland. Each start, from keys alone (a name typed into the
# login, Return, Return on the start screen), reaches a play field that shows the desktop as a
# screenshot taken just before showed it, outside the game's own controls; the portal is asked
# for exactly one screenshot; no picture is left in the player's home; and KWin knows the
# windows as the game's desktop entry's. At scale 1 each way is started DESKTOP_STARTS times (1 by
# default, 20 for the full proof), with a login and start screen painted magenta, none of which
# may show in a field; the median time from Return on the login to the start screen is printed
# beside the portal's bare round trip in the same session.
# Usage (as root): BUILD_DIR=build tests/desktops/test_kde.sh
set -euo pipefail
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=$(cd "${BUILD_DIR:-$SOURCE_DIR/build}" && pwd)
export SOURCE_DIR BUILD_DIR
source "$SOURCE_DIR/tests/e2e/lib.sh"
source "$SOURCE_DIR/tests/desktops/kde.sh"
trap 'stop_kde; cleanup' EXIT

DEVICE_W=1280 DEVICE_H=800
APP_ID=org.example.Deskwreck
FAILED=()

# The game's own controls, which the comparison leaves out: Frame1 (473 x 121 at the top left,
# where the pointer waits), the gun strip (the bottom 45 rows) and the first row and column,
# which keep the field's background colour. The target is a single pixel.
field_mask() {
    local s=$KDE_SCALE
    convert -size "${DEVICE_W}x$DEVICE_H" xc:white -fill black \
        -draw "rectangle 0,0 $((474 * s - 1)),$((122 * s - 1))" \
        -draw "rectangle 0,$(((LOGICAL_H - 45) * s)) $DEVICE_W,$DEVICE_H" \
        -draw "rectangle 0,0 $DEVICE_W,$((s - 1))" -draw "rectangle 0,0 $((s - 1)),$DEVICE_H" \
        "$WORK/mask.png"
}

# match_percent DESKTOP FIELD BLOCK: the share of the field's pixels (or of its BLOCK x BLOCK
# blocks, where the compositor has rescaled the game's window) that show the desktop's.
match_percent() {
    local block=$3 fuzz=0 scaled total differing
    [ "$block" -gt 1 ] && fuzz=4%
    scaled=$(awk -v b="$block" 'BEGIN { print 100 / b }')%
    for picture in "$1" "$2"; do
        convert "$picture" "$WORK/mask.png" -compose multiply -composite -scale "$scaled" \
            "$picture.masked.png"
    done
    total=$(convert "$WORK/mask.png" -scale "$scaled" -format "%[fx:int(mean*w*h+0.5)]" info:)
    differing=$(compare -metric AE -fuzz $fuzz "$1.masked.png" "$2.masked.png" null: 2>&1 || true)
    awk -v d="${differing%% *}" -v t="$total" 'BEGIN { printf "%.2f", 100 * (t - d) / t }'
}

# field_drawn FILE: a screenshot in which the play field's banner frame shows its grey.
field_drawn() {
    kde_shot "$1"
    [ "$(pixel "$1" $((4 * KDE_SCALE)) $((100 * KDE_SCALE)))" = 192,192,192 ]
}

# picture_files: every file in the player's home that holds a picture, by its first bytes.
picture_files() {
    find "$KDE_HOME" -type f -print0 | while IFS= read -r -d '' file; do
        case $(head -c 4 "$file" 2>/dev/null | od -An -tx1 | tr -d ' \n') in
        89504e47 | ffd8ff* | 424d* | 47494638 | 52494646) echo "$file" ;;
        esac
    done | sort
}

screenshot_calls() { grep -c 'member=Screenshot$' "$WORK/calls.log" || true; }

start_call_count() {
    kde_run dbus-monitor --session \
        "type='method_call',interface='org.freedesktop.portal.Screenshot',member='Screenshot'" \
        >"$WORK/calls.log" 2>&1 &
    until_true "dbus-monitor listens" grep -q NameLost "$WORK/calls.log"
}

# play NAME PLATFORM BLOCK MOST: one start of the game, keys only, from the login to the field,
# which must show the desktop in at least MOST % of its pixels (of its blocks of BLOCK). What
# can still be seen once a check has failed is seen before the run fails.
play() {
    local name=$1 platform=$2 block=$3 most=$4 since calls pictures login ok start match problem
    local problems=()
    since=$(log_lines)
    calls=$(screenshot_calls)
    pictures=$(picture_files)
    input move 100 50 >/dev/null
    kde_shot "$SHOTS/desktop-$name.png"
    kde_run env QT_QPA_PLATFORM="$platform" "$KDE_HOME/.local/bin/deskwreck" \
        -stylesheet "$WORK/magenta.qss" >"$WORK/game-$name.log" 2>&1 &
    GAME_PID=$!
    login=$(window_event active Login "$since")
    # A player's name at a player's pace: the game has the time a player gives it to do what it
    # does while the login shows (a question for the portal, which Plasma's never needs).
    input type kde >/dev/null
    ok=$(input key Return)
    start=$(window_event active 'Deskwreck!' "$since")
    echo "$name: Return on the login to the start screen's focus: $((${start%% *} - ok)) ms"
    echo "$((${start%% *} - ok))" >>"$WORK/starts-$platform-scale$KDE_SCALE"
    input key Return >/dev/null
    window_event active Form1 "$since" >/dev/null
    until_true "the play field shows its banner frame" field_drawn "$SHOTS/field-$name.png"
    match=$(match_percent "$SHOTS/desktop-$name.png" "$SHOTS/field-$name.png" "$block")
    echo "$name: the field shows the desktop in $match % of its $([ "$block" = 1 ] && echo pixels || echo "${block}x$block blocks")"
    awk -v m="$match" -v most="$most" 'BEGIN { exit !(m >= most) }' ||
        problems+=("the field shows the desktop in only $match % (at least $most % wanted)")
    input move $((LOGICAL_W - 60)) $((LOGICAL_H / 2)) >/dev/null
    input click 3 >/dev/null
    until_true "the game ended on a right click" game_ended
    calls=$(($(screenshot_calls) - calls))
    echo "$name: $calls Screenshot calls to the portal"
    [ $calls = 1 ] || problems+=("$calls Screenshot calls to the portal, not 1")
    pictures=$(comm -13 <(echo "$pictures") <(picture_files) | tr '\n' ' ')
    [ -z "$pictures" ] || problems+=("pictures left in the player's home: $pictures")
    for report in "$login" "$start"; do
        problem=$(identity_problem "$report")
        [ -z "$problem" ] || problems+=("$(echo $problem)")
    done
    [ ${#problems[@]} -eq 0 ] || fail "$name: $(printf '%s; ' "${problems[@]}")"
}
game_ended() { ! kill -0 "$GAME_PID" 2>/dev/null && { wait "$GAME_PID" || true; }; }

# identity_problem REPORT: what is wrong with how KWin knows the window, if anything. A Wayland
# window names the game's desktop entry; an X11 one names it too or has the class the entry
# claims (StartupWMClass), by which Plasma ties X11 windows to entries. Through XWayland, where
# the game can say so, the window stays out of the task bar and the pager.
identity_problem() {
    local caption id class claimed
    caption=$(json_field "$1" caption) id=$(json_field "$1" desktopFileName)
    class=$(json_field "$1" resourceClass)
    claimed=$(sed -n 's/^StartupWMClass=//p' "$KDE_HOME/.local/share/applications/$APP_ID.desktop")
    if [ "$(json_field "$1" xwayland)" = false ]; then
        [ "$id" = $APP_ID ] || echo "KWin knows \"$caption\" as \"$id\", not $APP_ID"
        return 0
    fi
    [ "$id" = $APP_ID ] || { [ -n "$class" ] && [ "$class" = "$claimed" ]; } ||
        echo "KWin knows \"$caption\" as \"$id\", class \"$class\", which $APP_ID does not claim"
    [ "$(json_field "$1" skipTaskbar)$(json_field "$1" skipPager)" = truetrue ] ||
        echo "\"$caption\" is in the task bar or the pager"
}

# A run that fails leaves the session as it was (a window may still wait for a key): the next
# run gets a fresh one.
run() {
    local failed
    set +e
    (set -e; play "$@")
    failed=$?
    set -e
    [ $failed = 0 ] && return 0
    FAILED+=("$1")
    stop_kde
    start_kde "$KDE_SCALE"
    start_call_count
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "%.1f", v[int((NR + 1) / 2)] }'; }

kde_chroot
build_fake_input
kde_home
echo 'QDialog { background-color: #ff00ff; }' >"$WORK/magenta.qss"
cp "$BUILD_DIR/bench/portal_round_trip" "$KDE_HOME/.local/bin/"
for scale in 1 2; do
    start_kde $scale
    field_mask
    start_call_count
    starts=$((scale == 1 ? ${DESKTOP_STARTS:-1} : 1))
    for start in $(seq $starts); do
        run "wayland-scale$scale-$start" wayland 1 99.9
        # XWayland's X screen has the output's logical size, which KWin scales up at scale 2.
        run "xwayland-scale$scale-$start" xcb $((scale == 1 ? 1 : 8)) 99.9
    done
    if [ $scale = 1 ]; then
        for platform in wayland xcb; do
            echo "$platform at scale 1: $starts starts, Return to start screen median" \
                "$(median <"$WORK/starts-$platform-scale1") ms"
        done
        trips=$(for run in $(seq 7); do kde_run "$KDE_HOME/.local/bin/portal_round_trip" 1; done)
        echo "the portal's bare round trip: $(echo $trips) ms, median $(echo "$trips" | median) ms"
    fi
    stop_kde
done
[ ${#FAILED[@]} -eq 0 ] || fail "failed runs: ${FAILED[*]}"
