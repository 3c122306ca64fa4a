#!/usr/bin/env bash
# Shots on a real X server with real clicks: a shot on the desktop leaves the shotgun's bullet
# hole pulled up and left of the click and keeps the score at 0 or takes 100 off; a shot on the
# target marks the target there and adds 100; the middle button fires like the left; every shot's
# sound reaches the sound server; Space wipes the target's marks, not the desktop's, and resets
# the score; a right click on the target ends the game.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

start_x $SCREEN_W $SCREEN_H
start_pulse
install_game
big_target
paint_desktop ${SCREEN_W}x${SCREEN_H}
enter_field

# A field entered within a second of loading shows the target before its first jump.
wait_for 60 target_jumped || fail "the target never jumped into the room"
record_sink_start "$WORK/shots.raw"
settled_screenshot "$WORK/start.png"
[ "$(differing_pixels "$WORK/start.png" "$WORK/desktop.png" $BESIDE_FRAME)" = 0 ] ||
    fail "the play field beside the banner frame is not the desktop"
[ "$(pixel "$WORK/start.png" 500 400)" = "255,0,255" ] || fail "the target does not fill the room"
quiet_until=$(recording_position)

score_looks_like() { [ "$(differing_pixels "$1" "$2" $SCORE_LABEL)" = 0 ]; }

shoot miss1 700 50
expect_box "bullet hole on the desktop" "$(changed miss1 $BESIDE_FRAME)" "$(mark_box 3 700 50)"
[ "$(changed miss1 $FIELD_REGION)" = none ] || fail "a shot on the desktop changed the target"
score_looks_like "$WORK/after-miss1.png" "$WORK/start.png" || fail "a miss at 0 changed the score"

shoot hit1 300 400
expect_box "bullet hole on the target" "$(changed hit1 $FIELD_REGION)" "$(mark_box 3 300 400)"
[ "$(changed hit1 $BESIDE_FRAME)" = none ] || fail "a hit marked the desktop"
score_looks_like "$WORK/after-hit1.png" "$WORK/start.png" && fail "a hit did not change the score"

shoot hit2 700 500
expect_box "second hole on the target" "$(changed hit2 $FIELD_REGION)" "$(mark_box 3 700 500)"
score_looks_like "$WORK/after-hit2.png" "$WORK/after-hit1.png" && fail "200 reads like 100"
score_looks_like "$WORK/after-hit2.png" "$WORK/start.png" && fail "200 reads like 0"

# The middle button fires as the left one does; the miss takes 200 back to 100.
shoot miss2 900 60 2
expect_box "middle-button hole on the desktop" "$(changed miss2 $BESIDE_FRAME)" \
    "$(mark_box 3 900 60)"
score_looks_like "$WORK/after-miss2.png" "$WORK/after-hit1.png" || fail "200 - 100 is not 100"

# restarted: the target is as clean as at the start.
restarted() {
    screenshot "$WORK/restarted.png"
    [ "$(changed_box "$WORK/start.png" "$WORK/restarted.png" $FIELD_REGION)" = none ]
}
xdotool key space
wait_for 60 restarted || fail "Space left marks on the target"
record_sink_stop
settled_screenshot "$WORK/restarted.png"
read -r ax0 ay0 _ _ < <(mark_box 3 700 50)
read -r _ _ bx1 by1 < <(mark_box 3 900 60)
expect_box "desktop marks after Space" \
    "$(changed_box "$WORK/desktop.png" "$WORK/restarted.png" $BESIDE_FRAME)" "$ax0 $ay0 $bx1 $by1"
score_looks_like "$WORK/restarted.png" "$WORK/start.png" || fail "Space did not reset the score"

quiet=$(peak_amplitude "$WORK/shots.raw" 0.5 "$(awk -v t="$quiet_until" 'BEGIN { print t - 0.5 }')")
echo "before the first shot: peak $quiet"
awk -v p="$quiet" 'BEGIN { exit !(p < 0.01) }' || fail "sound before any shot"
for i in $(seq 0 $((SHOTS - 1))); do
    expect_shot_sound "shot $((i + 1)) at ${SHOT_AT[i]} s" "$WORK/shots.raw" "$i"
done

xdotool mousemove 500 400 click 3 || true
wait_exit
echo "a right click on the target ended the game"
