# Helpers for the end-to-end tests of the play field on a 1024x768 screen at 96 dpi (15 twips a
# pixel): a target that fills the room, where marks and launchers must appear, and where they do.
# Sourced after lib.sh.

SCREEN_W=1024
SCREEN_H=768
SPRITES="$SOURCE_DIR/resources/imagelist1"
# The gun strip: a quarter of the shotgun launcher's HIMETRIC height, as twips, at the bottom.
STRIP_H=44
STRIP_TOP=724

# A solid magenta target as wide as the screen and too tall to move down: every jump leaves it at
# x 0, just below the banner frame (y 1815 twips = 121 px), covering rows 121..723.
big_target() {
    convert -size 1024x603 xc:magenta "BMP3:$GAME_DIR/magenta.bmp"
    printf '"%s"\r\n' "$GAME_DIR/magenta.bmp" >"$GAME_DIR/picnam.dat"
    printf '15360\r\n9045\r\n' >"$GAME_DIR/picdim.dat"
    printf '"Hit me"\r\n' >"$GAME_DIR/caption.dat"
}

# target_jumped: the big target has made its first jump, a second after the play field loaded.
# Until then it stands where the form puts it, over the strip, with the room's corner bare.
target_jumped() {
    screenshot "$WORK/target-now.png"
    [ "$(pixel "$WORK/target-now.png" 2 122)" = "255,0,255" ] &&
        [ "$(pixel "$WORK/target-now.png" 512 740)" != "255,0,255" ]
}

# Through the login dialog and the start screen to the play field, once it shows.
enter_field() {
    screenshot "$WORK/before-game.png"
    start_game
    press_until Return "$(wait_window Login)" window_gone Login
    press_until Return "$(wait_window 'Deskwreck!')" field_shown
}

# Rounds a positive number to the nearest whole one (the values here are never halves).
round() { awk -v v="$1" 'BEGIN { printf "%d", int(v + 0.5) }'; }
himetric() { round "$(awk -v p="$1" 'BEGIN { print p * 2540 / 96 }')"; }
sprite_size() { identify -format '%w %h\n' "$SPRITES/$1.bmp"; }

# opaque_box IMAGE: "x0 y0 x1 y1" of the sprite's pixels that are not mask blue, once the sprite is
# squashed into the list's cell (the first image's size), relative to the cell's corner.
opaque_box() {
    local cell geometry
    cell=$(identify -format '%wx%h' "$SPRITES/1.bmp")
    geometry=$(convert "$SPRITES/$1.bmp" -transparent blue -resize "$cell!" -format '%@' info:)
    box_of "$geometry"
}

# mark_box WEAPON X Y: where the weapon's mark must show for a shot at screen pixel (X, Y). The
# shot point is pulled up and left by floor(W / dx) and floor(H / dy) twips, W and H being the
# HIMETRIC size of the weapon's size image; darts hang from the shot point itself.
mark_box() {
    local weapon=$1 x=$2 y=$3 size dx dy w h left top
    case $weapon in
    1) size=0 ;;
    2) size=2 dx=3 dy=3 ;;
    3) size=3 dx=3.5 dy=4.5 ;;
    4) size=3 dx=5.5 dy=6.5 ;;
    esac
    left=$x top=$y
    if [ "$size" != 0 ]; then
        read -r w h < <(sprite_size "$size")
        left=$(round "$(awk -v x="$x" -v w="$(himetric "$w")" -v d="$dx" \
            'BEGIN { v = x * 15 - int(w / d); print (v < 0 ? 0 : v) / 15 }')")
        top=$(round "$(awk -v y="$y" -v h="$(himetric "$h")" -v d="$dy" \
            'BEGIN { v = y * 15 - int(h / d); print (v < 0 ? 0 : v) / 15 }')")
    fi
    shift_box "$(opaque_box "$weapon")" "$left" "$top"
}

# gun_box IMAGE X: where the launcher must show in the strip with the pointer at pixel column X,
# its left edge floor(W / 4.5) twips left of the pointer, cut at the strip's bottom edge.
gun_box() {
    local image=$1 x=$2 w left x0 y0 x1 y1
    read -r w _ < <(sprite_size "$image")
    left=$(round "$(awk -v x="$x" -v w="$(himetric "$w")" 'BEGIN { print (x * 15 - int(w / 4.5)) / 15 }')")
    read -r x0 y0 x1 y1 < <(shift_box "$(opaque_box "$image")" "$left" "$STRIP_TOP")
    [ "$y1" -lt $((STRIP_TOP + STRIP_H)) ] || y1=$((STRIP_TOP + STRIP_H - 1))
    echo "$x0 $y0 $x1 $y1"
}

shift_box() {
    echo "$1" | awk -v dx="$2" -v dy="$3" '{ printf "%d %d %d %d\n", $1 + dx, $2 + dy, $3 + dx, $4 + dy }'
}

# changed_box A B REGION: "x0 y0 x1 y1" around every pixel that differs between the two screenshots
# inside REGION (WxH+X+Y), or "none".
changed_box() {
    local count geometry
    convert "$1" -crop "$3" +repage "$WORK/box-a.png"
    convert "$2" -crop "$3" +repage "$WORK/box-b.png"
    count=$(compare -metric AE "$WORK/box-a.png" "$WORK/box-b.png" -compose src \
        -highlight-color white -lowlight-color black "$WORK/box-mask.png" 2>&1 || true)
    [ "${count%% *}" = 0 ] && { echo none; return; }
    # A white border makes the trimmed box relative to the padded crop: undo both.
    geometry=$(convert "$WORK/box-mask.png" -bordercolor black -border 1 -format '%@' info:)
    shift_box "$(box_of "$geometry")" $(($(box_of "$3" | cut -d' ' -f1) - 1)) \
        $(($(box_of "$3" | cut -d' ' -f2) - 1))
}

# expect_box WHAT ACTUAL EXPECTED: the two boxes agree within 2 pixels on every edge (scaling
# blends a sprite's edge pixels a little differently in the game and here).
expect_box() {
    echo "$1: changed $2, expected $3"
    [ "$2" != none ] || fail "$1: nothing changed"
    boxes_agree "$2" "$3" || fail "$1 is not where it belongs"
}
boxes_agree() {
    awk -v a="$1" -v e="$2" 'BEGIN {
        split(a, p, " "); split(e, q, " ")
        if (a == "none") exit 1
        for (i = 1; i <= 4; i++) if (p[i] - q[i] > 2 || q[i] - p[i] > 2) exit 1
    }'
}

# The play field below the banner frame and above the strip, and beside the frame (below the top
# row, which keeps the background colour).
FIELD_REGION=1024x603+0+121
BESIDE_FRAME=551x120+473+1
STRIP_REGION=1024x44+0+724
SCORE_LABEL=113x25+8+80
BANNER_PICTURE=455x55+9+17

# banner_frames: FRAME_OF maps the checksum of what the banner picture shows of each of the 16
# frames, drawn unscaled from the box's inside corner and cut at its edges, to the frame's number.
declare -A FRAME_OF
banner_frames() {
    local bw bh i sum
    read -r bw bh < <(echo "${BANNER_PICTURE%%+*}" | tr x ' ')
    for i in $(seq 16); do
        sum=$(convert "$SOURCE_DIR/resources/imagelist2/$i.bmp" -crop "${bw}x${bh}+0+0" +repage \
            rgb:- | md5sum | cut -d' ' -f1)
        FRAME_OF[$sum]=$i
    done
}
banner_look() { # the checksum of what the banner picture shows now, kept in banner.png
    import -window root -crop "$BANNER_PICTURE" +repage "$WORK/banner.png"
    convert "$WORK/banner.png" rgb:- | md5sum | cut -d' ' -f1
}
# wait_banner_frame SECONDS: the banner shows a whole frame within that time; BANNER_FRAME is it.
wait_banner_frame() {
    local until sum
    until=$(awk -v t="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.3f", now + t }')
    while awk -v u="$until" -v now="$(date +%s.%N)" 'BEGIN { exit !(now < u) }'; do
        sum=$(banner_look)
        BANNER_FRAME=${FRAME_OF[$sum]:-}
        [ -n "$BANNER_FRAME" ] && return 0
        sleep 0.05
    done
    return 1
}

# Seconds since the recording started by the wall clock, and expect_sound WHAT FILE FROM: something
# loud reached the sink from FROM seconds on, within 0.9 s. (A busy machine delays the start of a
# recording by more than that: shoot and expect_shot_sound go by the recording's own length.)
recording_clock_start() { RECORDING_T0=$(date +%s.%N); }
recording_clock() { awk -v a="$RECORDING_T0" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }
expect_sound() {
    local peak
    peak=$(peak_amplitude "$2" "$(awk -v t="$3" 'BEGIN { print (t > 0.2 ? t - 0.2 : 0) }')" 0.9)
    echo "$1: peak $peak"
    awk -v p="$peak" 'BEGIN { exit !(p > 0.05) }' || fail "$1: no sound reached the sound server"
}

SHOTS=0 # the shots so far; SHOT_AT holds where in the recording each was fired
SHOT_READY=true
# shoot NAME X Y [BUTTON]: the pointer goes there, and the screenshot before the shot is taken once
# SHOT_READY, a command given that screenshot, holds. After the click the shot's sound has come
# and gone, so that each shot has a stretch of the recording to itself, and the screen has
# settled for the screenshot after.
shoot() {
    xdotool mousemove "$2" "$3"
    wait_for 60 ready_to_shoot "$WORK/before-$1.png" || fail "$1: the screen was not ready for it"
    SHOT_AT[SHOTS]=$(recording_position)
    SHOTS=$((SHOTS + 1))
    xdotool click "${4:-1}"
    wait_for 60 sound_since "${SHOT_AT[SHOTS - 1]}" || fail "$1: no sound reached the sound server"
    wait_for 60 quiet_now || fail "$1: its sound did not end"
    settled_screenshot "$WORK/after-$1.png"
}
ready_to_shoot() { screenshot "$1" && $SHOT_READY "$1"; }
changed() { changed_box "$WORK/before-$1.png" "$WORK/after-$1.png" "$2"; }
# shot_sound I: "FROM [LENGTH]", the stretch of the recording that belongs to shot I.
shot_sound() {
    echo "${SHOT_AT[$1]}" "$(awk -v a="${SHOT_AT[$1]}" -v b="${SHOT_AT[$1 + 1]:-}" \
        'BEGIN { if (b != "") print b - a }')"
}
# expect_shot_sound WHAT FILE I: something loud reached the sink in shot I's stretch of the
# recording.
expect_shot_sound() {
    local peak
    peak=$(peak_amplitude "$2" $(shot_sound "$3"))
    echo "$1: peak $peak"
    awk -v p="$peak" 'BEGIN { exit !(p > 0.05) }' || fail "$1: no sound reached the sound server"
}

# rough_frequency FROM [LENGTH] SOX_INPUT...: sox's zero-crossing estimate over the first 0.3 s of
# sound in that stretch of the input ("" for LENGTH: to its end).
rough_frequency() {
    local from=$1 length=$2
    shift 2
    sox "$@" -n trim "$from" ${length:+"$length"} remix - silence 1 0.005 2% trim 0 0.3 stat 2>&1 |
        awk '/Rough/ {print $3}'
}

# expect_shot_wave WHAT FILE I WAVE: of the four weapons' waves, the sound in shot I's stretch of
# the recording is nearest in pitch to WAVE.
expect_shot_wave() {
    local heard nearest= stretch
    read -r -a stretch < <(shot_sound "$3")
    heard=$(rough_frequency "${stretch[0]}" "${stretch[1]:-}" \
        -t raw -r 44100 -e signed -b 16 -c 2 "$2")
    for wave in dart love shoot succ; do
        echo "$wave $(rough_frequency 0 1 "$GAME_DIR/$wave.wav")"
    done >"$WORK/pitches"
    nearest=$(awk -v h="$heard" '{ d = $2 - h; if (d < 0) d = -d; if (best == "" || d < best) { best = d; name = $1 } }
        END { print name }' "$WORK/pitches")
    echo "$1: pitch $heard Hz, nearest $nearest ($(tr '\n' ' ' <"$WORK/pitches"))"
    [ "$nearest" = "$4" ] || fail "$1 sounds like $nearest.wav, not $4.wav"
}
