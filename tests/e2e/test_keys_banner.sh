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
wait_banner_frame 60 || fail "the banner never shows a banner frame"
# Watched for two whole cycles, often enough to see every sliding frame.
"$BUILD_DIR/tests/region_watch" "$BANNER_PICTURE" 20 >"$WORK/banner-looks" ||
    fail "could not watch the banner"
seen=()
held=()
while read -r at sum _ next_at; do
    frame=${FRAME_OF[$sum]:-}
    # A look taken while a frame was being painted is half old, half new, and soon gone.
    if [ -z "$frame" ]; then
        awk -v a="$at" -v b="${next_at:-1e9}" 'BEGIN { exit !(b - a < 0.5) }' ||
            fail "the banner shows what is no banner frame from $at s on"
        continue
    fi
    [ "${#seen[@]}" -gt 0 ] && [ "${seen[-1]}" = "$frame" ] && continue
    seen+=("$frame")
    held+=("$at")
done < <(awk 'NR > 1 { print previous, $1 } { previous = $0 } END { print previous }' "$WORK/banner-looks")
echo "banner frames seen: ${seen[*]}"
# Forward through the cycle, never back; every frame where a message stands whole holds for
# two seconds, the others for a tenth of one.
distinct=$(printf '%s\n' "${seen[@]}" | sort -u | wc -l)
[ "$distinct" -ge 5 ] || fail "only $distinct banner frames in 20 s"
for pause in 5 11 16; do
    printf '%s\n' "${seen[@]}" | grep -qx "$pause" || fail "frame $pause never showed"
done
slides=0
longest=0
for i in $(seq 1 $((${#seen[@]} - 1))); do
    step=$(((seen[i] - seen[i - 1] + 16) % 16))
    [ "$step" -le 6 ] || fail "the banner went from frame ${seen[i - 1]} back to ${seen[i]}"
    shown=$(awk -v a="${held[i - 1]}" -v b="${held[i]}" 'BEGIN { print b - a }')
    awk -v s="$shown" 'BEGIN { exit !(s < 1) }' && slides=$((slides + 1))
    longest=$(awk -v l="$longest" -v s="$shown" 'BEGIN { print (s > l ? s : l) }')
done
echo "frames shown for less than a second: $slides; the longest shown: $longest s"
[ "$slides" -ge 3 ] || fail "the banner does not slide"
awk -v l="$longest" 'BEGIN { exit !(l > 1.5) }' || fail "the banner never pauses"

# --- The weapon keys ---
record_sink_start "$WORK/shots.raw"

GUN_X=512
previous_strip=
# gun_shown SCREENSHOT: the strip shows the launcher GUN, and the desktop around it.
gun_shown() { boxes_agree "$(changed_box "$WORK/desktop.png" "$1" $STRIP_REGION)" "$GUN"; }
SHOT_READY=gun_shown
# weapon_key KEY WEAPON LAUNCHER Y: the key, then a move straight down at the same x, which
# redraws the gun in its place, then a shot on the target once the launcher shows.
weapon_key() {
    local key=$1 weapon=$2 launcher=$3 y=$4
    GUN=$(gun_box "$launcher" $GUN_X)
    xdotool key "$key"
    shoot "key$key" $GUN_X "$y"
    expect_box "launcher $launcher after key $key" \
        "$(changed_box "$WORK/desktop.png" "$WORK/before-key$key.png" $STRIP_REGION)" "$GUN"
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
    expect_shot_sound "weapon ${WEAPON_AT[i]} shot" "$WORK/shots.raw" "$i"
    expect_shot_wave "weapon ${WEAPON_AT[i]} shot" "$WORK/shots.raw" "$i" "${WAVE[${WEAPON_AT[i]}]}"
done

xdotool mousemove 700 50 click 3 || true
wait_exit
echo "a right click on the desktop ended the game"
