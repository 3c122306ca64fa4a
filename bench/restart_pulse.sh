#!/usr/bin/env bash
# restart_pulse.sh WORK: stops the PulseAudio server that run_bench.sh started (its id in
# WORK/pulse.pid) and starts it again as lib.sh's start_pulse does; returns once it answers.
set -euo pipefail
work=$1
old=$(cat "$work/pulse.pid")
kill "$old"
# Gone once it no longer answers (it may stay a zombie until run_bench.sh reaps it).
for _ in $(seq 100); do pactl info >/dev/null 2>&1 || break; sleep 0.05; done
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false \
    -F "$work/default.pa" --use-pid-file=no >>"$work/pulse.log" 2>&1 </dev/null &
echo $! >"$work/pulse.pid"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && exit 0; sleep 0.1; done
exit 1
