#!/usr/bin/env bash
# Runs every benchmark and prints one table: the handler costs under the offscreen platform and
# on a real X server (Xvfb), then the whole program under Xvfb at 1920x1080 and 3840x2160:
# start-up, memory, idle CPU, sound latency and a flood of input; and the start on headless sway,
# GNOME Shell and KWin (these two as root only), the desktop portal's round trip included.
# BENCH_SHORT=1 runs each for a moment only; --check then fails only if a figure is missing,
# never because of a speed.
BUILD_DIR=${BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build}
SOURCE_DIR=${SOURCE_DIR:-$(cd "$(dirname "$0")/.." && pwd)}
source "$SOURCE_DIR/tests/e2e/lib.sh"

check=
[ "${1:-}" = --check ] && check=--check
BENCH=$BUILD_DIR/bench
[ -x "$BENCH/handlers_bench" ] && [ -x "$BENCH/xdriver" ] || fail "build the bench targets first"

if [ -n "${BENCH_SHORT:-}" ]; then
    min_time=0.05 idle=3 flood=5 short=1
else
    min_time=1 idle=30 flood=60 short=0
fi

stop_x() { # the newest X server and the programs started after it
    local keep=$1
    while [ ${#PIDS[@]} -gt "$keep" ]; do
        kill "${PIDS[-1]}" 2>/dev/null || true
        wait "${PIDS[-1]}" 2>/dev/null || true
        unset 'PIDS[-1]'
    done
}

handlers() { # handlers PLATFORM
    QT_QPA_PLATFORM=$1 "$BENCH/handlers_bench" --benchmark_min_time="$min_time" \
        --benchmark_out="$WORK/handlers-$1.json" --benchmark_out_format=json \
        >"$WORK/handlers-$1.log" 2>&1 || cat "$WORK/handlers-$1.log" >&2
}

echo "handler costs, offscreen platform..." >&2
handlers offscreen

echo "handler costs, xcb platform on Xvfb..." >&2
before=${#PIDS[@]}
start_x 3840 2160
handlers xcb
stop_x "$before"

start_pulse
echo "${PIDS[-1]}" >"$WORK/pulse.pid"
for screen in 1920x1080 3840x2160; do
    echo "whole program at $screen..." >&2
    before=${#PIDS[@]}
    start_x "${screen%x*}" "${screen#*x}"
    install_game
    [ -f "$BUILD_DIR/alsoft.conf" ] && cp "$BUILD_DIR/alsoft.conf" "$GAME_DIR/"
    tiny_target
    paint_desktop "$screen"
    extra=()
    [ "$screen" = 1920x1080 ] && extra=(--sound "$GAME_DIR/shoot.wav" --flood "$flood"
        --restart-server "bash $SOURCE_DIR/bench/restart_pulse.sh $WORK")
    "$BENCH/xdriver" --game "$GAME_DIR/deskwreck" --idle "$idle" --short "$short" "${extra[@]}" \
        >"$WORK/program-$screen.txt" || echo "the whole-program run at $screen failed" >&2
    stop_x "$before"
    PIDS+=("$(cat "$WORK/pulse.pid")") # the server as restarted, for the clean-up
    rm -rf "$GAME_DIR"
done

# GNOME Shell and KWin, each a whole test run of its own with its own clean-up.
if [ "$short" = 0 ] && [ "$(id -u)" = 0 ]; then
    source "$SOURCE_DIR/bench/desktop_starts.sh"
    desktop_starts 7 "$WORK/desktops.txt"
elif [ "$short" = 0 ]; then
    echo "GNOME and KWin starts not measured: their sessions run in chroots, which needs root" >&2
fi

# Last, as it takes over the clean-up: the Wayland start on headless sway.
if command -v sway >/dev/null; then
    echo "Wayland start on headless sway..." >&2
    source "$SOURCE_DIR/tests/e2e/wayland.sh"
    source "$SOURCE_DIR/bench/wayland_start.sh"
    wayland_start "$([ "$short" = 1 ] && echo 1 || echo 7)" "$WORK/wayland.txt" ||
        echo "the Wayland start failed" >&2
fi

python3 "$SOURCE_DIR/bench/table.py" $check --cpu "$(lscpu | sed -n 's/^Model name: *//p')" \
    "$WORK"
