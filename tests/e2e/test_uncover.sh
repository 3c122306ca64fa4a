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
wait_for 60 target_jumped || fail "the target never jumped into the room"
banner_frames
wait_banner_frame 60 || fail "the banner never shows a banner frame"
# The banner, watched from here on, so that no look of it is missed however busy the machine.
"$BUILD_DIR/tests/region_watch" "$BANNER_PICTURE" 600 >"$WORK/banner-looks" &
PIDS+=($!)

# The cover: a plain window over the banner and the target's top left.
COVER=500x400+0+0
convert -size "${COVER%%+*}" xc:cyan "$WORK/cover.png"
CYAN_BANNER=$(convert -size "${BANNER_PICTURE%%+*}" xc:cyan rgb:- | md5sum | cut -d' ' -f1)
UNDER_COVER=500x279+0+121 # the target's part of it
BESIDE_COVER=524x603+500+121

# A mark beside the cover, then three under it.
settled_screenshot "$WORK/unmarked.png"
xdotool mousemove 850 200 click 1
MARK_BESIDE=$(mark_box 3 850 200)
mark_beside_shown() {
    screenshot "$WORK/clean.png"
    boxes_agree "$(changed_box "$WORK/unmarked.png" "$WORK/clean.png" $BESIDE_COVER)" "$MARK_BESIDE"
}
wait_for 60 mark_beside_shown || fail "the hit beside the cover left no mark where it belongs"
settled_screenshot "$WORK/clean.png"
for at in "120 200" "300 330" "450 380"; do xdotool mousemove $at click 1; done
# All three hits under the cover show: they span from the first's top left to the last's bottom
# right, cut at the cover's edges.
read -r x0 y0 _ _ < <(mark_box 3 120 200)
read -r _ _ x1 y1 < <(mark_box 3 450 380)
HITS="$x0 $y0 $((x1 < 499 ? x1 : 499)) $((y1 < 399 ? y1 : 399))"
hits_shown() {
    settled_screenshot "$WORK/marked.png"
    boxes_agree "$(changed_box "$WORK/clean.png" "$WORK/marked.png" $UNDER_COVER)" "$HITS"
}
wait_for 60 hits_shown || fail "the hits left no marks where they belong (marked.png)"

# cover_and_uncover: maps the cover, takes it away once it shows, and takes a screenshot once the
# game has repainted what it uncovered; UNCOVERED_AT is when it went.
cover_and_uncover() {
    local cover
    display -geometry "$COVER" -title cover "$WORK/cover.png" &
    cover=$!
    wait_for 60 cover_shown || fail "the cover does not show"
    UNCOVERED_AT=$(date +%s.%N)
    kill "$cover"
    wait "$cover" 2>/dev/null || true
    wait_for 60 cover_gone || fail "the cover left a trace (uncovered.png)"
}
cover_shown() {
    screenshot "$WORK/covered.png"
    [ "$(pixel "$WORK/covered.png" 200 300)" = 0,255,255 ]
}
cover_gone() {
    screenshot "$WORK/uncovered.png"
    [ "$(pixel "$WORK/uncovered.png" 200 300)" != 0,255,255 ]
}

# banner_now: BANNER_FRAME is the frame of the watcher's last look ("" for none), since BANNER_SINCE.
banner_now() {
    local sum=
    BANNER_FRAME=
    read -r BANNER_SINCE sum _ < <(tail -n 1 "$WORK/banner-looks") || return 1
    BANNER_FRAME=${FRAME_OF[$sum]:-}
}
pausing() { [ "$BANNER_FRAME" = 5 ] || [ "$BANNER_FRAME" = 11 ] || [ "$BANNER_FRAME" = 16 ]; }
sliding() { banner_now && [ -n "$BANNER_FRAME" ] && ! pausing; }
paused() { banner_now && pausing; }
# first_look_after_cover: the banner's first look after UNCOVERED_AT that is not the cover's cyan,
# as "blank", "frame N" or "other", once there is one.
first_look_after_cover() {
    local time sum uniform
    while read -r time sum uniform; do
        awk -v t="$time" -v u="$UNCOVERED_AT" 'BEGIN { exit !(t >= u) }' || continue
        [ "$sum" = "$CYAN_BANNER" ] && continue
        if [ "$uniform" = 1 ]; then FIRST_LOOK=blank
        elif [ -n "${FRAME_OF[$sum]:-}" ]; then FIRST_LOOK="frame ${FRAME_OF[$sum]}"
        else FIRST_LOOK=other
        fi
        FIRST_LOOK_AT=$time
        return 0
    done <"$WORK/banner-looks"
    return 1
}

# Uncovered within one of the banner's two-second pauses, the banner must show blank before its
# next frame; a tick that came before the game could repaint leaves the attempt undecided.
for attempt in $(seq 10); do
    wait_for 60 sliding || fail "the banner does not slide"
    wait_for 60 paused || fail "the banner does not pause"
    pause_frame=$BANNER_FRAME
    cover_and_uncover
    wait_for 60 first_look_after_cover || fail "the banner was never seen after the cover went"
    echo "uncovered $(awk -v a="$BANNER_SINCE" -v b="$UNCOVERED_AT" 'BEGIN { printf "%.2f", b - a }') s" \
        "into the pause on frame $pause_frame; the banner then showed: $FIRST_LOOK"
    [ "$FIRST_LOOK" = "frame $pause_frame" ] && fail "the uncovered banner is not blank"
    [ "$FIRST_LOOK" = blank ] && break
done
[ "$FIRST_LOOK" = blank ] || fail "the banner's next tick came before every repaint"

settled_screenshot "$WORK/uncovered.png"
[ "$(differing_pixels "$WORK/clean.png" "$WORK/uncovered.png" $UNDER_COVER)" = 0 ] ||
    fail "marks came back on the uncovered target, or the cover left a trace (uncovered.png)"
[ "$(differing_pixels "$WORK/marked.png" "$WORK/uncovered.png" $BESIDE_COVER)" = 0 ] ||
    fail "the marks beside the cover changed"

# frame_after_blank: a banner frame has shown since the blank look.
frame_after_blank() {
    awk -v b="$FIRST_LOOK_AT" '$1 > b { print $2 }' "$WORK/banner-looks" | while read -r sum; do
        [ -n "${FRAME_OF[$sum]:-}" ] && { echo "${FRAME_OF[$sum]}"; break; }
    done | grep -q .
}
wait_for 60 frame_after_blank || fail "the banner stayed blank past its next tick"
echo "the banner shows a frame again"
xdotool mousemove 900 20 click 3 || true
wait_exit
