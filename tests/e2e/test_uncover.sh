#!/usr/bin/env bash
# What the game draws on the target and the banner lasts only until the window system repaints
# them: a window mapped over part of the target and the banner and taken away again leaves the
# target's picture there without its marks, and the banner blank until its next frame; marks
# that were not covered stay.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

start_x $SCREEN_W $SCREEN_H
install_game
big_target
paint_desktop ${SCREEN_W}x${SCREEN_H}
enter_field
banner_frames
wait_banner_frame 2.5 || fail "no banner frame 2.5 s after the play field showed"

# The cover: a plain window over the banner and the target's top left.
COVER=500x400+0+0
convert -size "${COVER%%+*}" xc:cyan "$WORK/cover.png"
UNDER_COVER=500x279+0+121 # the target's part of it
BESIDE_COVER=524x603+500+121

# A mark beside the cover, then three under it.
for at in "850 200" clean "120 200" "300 330" "450 380"; do
    [ "$at" = clean ] && { screenshot "$WORK/clean.png"; continue; }
    xdotool mousemove $at click 1
    sleep 0.3
done
screenshot "$WORK/marked.png"
[ "$(differing_pixels "$WORK/clean.png" "$WORK/marked.png" $UNDER_COVER)" -gt 300 ] ||
    fail "the hits left no marks"

# cover_and_uncover: maps the cover, takes it away once it shows, and takes a screenshot at once.
cover_and_uncover() {
    local cover
    display -geometry "$COVER" -title cover "$WORK/cover.png" &
    cover=$!
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name '^cover$' >/dev/null 2>&1 && break
        sleep 0.02
    done
    sleep 0.2
    screenshot "$WORK/covered.png"
    [ "$(pixel "$WORK/covered.png" 200 300)" = 0,255,255 ] || fail "the cover does not show"
    kill "$cover"
    wait "$cover" 2>/dev/null || true
    sleep 0.1
    screenshot "$WORK/uncovered.png"
}

pausing() { [ "$BANNER_FRAME" = 5 ] || [ "$BANNER_FRAME" = 11 ] || [ "$BANNER_FRAME" = 16 ]; }
# Uncovered within one of the banner's two-second pauses, so the next tick is still to come.
for attempt in 1 2 3; do
    # A sliding frame, then the pause frame after it.
    for _ in $(seq 100); do wait_banner_frame 1 && ! pausing && break; done
    for _ in $(seq 200); do wait_banner_frame 1 && pausing && break; done
    paused=$(date +%s.%N)
    cover_and_uncover
    took=$(awk -v a="$paused" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
    echo "covered and uncovered within $took s of the pause's start"
    awk -v t="$took" 'BEGIN { exit !(t < 1.8) }' && break
    BANNER_FRAME=
done
awk -v t="$took" 'BEGIN { exit !(t < 1.8) }' || fail "could not uncover within a banner pause"

[ "$(differing_pixels "$WORK/clean.png" "$WORK/uncovered.png" $UNDER_COVER)" = 0 ] ||
    fail "marks came back on the uncovered target, or the cover left a trace (uncovered.png)"
[ "$(differing_pixels "$WORK/marked.png" "$WORK/uncovered.png" $BESIDE_COVER)" = 0 ] ||
    fail "the marks beside the cover changed"
colours=$(convert "$WORK/uncovered.png" -crop "$BANNER_PICTURE" +repage -format '%k' info:)
echo "colours in the uncovered banner: $colours"
[ "$colours" = 1 ] || fail "the uncovered banner is not blank (uncovered.png)"

wait_banner_frame 2.2 || fail "the banner stayed blank past its next tick"
echo "the banner shows frame $BANNER_FRAME again"
xdotool mousemove 900 20 click 3 || true
wait_exit 3
