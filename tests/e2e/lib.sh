# Shared set-up for the end-to-end tests: a private X server, an optional PulseAudio null sink,
# and the game copied into a program folder of its own, so its settings files are the test's.
set -euo pipefail

: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
WORK=$(mktemp -d /tmp/deskwreck-e2e.XXXXXX)
# The player's settings folder is the test's too: none of the machine's user's settings is read.
export XDG_CONFIG_HOME="$WORK/config"
PIDS=()
GAME_PID=

cleanup() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -n "${E2E_KEEP:-}" ] && echo "kept $WORK" >&2 || rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# start_x WIDTH HEIGHT: a fresh X server on a free display.
start_x() {
    local width=$1 height=$2 display
    for display in $(seq 90 140); do
        [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ] || break
    done
    Xvfb ":$display" -screen 0 "${width}x${height}x24" -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    PIDS+=($!)
    export DISPLAY=":$display"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    fail "Xvfb did not start"
}

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
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
    cat "$WORK/pulse.log" >&2
    fail "PulseAudio did not start"
}

# record_sink SECONDS FILE: raw 16-bit stereo 44100 Hz from the null sink's monitor.
record_sink_start() {
    parec --raw -d capture.monitor --format=s16le --rate=44100 --channels=2 \
        --latency-msec=10 >"$1" 2>/dev/null &
    RECORDER=$!
    PIDS+=($RECORDER)
}
record_sink_stop() { kill "$RECORDER" 2>/dev/null || true; wait "$RECORDER" 2>/dev/null || true; }

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

start_game() {
    "$GAME_DIR/deskwreck" >"$WORK/game.log" 2>&1 &
    GAME_PID=$!
}

wait_window() { # wait_window NAME: the id of the first mapped window with that name
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "no window named $1"
}

wait_exit() { # wait_exit SECONDS: the game has ended by then
    for _ in $(seq $(($1 * 10))); do
        kill -0 "$GAME_PID" 2>/dev/null || { wait "$GAME_PID" || true; GAME_PID=; return 0; }
        sleep 0.1
    done
    fail "the game is still running after $1 s"
}

screenshot() { import -window root "$1"; }

# pixel FILE X Y: the pixel's colour as "r,g,b".
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# differing_pixels A B GEOMETRY: how many pixels differ between the two images in that region.
differing_pixels() {
    local count
    convert "$1" -crop "$3" +repage "$WORK/crop-a.png"
    convert "$2" -crop "$3" +repage "$WORK/crop-b.png"
    count=$(compare -metric AE "$WORK/crop-a.png" "$WORK/crop-b.png" null: 2>&1 || true)
    echo "${count%% *}"
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
    display -window root "$WORK/desktop.png" &
    PIDS+=($!)
    sleep 1
    # What the X server really shows is the reference.
    screenshot "$WORK/desktop.png"
}
