# The Wayland start, sourced by run_bench.sh after tests/e2e/wayland.sh: on headless sway with
# two 1280x800 outputs at scale 1, from OK in the login dialog to the start screen on the
# compositor's screen, the desktop portal's round trip included. Sway's window events give both
# moments: the login leaving the screen (the first thing OK does) and the start screen mapping.
# Prints "wayland_start_ms_<platform> MEDIAN" and "..._max MAX" into the file given, and the
# portal's bare round trip in the same session as "portal_round_trip_ms MEDIAN".

# window_events FILE: sway's window events, one a line, each after its arrival time in seconds.
window_events() {
    (as_sway_user env SWAYSOCK="$SWAYSOCK" swaymsg -r -m -t subscribe '["window"]' |
        while IFS= read -r line; do echo "$EPOCHREALTIME $line"; done) >"$1" 2>/dev/null </dev/null &
    PIDS+=($!)
}

# login_to_next_window FILE: milliseconds from the login's close to the next window mapped (the
# start screen: the play field is loaded hidden), which sway announces before its title.
login_to_next_window() {
    awk '/"change": "close"/ && /"name": "Login"/ && !t0 { t0 = $1 }
        t0 && /"change": "new"/ { printf "%.1f\n", ($1 - t0) * 1000; exit }' "$1"
}

wayland_start_once() { # wayland_start_once PLATFORM RUN: milliseconds, or nothing
    local events=$WORK/events-$1-$2
    window_events "$events"
    sleep 0.3
    wayland_game "$1"
    sway_window Login
    keys Return
    sway_window 'Deskwreck!'
    sleep 0.3
    kill "$GAME_PID" 2>/dev/null || true
    wait "$GAME_PID" 2>/dev/null || true
    GAME_PID=
    login_to_next_window "$events"
}

wayland_start() { # wayland_start RUNS OUTPUT_FILE
    local platform times
    need_sway
    start_sway 1
    start_bus
    start_portal
    install_game
    tiny_target
    for platform in wayland xcb; do
        times=$(for run in $(seq "$1"); do wayland_start_once "$platform" "$run"; done | sort -n)
        echo "$platform start-up: $(echo $times) ms" >&2
        [ -n "$times" ] || continue
        echo "$times" | awk -v p="$platform" '{ v[NR] = $1 } END {
            printf "wayland_start_ms_%s %.3f\nwayland_start_ms_%s_max %.3f\n", p, v[int((NR + 1) / 2)], p, v[NR] }'
    done >"$2"
    # Each a first request of a new client, as the game's picture is.
    times=$(for run in $(seq "$1"); do "$BUILD_DIR/bench/portal_round_trip" 1; done | sort -n)
    echo "portal round trip: $(echo $times) ms" >&2
    echo "$times" | awk 'NF { v[++n] = $1 } END { if (n) printf "portal_round_trip_ms %.3f\n", v[int((n + 1) / 2)] }' >>"$2"
}
