#!/usr/bin/env bash
# tools/screenshots.sh [BUILD]: the README's pictures. Installs the built game into a folder of
# its own, runs it under Xvfb over a sample desktop, plays a little with xdotool and saves
# docs/login.png, docs/start.png, docs/playfield.png and docs/settings.png.
set -euo pipefail
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=$(cd "${1:-build}" && pwd)
export SOURCE_DIR BUILD_DIR
source "$SOURCE_DIR/tests/e2e/lib.sh"

DOCS="$SOURCE_DIR/docs"
SCREEN_WIDTH=1280
SCREEN_HEIGHT=800
TARGET_BLUE='#4e4eff' # the built-in photograph's background

# sample_desktop FILE WIDTH HEIGHT: a wallpaper with a few windows, icons and a task bar.
sample_desktop() {
    local out=$1 w=$2 h=$3 font=DejaVu-Sans mono=DejaVu-Sans-Mono bar=$(( $3 - 40 ))
    convert -size "${w}x${h}" -define gradient:angle=135 gradient:'#1d4e6e-#7a5c8e' \
        -fill '#ffffff14' -draw "circle $((w*3/4)),$((h/3)) $((w*3/4+260)),$((h/3))" \
        -fill '#ffffff0c' -draw "circle $((w/5)),$((h*4/5)) $((w/5+200)),$((h*4/5))" \
        \
        -fill '#00000055' -draw "roundrectangle 566,166 1016,486 6,6" \
        -fill '#f4f4f4' -draw "roundrectangle 560,160 1010,480 6,6" \
        -fill '#3b6ea5' -draw "roundrectangle 560,160 1010,188 6,6" -draw "rectangle 560,180 1010,188" \
        -fill white -font $font -pointsize 14 -draw "text 572,179 'Quarterly report.txt - Editor'" \
        -fill '#e05050' -draw "circle 994,174 999,174" \
        -fill '#333333' -pointsize 13 \
        -draw "text 576,214 'Quarterly report'" \
        -draw "text 576,240 'Sales are up 3% on last quarter. Costs are up 4%.'" \
        -draw "text 576,260 'The coffee machine is broken again.'" \
        -draw "text 576,280 'Meetings this week: 14. Decisions made: 0.'" \
        -draw "text 576,310 'Action items:'" \
        -draw "text 590,330 '- schedule a meeting about the meetings'" \
        -draw "text 590,350 '- fix the printer (again)'" \
        -draw "text 590,370 '- find out who keeps changing the wallpaper'" \
        \
        -fill '#00000055' -draw "roundrectangle 756,426 1216,676 6,6" \
        -fill '#1e1e1e' -draw "roundrectangle 750,420 1210,670 6,6" \
        -fill '#444444' -draw "roundrectangle 750,420 1210,446 6,6" -draw "rectangle 750,440 1210,446" \
        -fill '#dddddd' -pointsize 13 -draw "text 762,438 'Terminal'" \
        -fill '#7fd46f' -font $mono -pointsize 13 \
        -draw "text 762,470 'player@desk:~\$ make test'" \
        -draw "text 762,490 '100% tests passed, 0 tests failed'" \
        -draw "text 762,510 'player@desk:~\$ uptime'" \
        -draw "text 762,530 ' 16:58 up 41 days, load average: 0.00'" \
        -draw "text 762,550 'player@desk:~\$ _'" \
        \
        -fill '#00000055' -draw "roundrectangle 536,526 716,696 6,6" \
        -fill '#fff7b0' -draw "roundrectangle 530,520 710,690 4,4" \
        -fill '#5a4a00' -font $font -pointsize 15 \
        -draw "text 546,552 'TO DO'" -pointsize 13 \
        -draw "text 546,580 '* answer 212 e-mails'" \
        -draw "text 546,602 '* water the plant'" \
        -draw "text 546,624 '* take a break'" \
        \
        -fill '#e8b84a' -draw "roundrectangle 40,180 96,224 4,4" -draw "roundrectangle 40,172 66,184 3,3" \
        -fill '#e8b84a' -draw "roundrectangle 40,290 96,334 4,4" -draw "roundrectangle 40,282 66,294 3,3" \
        -fill '#f0f0f0' -draw "rectangle 46,400 90,454" -fill '#9aa' -draw "rectangle 52,412 84,414" \
        -draw "rectangle 52,422 84,424" -draw "rectangle 52,432 78,434" \
        -fill '#bcd' -draw "roundrectangle 44,510 92,556 6,6" -fill '#678' -draw "rectangle 52,548 84,552" \
        -fill white -font $font -pointsize 12 \
        -draw "text 38,244 'Documents'" -draw "text 40,354 'Pictures'" \
        -draw "text 34,474 'budget.txt'" -draw "text 40,576 'Recycle'" \
        \
        -fill '#20242ae8' -draw "rectangle 0,$bar $w,$h" \
        -fill '#3b6ea5' -draw "roundrectangle 8,$((bar+6)) 90,$((h-6)) 4,4" \
        -fill white -pointsize 14 -draw "text 26,$((bar+26)) 'Menu'" \
        -fill '#ffffff30' -draw "roundrectangle 100,$((bar+6)) 300,$((h-6)) 4,4" \
        -draw "roundrectangle 308,$((bar+6)) 460,$((h-6)) 4,4" \
        -fill white -pointsize 12 -draw "text 112,$((bar+25)) 'Quarterly report.txt'" \
        -draw "text 320,$((bar+25)) 'Terminal'" \
        -pointsize 14 -draw "text $((w-60)),$((bar+26)) '16:58'" \
        "$out"
}

# sample_pictures FOLDER: bitmaps for the settings dialog's file list.
sample_pictures() {
    mkdir -p "$1"
    convert -size 160x110 gradient:'#ffb347-#ff5e62' \
        -fill '#fff3a0' -draw 'circle 80,70 80,50' \
        -fill '#1f4e79' -draw 'rectangle 0,78 160,110' \
        -fill '#2f6ea9' -draw 'rectangle 0,86 160,90' "BMP3:$1/holiday.bmp"
    convert -size 120x150 xc:'#e9f1e4' -fill '#8d5a2b' -draw 'polygon 40,150 80,150 90,110 30,110' \
        -fill '#3c8d40' -draw 'ellipse 60,70 40,45 0,360' -fill '#58b05c' -draw 'ellipse 50,60 18,24 0,360' \
        "BMP3:$1/office-plant.bmp"
    convert -size 140x100 plasma:'#5a7fb0-#c8d8f0' "BMP3:$1/clouds.bmp"
}

# geometry_of WINDOW MARGIN: the window's rectangle grown by the margin, clipped to the screen,
# as a crop geometry.
geometry_of() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    local left=$((X - $2)) top=$((Y - $2)) right=$((X + WIDTH + $2)) bottom=$((Y + HEIGHT + $2))
    ((left < 0)) && left=0
    ((top < 0)) && top=0
    ((right > SCREEN_WIDTH)) && right=$SCREEN_WIDTH
    ((bottom > SCREEN_HEIGHT)) && bottom=$SCREEN_HEIGHT
    echo "$((right - left))x$((bottom - top))+$left+$top"
}

# save NAME [CROP]: the screen, or a part of it, as docs/NAME.png, small.
save() {
    local shot="$WORK/$1-full.png"
    screenshot "$shot"
    if [ -n "${2:-}" ]; then convert "$shot" -crop "$2" +repage "$shot"; fi
    convert "$shot" -strip -define png:compression-level=9 "$DOCS/$1.png"
    echo "docs/$1.png: $(identify -format '%wx%h' "$DOCS/$1.png"), $(($(stat -c %s "$DOCS/$1.png") / 1024)) KiB"
}

# target_box: where the target is now, as "WIDTHxHEIGHT+LEFT+TOP" of its photograph's background.
target_box() {
    screenshot "$WORK/find.png"
    # The banner's blue letters have edges of that colour too: the banner frame is left out.
    convert "$WORK/find.png" -alpha off -fill black -draw 'rectangle 0,0 480,125' \
        -fuzz 3% -fill black +opaque "$TARGET_BLUE" -fill white -opaque "$TARGET_BLUE" \
        -format '%@' info:
}

# hit_target X%,Y%...: waits for the target's next jump, so it stays put for the clicks after it,
# then fires at each point, given in percent of the photograph's size.
hit_target() {
    local before box
    before=$(target_box)
    for _ in $(seq 20); do
        box=$(target_box)
        [ "$box" != "$before" ] && break
        sleep 0.1
    done
    local w=${box%%x*} rest=${box#*x}
    local h=${rest%%+*} left=${rest#*+}
    local top=${left#*+}
    left=${left%%+*}
    for point in "$@"; do
        xdotool mousemove $((left + w * ${point%,*} / 100)) $((top + h * ${point#*,} / 100)) click 1
        sleep 0.2
    done
}

# fire KEY X,Y...: chooses the weapon and fires it at each point.
fire() {
    xdotool key --window "$FIELD" "$1"
    shift
    for point in "$@"; do
        xdotool mousemove "${point%,*}" "${point#*,}" click 1
        sleep 0.25
    done
}

mkdir -p "$DOCS"
start_x "$SCREEN_WIDTH" "$SCREEN_HEIGHT"
sample_desktop "$WORK/desktop.png" "$SCREEN_WIDTH" "$SCREEN_HEIGHT"
display -window root "$WORK/desktop.png" &
PIDS+=($!)
sample_pictures "$WORK/Pictures"
cmake --install "$BUILD_DIR" --prefix "$WORK/prefix" >/dev/null
sleep 1

# The settings dialog's lists open on the game's current folder.
(cd "$WORK/Pictures" && exec "$WORK/prefix/bin/deskwreck") >"$WORK/game.log" 2>&1 &
GAME_PID=$!

login=$(wait_window Login)
sleep 0.5
xdotool type --delay 40 player
xdotool key Tab
xdotool type --delay 40 secret
sleep 0.3
save login "$(geometry_of "$login" 70)"
xdotool key --window "$login" Return 2>/dev/null || true

start=$(wait_window 'Deskwreck!')
sleep 1
save start "$(geometry_of "$start" 50)"
xdotool key --window "$start" Return 2>/dev/null || true

FIELD=$(wait_window Form1)
sleep 0.5
# The slowest speed: the target sits still for three seconds at a time.
for _ in $(seq 40); do xdotool key --window "$FIELD" minus; done

fire 1 650,262 860,334
hit_target 20,15 75,60
fire 2 612,610 1090,250
hit_target 60,20 25,75
fire 4 905,560 70,205
hit_target 70,85 15,45
fire 3 760,235 1000,600 330,420
hit_target 45,35 80,30 35,60
# Back to the speed it started at, for the speed label.
for _ in $(seq 40); do xdotool key --window "$FIELD" equal; done
xdotool mousemove 640 700
sleep 0.3
save playfield

xdotool key --window "$FIELD" BackSpace
settings=$(wait_window 'Deskwreck! Settings')
sleep 0.5
# The first bitmap in the file list, previewed with its size.
xdotool mousemove --window "$settings" 260 112 click 1
sleep 0.5
save settings "$(geometry_of "$settings" 40)"
xdotool mousemove --window "$settings" 56 428 click 1 # Close
sleep 0.5
xdotool mousemove 300 400 click 3 || true
wait_exit 5
