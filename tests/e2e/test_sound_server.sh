#!/usr/bin/env bash
# The game follows its sound server. Under a running game PulseAudio, and then PipeWire with its
# PulseAudio service and WirePlumber, are stopped and started again, as a desktop does on resume,
# after a crash or an upgrade: once the server is back every shot is heard again, the first one
# included. A game started while no server runs hears its shots once one starts. What is heard
# is recorded from the null sink's monitor.
[ -n "${DESKWRECK_PRIVATE_BUS:-}" ] || exec dbus-run-session -- env DESKWRECK_PRIVATE_BUS=1 bash "$0"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

for program in pipewire pipewire-pulse wireplumber; do
    command -v $program >/dev/null || { echo "$program is not installed"; exit 77; }
done

start_x 1024 768
install_game
cp "$BUILD_DIR/alsoft.conf" "$GAME_DIR/"
tiny_target
# WirePlumber keeps what it learns about sinks; here only for this test.
export XDG_STATE_HOME="$WORK/state"

stop_server() { # stop_server PID...: as a desktop stops it, and gone when this returns
    kill "$@" 2>/dev/null || true
    for pid in "$@"; do wait "$pid" 2>/dev/null || true; done
}

# PipeWire, WirePlumber and PipeWire's PulseAudio service in this test's runtime folder, with a
# null sink named "capture" as the default.
start_pipewire() {
    export XDG_RUNTIME_DIR="$WORK/runtime" PULSE_SERVER="unix:$WORK/runtime/pulse/native"
    unset PULSE_RUNTIME_PATH
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    pipewire >>"$WORK/pipewire.log" 2>&1 &
    PIPEWIRE_PIDS=($!)
    PIDS+=($!)
    # Its session manager and its PulseAudio service give up without it.
    for _ in $(seq 100); do pw-cli info 0 >/dev/null 2>&1 && break; sleep 0.1; done
    wireplumber >>"$WORK/wireplumber.log" 2>&1 &
    PIPEWIRE_PIDS+=($!)
    pipewire-pulse >>"$WORK/pipewire-pulse.log" 2>&1 &
    PIPEWIRE_PIDS+=($!)
    PIDS+=("${PIPEWIRE_PIDS[@]:1}")
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl load-module module-null-sink sink_name=capture >/dev/null ||
        { tail "$WORK"/pipewire*.log >&2; fail "PipeWire's PulseAudio service did not start"; }
    pactl set-default-sink capture
}

# onsets FILE END: when each sound in a raw recording starts, in seconds on the recording clock
# (a sound starts after 0.3 s below 5 % of full scale). The last sample is placed at END, when
# the recorder was stopped: how much of the start the sink holds back varies, the more so on a
# server just started.
onsets() {
    python3 - "$1" "$2" <<'PY'
import array, sys
samples = array.array("h")
raw = open(sys.argv[1], "rb").read()
samples.frombytes(raw[: len(raw) - len(raw) % 4])
window = 882  # 10 ms of 16-bit stereo at 44100 Hz
count = len(samples) // window
quiet = 30
for w in range(count):
    chunk = samples[w * window : (w + 1) * window]
    loud = max(max(chunk), -min(chunk)) > 0.05 * 32768
    if loud and quiet >= 30:
        print("%.2f" % (float(sys.argv[2]) - (count - w) * 0.01))
    quiet = 0 if loud else quiet + 1
PY
}

# hear_shots NAME: three shots on the desktop, a second and more apart; each is heard, from
# within a quarter of a second before its click (the clocks' play) to a second after it, and
# nothing else is.
hear_shots() {
    local name=$1 i end clicks=()
    record_sink_start "$WORK/$name.raw"
    recording_clock_start
    sleep 2.5 # the null sink holds back the start of a new recording
    for i in 0 1 2; do
        xdotool mousemove $((600 + 100 * i)) 40
        sleep 0.3
        clicks+=("$(recording_clock)")
        xdotool click 1
        sleep 1.2
    done
    end=$(recording_clock)
    record_sink_stop
    heard=$(onsets "$WORK/$name.raw" "$end" | tr '\n' ' ')
    echo "$name: clicks at ${clicks[*]} s, sounds from $heard s"
    for i in 0 1 2; do
        awk -v c="${clicks[i]}" -v heard="$heard" 'BEGIN {
            n = split(heard, t, " "); for (k = 1; k <= n; k++) if (t[k] >= c - 0.25 && t[k] <= c + 1.0) exit 0
            exit 1 }' || fail "$name: shot $((i + 1)) was not heard"
    done
    [ "$(echo $heard | wc -w)" = 3 ] || fail "$name: sounds that no shot made"
}

end_game() {
    xdotool mousemove 700 300 click 3 || true
    wait_exit 5
}

echo "== PulseAudio restarted under a running game"
start_pulse
PULSE_PID=${PIDS[-1]}
enter_field
hear_shots pulse-before
stop_server "$PULSE_PID"
sleep 2
start_pulse
PULSE_PID=${PIDS[-1]}
sleep 4 # quiet, as after a resume: the game is not told the server is back
hear_shots pulse-after
end_game
stop_server "$PULSE_PID"

echo "== PipeWire and its PulseAudio service restarted under a running game"
start_pipewire
enter_field
hear_shots pipewire-before
stop_server "${PIPEWIRE_PIDS[@]}"
sleep 2
start_pipewire
sleep 4
hear_shots pipewire-after
end_game
stop_server "${PIPEWIRE_PIDS[@]}"

echo "== a game started before its sound server"
export PULSE_RUNTIME_PATH="$WORK/pulse" XDG_RUNTIME_DIR="$WORK/runtime"
export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
rm -rf "$PULSE_RUNTIME_PATH"
enter_field
start_pulse
hear_shots late-server
end_game
echo "every shot was heard"
