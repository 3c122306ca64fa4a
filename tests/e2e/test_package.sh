#!/usr/bin/env bash
# The Debian package: lintian finds neither error nor warning in it. Installed by apt without its
# recommendations into a Debian 12 system of its own, it starts under Xvfb: the login dialog
# shows. Its own files, unpacked into a folder owned by root and started by a player who cannot
# write there, keep that player's picture (in a folder named in Cyrillic) and caption in
# ~/.config/deskwreck across a restart, and the program folder stays as it was unpacked.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/playfield.sh"

cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$WORK/package" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$WORK"/package/deskwreck_*_"$(dpkg --print-architecture)".deb)
echo "package: ${deb##*/}"
lintian --fail-on error,warning "$deb" >"$WORK/lintian.log" 2>&1 ||
    { grep -v 'running with root privileges' "$WORK/lintian.log" >&2; fail "lintian reports errors or warnings"; }
echo "depends: $(dpkg-deb -f "$deb" Depends)"
echo "recommends: $(dpkg-deb -f "$deb" Recommends)"

# The system: Debian 12's minimal base and the packages the .deb depends on, installed without
# their recommendations, made once and kept outside the clone; each run installs into a copy.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi
}
chroot_tool=$SOURCE_DIR/tools/debian-chroot.sh
mapfile -t depends < <(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/|.*//; s/(.*)//' |
    awk 'NF { print $1 }' | sort -u)
system=$(as_root "$chroot_tool" make package-test "${depends[@]}") ||
    fail "no Debian 12 system to install the package into (this part needs root, or sudo without a password)"
as_root cp -a "$system" "$WORK/system"
as_root cp "$deb" "$WORK/system/tmp.deb"
as_root "$chroot_tool" enter "$WORK/system" -- env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends /tmp.deb >"$WORK/chroot-apt.log" 2>&1 ||
    { cat "$WORK/chroot-apt.log" >&2; fail "apt cannot install the package on Debian 12"; }
installed=$(as_root chroot "$WORK/system" dpkg-query -W -f='${Status}' deskwreck)
[ "$installed" = "install ok installed" ] || fail "deskwreck is not installed in the system: $installed"

start_x 1024 768
as_root "$chroot_tool" enter "$WORK/system" --bind /tmp/.X11-unix:/tmp/.X11-unix -- sh -c '
    mkdir -m 700 /tmp/player && chown 65534:65534 /tmp/player
    exec setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH=/usr/bin:/bin \
        HOME=/tmp/player DISPLAY="$1" deskwreck' sh "$DISPLAY" >"$WORK/chroot-game.log" 2>&1 &
GAME_PID=$!
wait_for 60 window_shown Login ||
    { cat "$WORK/chroot-game.log" >&2; fail "the installed game shows no login dialog"; }
press_until Escape "$WINDOW_ID" game_ended
wait_exit
echo "installed without recommendations on Debian 12, the game started and showed its login dialog"

ROOT="$WORK/root"
FOLDER="$ROOT/usr/lib/deskwreck"
dpkg-deb -x "$deb" "$ROOT"
[ "$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/org.example.Deskwreck.desktop |
    grep '^Exec=')" = Exec=deskwreck ] || fail "the package's menu entry does not start deskwreck from the PATH"
PLAYER_HOME="$WORK/player"
SETTINGS="$PLAYER_HOME/.config/deskwreck"
mkdir -p "$PLAYER_HOME"
mkdir -m 700 "$PLAYER_HOME/runtime"
chmod 755 "$WORK"
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$PLAYER_HOME"
    player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod -R a-w "$FOLDER"
    trap 'E2E_STATUS=$?; chmod -R u+w "$FOLDER"; cleanup' EXIT
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
    env -u XDG_CONFIG_HOME HOME="$PLAYER_HOME" XDG_RUNTIME_DIR="$PLAYER_HOME/runtime" \
        "${player[@]}" "$ROOT/usr/bin/deskwreck" >"$WORK/game.log" 2>&1 &
    GAME_PID=$!
}

# target_shown SCREENSHOT: the screen shows the target's picture whole (PINK is where), once a
# screenshot does.
target_shown() {
    screenshot "$1"
    PINK=$(convert "$1" -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' -format '%@' info:)
    [ "${PINK%%+*}" = 120x73 ]
}
# caption_strip SCREENSHOT OUT: the 17 rows of caption under the target's pink, 120 wide.
caption_strip() {
    wait_for 60 target_shown "$1" || fail "the target does not show the picked bitmap ($PINK)"
    echo "target's pink: $PINK"
    convert "$1" -crop "$(echo "$PINK" | awk -F'[x+]' '{ printf "120x17+%d+%d\n", $3, $4 + $2 }')" \
        +repage "$2"
}
dark_pixels() { convert "$1" -colorspace gray -threshold 40% -negate -format '%[fx:int(mean*w*h)]' info:; }

enter_field
press_until BackSpace "$(wait_window Form1)" window_shown 'Deskwreck! Settings'
dialog=$(wait_window 'Deskwreck! Settings')
window_geometry "$dialog"
click_in_dialog() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }
click_in_dialog 240 112 # pink.bmp, the only file
click_in_dialog 60 236  # "Set Image"
wait_for 60 test -e "$SETTINGS/PICNAM.DAT" || fail "Set Image wrote no PICNAM.DAT"
# xdotool types a letter its keyboard map lacks through a key it maps for that letter alone and
# maps back at once; a game that reads the key late, on a busy machine, reads another letter. So
# the caption is typed again until the file holds it (and then checked byte for byte below).
caption_typed() {
    click_in_dialog 236 385 # the caption box
    xdotool key ctrl+a
    xdotool type --delay 30 'Привет'
    xdotool key Return
    wait_for 60 window_shown 'Caption Set' || return 1
    key_when_focused Return "$WINDOW_ID" window_gone 'Caption Set' || fail "Return left Caption Set open"
    printf '"Привет"\r\n' | cmp -s - "$SETTINGS/caption.dat"
}
for attempt in 1 2 3 4 5; do caption_typed && break; done
echo "the caption typed in $attempt attempt(s)"
click_until $((X + 56)) $((Y + 428)) window_gone 'Deskwreck! Settings' || # "Close"
    fail "Close did not close the dialog"
caption_strip "$WORK/first.png" "$WORK/first-caption.png"
xdotool mousemove 900 20 click 3 || true
wait_exit

printf '"%s/pink.bmp"\r\n' "$PICTURES" | cmp - "$SETTINGS/PICNAM.DAT" ||
    fail "PICNAM.DAT in the player's folder is not the bitmap's path in UTF-8"
printf '1800\r\n1350\r\n' | cmp - "$SETTINGS/PICDIM.DAT" || fail "PICDIM.DAT is not the bitmap's size"
printf '"Привет"\r\n' | cmp - "$SETTINGS/caption.dat" || fail "caption.dat is not the caption in UTF-8"
[ "$(stat -c %a "$SETTINGS")" = 700 ] || fail "the player's folder is not 0700"
echo "the settings went to the player's folder"

# A new run reads them back: the same picture, the same caption under it.
enter_field
caption_strip "$WORK/second.png" "$WORK/second-caption.png"
xdotool mousemove 900 20 click 3 || true
wait_exit
dark=$(dark_pixels "$WORK/second-caption.png")
changed=$(differing_pixels "$WORK/first-caption.png" "$WORK/second-caption.png" 120x17+0+0)
echo "caption after the restart: $dark dark pixels, $changed differing from the first run's"
[ "$dark" -gt 20 ] || fail "the target shows no caption"
[ "$changed" -eq 0 ] || fail "the target's caption differs after the restart"

program_folder_state | cmp -s - "$WORK/folder-before" || fail "the program folder changed"
echo "the program folder is as it was unpacked"
