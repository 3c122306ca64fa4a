# Shared set-up for the end-to-end tests: a private X server, an optional PulseAudio null sink,
# and the game copied into a program folder of its own, so its settings files are the test's.
# Everything waited for is a condition, with a deadline long enough for a busy machine.
set -euo pipefail

: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
WORK=$(mktemp -d /tmp/deskwreck-e2e.XXXXXX)
# The player's home, settings and runtime folders are the test's too: nothing of the machine's
# user is read or written.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
PIDS=()
GAME_PID=

# A failed test's folder is kept, its screenshots and logs, for a look at what went wrong.
cleanup() { # E2E_STATUS: the exit status, for a trap that runs something first
    local status=${E2E_STATUS:-$?}
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ -n "${E2E_KEEP:-}" ] || [ "$status" -ne 0 ]; then
        rm -rf "$WORK/system"
        echo "kept $WORK" >&2
    else
        rm -rf "$WORK"
    fi
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_for SECONDS COMMAND...: true as soon as the command succeeds, false if it has not within
# that many seconds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# start_x WIDTH HEIGHT: a fresh X server on a display it picks and locks itself, so test runs
# side by side never race for one.
start_x() {
    Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp -noreset 3>"$WORK/display" \
        >"$WORK/xvfb.log" 2>&1 &
    PIDS+=($!)
    wait_for 60 display_written || { cat "$WORK/xvfb.log" >&2; fail "Xvfb did not start"; }
    export DISPLAY=":$X_DISPLAY"
}
# Xvfb writes the display's number, then a line end, once it takes connections.
display_written() { { read -r X_DISPLAY <"$WORK/display"; } 2>/dev/null; }

# start_pulse: a PulseAudio daemon with a null sink named "capture", private to this test.
start_pulse() {
    export PULSE_RUNTIME_PATH="$WORK/pulse" XDG_RUNTIME_DIR="$WORK/runtime"
    mkdir -p "$PULSE_RUNTIME_PATH" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    cat >"$WORK/default.pa" <<PA
load-module module-null-sink sink_name=capture
load-module module-native-protocol-unix socket=$PULSE_RUNTIME_PATH/native auth-anonymous=1
set-default-sink capture
PA
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false \
        -F "$WORK/default.pa" --use-pid-file=no >"$WORK/pulse.log" 2>&1 &
    PIDS+=($!)
    export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
    wait_for 60 pulse_answers && return 0
    cat "$WORK/pulse.log" >&2
    fail "PulseAudio did not start"
}
pulse_answers() { pactl info >/dev/null 2>&1; }

# record_sink_start FILE: raw 16-bit stereo 44100 Hz from the null sink's monitor, into FILE;
# returns once sound is coming in (the null sink holds back the start of a new recording).
# Times in the recording are told by its length so far, which no delay in starting can shift.
record_sink_start() {
    RECORDING=$1
    parec --raw -d capture.monitor --format=s16le --rate=44100 --channels=2 \
        --latency-msec=10 >"$RECORDING" 2>/dev/null &
    RECORDER=$!
    PIDS+=($RECORDER)
    wait_for 60 recorded_beyond 0.5 || fail "nothing came from the sound server's null sink"
}
record_sink_stop() { kill "$RECORDER" 2>/dev/null || true; wait "$RECORDER" 2>/dev/null || true; }
# recording_position: how many seconds of sound the recording holds so far.
recording_position() {
    awk -v bytes="$(stat -c %s "$RECORDING")" 'BEGIN { printf "%.3f", bytes / (44100 * 4) }'
}
recorded_beyond() { awk -v p="$(recording_position)" -v t="$1" 'BEGIN { exit !(p > t) }'; }
# sound_since SECONDS: something loud has been recorded from that point on.
sound_since() {
    awk -v p="$(peak_amplitude "$RECORDING" "$1")" 'BEGIN { exit !(p > 0.05) }'
}
# quiet_now: the last 0.3 s recorded are silent.
quiet_now() {
    local from peak
    from=$(awk -v p="$(recording_position)" 'BEGIN { print p - 0.3 }')
    peak=$(peak_amplitude "$RECORDING" "$from")
    awk -v p="$peak" -v f="$from" 'BEGIN { exit !(f > 0 && p != "" && p < 0.01) }'
}

# peak_amplitude FILE [SKIP_SECONDS [SECONDS]]: the loudest sample of a raw recording, 0..1.
peak_amplitude() {
    local file=$1 skip=${2:-0} length=${3:-}
    sox -t raw -r 44100 -e signed -b 16 -c 2 "$file" -n trim "$skip" $length stat 2>&1 |
        awk '/Maximum amplitude/ {print $3}'
}

# install_game: the executable and its wave files in a program folder of the test's own.
install_game() {
    GAME_DIR="$WORK/game"
    mkdir -p "$GAME_DIR"
    cp "$BUILD_DIR/deskwreck" "$BUILD_DIR"/*.wav "$GAME_DIR/"
}

GAME_ARGS=() # Qt's own options for the game, as -stylesheet FILE
start_game() {
    "$GAME_DIR/deskwreck" "${GAME_ARGS[@]}" >"$WORK/game.log" 2>&1 &
    GAME_PID=$!
}

wait_window() { # wait_window NAME: the id of the first mapped window with that name
    wait_for 60 window_shown "$1" || fail "no window named $1"
    echo "$WINDOW_ID"
}
window_shown() {
    WINDOW_ID=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$WINDOW_ID" ]
}

wait_exit() { # the game ends within a minute
    wait_for 60 game_ended || {
        tail -n 20 "$WORK/game.log" >&2
        fail "the game is still running a minute later, showing: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' ';')"
    }
    wait "$GAME_PID" || true
    GAME_PID=
}
game_ended() { ! kill -0 "$GAME_PID" 2>/dev/null; }

# press_until KEY WINDOW COMMAND...: KEY on WINDOW until the command succeeds. A window that has
# only just come up may miss a key, so it is pressed again, but only while the window still
# shows and 20 s on: on a busy machine a window can take seconds to go after its key, and a key
# pressed again then would reach the window beneath.
press_until() {
    local key=$1 window=$2 attempt
    shift 2
    [ -n "$window" ] || fail "no window to press $key on"
    for attempt in $(seq 6); do
        if viewable "$window"; then xdotool key --window "$window" "$key" 2>/dev/null || true; fi
        wait_for 20 "$@" && return 0
    done
    fail "$key on window $window: $* never held"
}
# (xwininfo given no window waits for a click on one.)
viewable() { [ -n "$1" ] && xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
# key_when_focused KEY WINDOW COMMAND...: KEY typed on the keyboard, press and release, once the
# window holds the input focus; true when the command then holds. For a message box that its key
# closes: a key sent to the box itself has its release refused, the box being gone by then, and
# the next Return typed into the dialog beneath never reached it.
key_when_focused() {
    local key=$1 window=$2
    shift 2
    wait_for 60 has_focus "$window" || fail "window $window never took the input focus"
    xdotool key "$key"
    wait_for 60 "$@"
}
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
# click_until X Y CONDITION...: clicks there until the condition holds, at most three times, 20 s
# apart: a click that a busy X server or toolkit lost is made again, where a key would be pressed
# again (press_until). Only for clicks whose target goes away once they land.
click_until() {
    local x=$1 y=$2 attempt
    shift 2
    for attempt in 1 2 3; do
        xdotool mousemove "$x" "$y" click 1
        wait_for 20 "$@" && return 0
    done
    return 1
}
# window_gone NAME: no mapped window has that name in three looks in a row (one look can miss a
# window while others come and go).
window_gone() {
    local look
    for look in 1 2 3; do
        window_shown "$1" && return 1
        sleep 0.1
    done
}
# window_geometry ID: X, Y, WIDTH and HEIGHT of the window, once three looks in a row over half
# a second agree (Qt may move a new window into place after it is mapped).
window_geometry() {
    local previous= current same=0
    for _ in $(seq 300); do
        current=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || current=
        if [ -n "$current" ] && [ "$current" = "$previous" ]; then same=$((same + 1)); else same=0; fi
        if [ "$same" -ge 2 ]; then
            eval "$current"
            return 0
        fi
        previous=$current
        sleep 0.25
    done
    fail "window $1 did not keep still"
}
# field_shown: the play field is up and painted: its top row, which keeps the background colour,
# has replaced what $WORK/before-game.png shows there (field-now.png).
field_shown() {
    window_shown Form1 || return 1
    screenshot "$WORK/field-now.png"
    [ "$(differing_pixels "$WORK/before-game.png" "$WORK/field-now.png" 400x1+600+0)" -gt 200 ]
}

# screenshot FILE: the whole X screen. On a busy machine import can fail to read a large root
# window for seconds ("Resource temporarily unavailable": four tries in 3 s all failed at 4K
# beside a second test run); it is tried again for 30 s before that counts.
screenshot() {
    local deadline=$((SECONDS + 30))
    until import -window root "$1" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || { import -window root "$1"; return; }
        sleep 0.5
    done
}

# settled_screenshot FILE: a screenshot taken once two in a row agree outside the banner picture,
# which turns on its own.
settled_screenshot() {
    local previous=$WORK/settle-a.png current=$WORK/settle-b.png
    screenshot "$previous"
    for _ in $(seq 100); do
        screenshot "$current"
        if [ "$(differing_pixels "$previous" "$current" "$(screen_size)+0+0" "${BANNER_PICTURE:-}")" = 0 ]; then
            mv "$current" "$1"
            return 0
        fi
        mv "$current" "$previous"
    done
    fail "the screen did not settle"
}
screen_size() { xdpyinfo | awk '/dimensions:/ { print $2; exit }'; }

# pixel FILE X Y: the pixel's colour as "r,g,b".
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# differing_pixels A B GEOMETRY [HIDDEN]: how many pixels differ between the two images in that
# region, leaving out the HIDDEN one.
differing_pixels() {
    local count hide=()
    if [ -n "${4:-}" ]; then
        hide=(-fill black -draw "rectangle $(box_of "$4" | awk '{ print $1 "," $2 " " $3 "," $4 }')")
    fi
    convert "$1" "${hide[@]}" -crop "$3" +repage "$WORK/crop-a.png"
    convert "$2" "${hide[@]}" -crop "$3" +repage "$WORK/crop-b.png"
    count=$(compare -metric AE "$WORK/crop-a.png" "$WORK/crop-b.png" null: 2>&1 || true)
    echo "${count%% *}"
}

# box_of WxH+X+Y: the same rectangle as "x0 y0 x1 y1", inclusive.
box_of() {
    echo "$1" | awk -F'[x+]' '{ printf "%d %d %d %d\n", $3, $4, $3 + $1 - 1, $4 + $2 - 1 }'
}

# A tiny target: one pixel of picture, no caption, so screenshots show the desktop around it.
tiny_target() {
    convert -size 1x1 xc:black "BMP3:$GAME_DIR/dot.bmp"
    printf '"%s"\r\n' "$GAME_DIR/dot.bmp" >"$GAME_DIR/picnam.dat"
    printf '15\r\n15\r\n' >"$GAME_DIR/picdim.dat"
    printf '""\r\n' >"$GAME_DIR/caption.dat"
}

# A desktop picture where every pixel differs from its neighbours, set as the root background.
paint_desktop() {
    convert -size "$1" gradient:'#f04020-#20a0f0' \( -size "$1" pattern:checkerboard -negate \) \
        -compose difference -composite "$WORK/desktop.png"
    screenshot "$WORK/bare-root.png"
    display -window root "$WORK/desktop.png" &
    PIDS+=($!)
    wait_for 60 root_painted || fail "the desktop picture did not show"
    # What the X server really shows is the reference.
    settled_screenshot "$WORK/desktop.png"
}
root_painted() {
    screenshot "$WORK/root.png"
    [ "$(differing_pixels "$WORK/bare-root.png" "$WORK/root.png" 100x100+0+0)" -gt 5000 ]
}
