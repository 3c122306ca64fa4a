#!/usr/bin/env bash
# The Debian package: lintian finds no error in it and apt resolves what it depends on. Its own
# files, unpacked into a folder owned by root and started by a player who cannot write there,
# keep that player's picture (in a folder named in Cyrillic) and caption in ~/.config/deskwreck
# across a restart, and the program folder stays as it was unpacked.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$WORK/package" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$WORK"/package/deskwreck_*_"$(dpkg --print-architecture)".deb)
echo "package: ${deb##*/}"
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"
apt-get install --simulate "$deb" >"$WORK/apt.log" 2>&1 || { cat "$WORK/apt.log" >&2; fail "apt cannot install the package"; }
grep -q '^Inst deskwreck ' "$WORK/apt.log" || fail "apt would not install deskwreck"

ROOT="$WORK/root"
FOLDER="$ROOT/usr/lib/deskwreck"
dpkg-deb -x "$deb" "$ROOT"
[ "$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/org.example.Deskwreck.desktop |
    grep '^Exec=')" = Exec=deskwreck ] || fail "the package's menu entry does not start deskwreck from the PATH"
PLAYER_HOME="$WORK/home"
SETTINGS="$PLAYER_HOME/.config/deskwreck"
mkdir -p "$PLAYER_HOME"
chmod 755 "$WORK"
if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$PLAYER_HOME"
    player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod -R a-w "$FOLDER"
    trap 'chmod -R u+w "$FOLDER"; cleanup' EXIT
    player=()
fi
# Every name, mode, size and byte of the program folder.
program_folder_state() {
    (cd "$FOLDER" && find . -printf '%p %m %s %T@\n' | sort && find . -type f -exec sha256sum {} + | sort)
}
program_folder_state >"$WORK/folder-before"

# The dialog's lists open on the game's current folder.
PICTURES="$WORK/Фото"
mkdir -p "$PICTURES"
convert -size 120x90 xc:'#ff00ff' "BMP3:$PICTURES/pink.bmp"
chmod -R a+rX "$PICTURES"
cd "$PICTURES"
start_game() {
    env -u XDG_CONFIG_HOME HOME="$PLAYER_HOME" "${player[@]}" "$ROOT/usr/bin/deskwreck" \
        >"$WORK/game.log" 2>&1 &
    GAME_PID=$!
}

# caption_strip SCREENSHOT OUT: the 17 rows of caption under the target's visible pink, 120 wide.
caption_strip() {
    local box
    box=$(convert "$1" -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' -format '%@' info:)
    echo "target's pink: $box" >&2
    [ "${box%%+*}" = 120x73 ] || fail "the target does not show the picked bitmap ($box)"
    echo "$box" | awk -F'[x+]' '{ printf "120x17+%d+%d\n", $3, $4 + $2 }' | {
        read -r strip
        convert "$1" -crop "$strip" +repage "$2"
    }
}
dark_pixels() { convert "$1" -colorspace gray -threshold 40% -negate -format '%[fx:int(mean*w*h)]' info:; }

start_x 1024 768
enter_field
xdotool key BackSpace
dialog=$(wait_window 'Deskwreck! Settings')
eval "$(xdotool getwindowgeometry --shell "$dialog")"
click_in_dialog() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.5; }
click_in_dialog 240 112 # pink.bmp, the only file
click_in_dialog 60 236  # "Set Image"
click_in_dialog 236 385 # the caption box
xdotool key ctrl+a
xdotool type --delay 30 'Привет'
xdotool key Return
confirmation=$(wait_window 'Caption Set')
xdotool key --window "$confirmation" Return || true
sleep 0.5
click_in_dialog 56 428 # "Close"
sleep 1.5
screenshot "$WORK/first.png"
caption_strip "$WORK/first.png" "$WORK/first-caption.png"
xdotool mousemove 900 20 click 3 || true
wait_exit 3

printf '"%s/pink.bmp"\r\n' "$PICTURES" | cmp - "$SETTINGS/PICNAM.DAT" ||
    fail "PICNAM.DAT in the player's folder is not the bitmap's path in UTF-8"
printf '1800\r\n1350\r\n' | cmp - "$SETTINGS/PICDIM.DAT" || fail "PICDIM.DAT is not the bitmap's size"
printf '"Привет"\r\n' | cmp - "$SETTINGS/caption.dat" || fail "caption.dat is not the caption in UTF-8"
[ "$(stat -c %a "$SETTINGS")" = 700 ] || fail "the player's folder is not 0700"
echo "the settings went to the player's folder"

# A new run reads them back: the same picture, the same caption under it.
enter_field
sleep 1
screenshot "$WORK/second.png"
caption_strip "$WORK/second.png" "$WORK/second-caption.png"
xdotool mousemove 900 20 click 3 || true
wait_exit 3
dark=$(dark_pixels "$WORK/second-caption.png")
changed=$(differing_pixels "$WORK/first-caption.png" "$WORK/second-caption.png" 120x17+0+0)
echo "caption after the restart: $dark dark pixels, $changed differing from the first run's"
[ "$dark" -gt 20 ] || fail "the target shows no caption"
[ "$changed" -eq 0 ] || fail "the target's caption differs after the restart"

program_folder_state | cmp -s - "$WORK/folder-before" || fail "the program folder changed"
echo "the program folder is as it was unpacked"
