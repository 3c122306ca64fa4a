#!/usr/bin/env bash
# The weapon keys and the banner on a real X server with real keys: the banner picture shows
# the banner frames, one after the other, pausing where a message stands whole; each key 1 to 4
# puts its launcher in the gun strip under the pointer, with the desktop around it, and makes the
# next shot leave its own mark and play its own sound; "5" changes nothing; a right click on the
# desktop ends the game.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

start_x $SCREEN_W $SCREEN_H
start_pulse
install_game
big_target
paint_desktop ${SCREEN_W}x${SCREEN_H}
enter_field

# --- The banner ---
banner_frames
# What the banner drew before the play field showed is gone: it stays blank until the next tick.
wait_banner_frame 2.5 || fail "no banner frame 2.5 s after the play field showed"
seen=()
times=()
started=$(date +%s.%N)
while awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { exit !(b - a < 8.5) }'; do
    sum=$(banner_look)
    # A look taken while a frame was being painted is half old, half new: look again.
    [ -n "${FRAME_OF[$sum]:-}" ] || { sleep 0.03; sum=$(banner_look); }
    [ -n "${FRAME_OF[$sum]:-}" ] || fail "the banner shows what is no banner frame (banner.png)"
    seen+=("${FRAME_OF[$sum]}")
    times+=("$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')")
    sleep 0.1
done
echo "banner frames seen: ${seen[*]}"
# Forward through the cycle, never back; every frame where a message stands whole holds for
# about two seconds, so all three show; the sliding frames change faster than we look.
distinct=$(printf '%s\n' "${seen[@]}" | sort -u | wc -l)
[ "$distinct" -ge 5 ] || fail "only $distinct banner frames in 8.5 s"
for pause in 5 11 16; do
    printf '%s\n' "${seen[@]}" | grep -qx "$pause" || fail "frame $pause never showed"
done
slides=0
longest=0
run_start=0
for i in $(seq 1 $((${#seen[@]} - 1))); do
    [ "${seen[i]}" = "${seen[i - 1]}" ] && continue
    step=$(((seen[i] - seen[i - 1] + 16) % 16))
    [ "$step" -le 6 ] || fail "the banner went from frame ${seen[i - 1]} back to ${seen[i]}"
    awk -v a="${times[i - 1]}" -v b="${times[i]}" 'BEGIN { exit !(b - a < 0.3) }' &&
        slides=$((slides + 1))
    longest=$(awk -v l="$longest" -v a="${times[run_start]}" -v b="${times[i - 1]}" \
        'BEGIN { print (b - a > l ? b - a : l) }')
    run_start=$i
done
echo "changes between close looks: $slides; longest still look: $longest s"
[ "$slides" -ge 3 ] || fail "the banner does not slide"
awk -v l="$longest" 'BEGIN { exit !(l > 1.5) }' || fail "the banner never pauses"

# --- The weapon keys ---
record_sink_start "$WORK/shots.raw"
recording_clock_start
sleep 2.5 # the null sink holds back the start of a new recording

GUN_X=512
previous_strip=
# weapon_key KEY WEAPON LAUNCHER Y: the key, then a move straight down at the same x, which
# redraws the gun in its place, then a shot on the target.
weapon_key() {
    local key=$1 weapon=$2 launcher=$3 y=$4
    xdotool key "$key"
    shoot "key$key" $GUN_X "$y"
    expect_box "launcher $launcher after key $key" \
        "$(changed_box "$WORK/desktop.png" "$WORK/before-key$key.png" $STRIP_REGION)" \
        "$(gun_box "$launcher" $GUN_X)"
    if [ -n "$previous_strip" ]; then
        strip_change=$(differing_pixels "$previous_strip" "$WORK/before-key$key.png" $STRIP_REGION)
        echo "strip pixels changed by key $key: $strip_change"
        if [ "$weapon" = "$PREVIOUS_WEAPON" ]; then
            [ "$strip_change" = 0 ] || fail "key $key changed the launcher"
        else
            [ "$strip_change" -gt 100 ] || fail "key $key did not change the launcher"
        fi
    fi
    previous_strip="$WORK/before-key$key.png"
    PREVIOUS_WEAPON=$weapon
    expect_box "mark of weapon $weapon" "$(changed "key$key" $FIELD_REGION)" \
        "$(mark_box "$weapon" $GUN_X "$y")"
    WEAPON_AT[SHOTS - 1]=$weapon
}
weapon_key 1 1 9 200
weapon_key 2 2 8 300
weapon_key 4 4 6 400
weapon_key 5 4 6 500 # "5" does nothing: still suction cups
weapon_key 3 3 5 600
record_sink_stop

declare -A WAVE=([1]=dart [2]=love [3]=shoot [4]=succ)
for i in $(seq 0 $((SHOTS - 1))); do
    expect_sound "weapon ${WEAPON_AT[i]} shot" "$WORK/shots.raw" "${SHOT_AT[i]}"
    expect_wave "weapon ${WEAPON_AT[i]} shot" "$WORK/shots.raw" "${SHOT_AT[i]}" \
        "${WAVE[${WEAPON_AT[i]}]}"
done

xdotool mousemove 700 50 click 3 || true
wait_exit 3
echo "a right click on the desktop ended the game"
