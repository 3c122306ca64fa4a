#!/usr/bin/env bash
# The install: one program folder with the executable, its wave files and alsoft.conf, a
# relative bin/ link to it, a valid desktop entry and metainfo under one id, and the icon at
# every size. Started through the link, the game keeps its settings in the program folder;
# where that folder cannot be written, they go to the player's own ~/.config/deskwreck.
source "$(dirname "$0")/lib.sh"

ID=org.example.Deskwreck
PREFIX="$WORK/prefix"
FOLDER="$PREFIX/lib/deskwreck"
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$WORK/install.log" || fail "install failed"

for name in deskwreck shoot.wav dart.wav love.wav succ.wav guit.wav alsoft.conf; do
    [ -f "$FOLDER/$name" ] || fail "lib/deskwreck/$name is missing"
done
[ -x "$FOLDER/deskwreck" ] || fail "the executable is not executable"
[ -L "$PREFIX/bin/deskwreck" ] || fail "bin/deskwreck is not a link"
[ "$(readlink "$PREFIX/bin/deskwreck")" = ../lib/deskwreck/deskwreck ] ||
    fail "bin/deskwreck points at $(readlink "$PREFIX/bin/deskwreck")"
cmp -s "$FOLDER/shoot.wav" "$SOURCE_DIR/resources/sounds/shoot.wav" || fail "shoot.wav differs"

for size in 16 32 48 64 128 256; do
    icon="$PREFIX/share/icons/hicolor/${size}x$size/apps/$ID.png"
    [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x$size" ] || fail "icon $size is wrong"
done

desktop="$PREFIX/share/applications/$ID.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
grep -qx 'Name=Deskwreck!' "$desktop" || fail "desktop entry name"
grep -qx "Icon=$ID" "$desktop" || fail "desktop entry icon"
grep -qx 'Categories=Game;ActionGame;' "$desktop" || fail "desktop entry categories"
grep -qx "Exec=\"$PREFIX/bin/deskwreck\"" "$desktop" || fail "desktop entry does not start bin/"
metainfo="$PREFIX/share/metainfo/$ID.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
grep -q "<id>$ID</id>" "$metainfo" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$metainfo" ||
    fail "metainfo launchable"
grep -q '<release version="2.0"' "$metainfo" || fail "metainfo release"

start_x 1024 768

# Through the link: the login window comes up, and Escape cancels it.
"$PREFIX/bin/deskwreck" >"$WORK/game.log" 2>&1 &
GAME_PID=$!
press_until Escape "$(wait_window Login)" game_ended
wait_exit
echo "started through bin/deskwreck; Escape ended it"

wait_gone() { # wait_gone NAME: no mapped window has that name any more
    wait_for 60 window_gone "$1" || fail "the window $1 is still there"
}

# dismiss NAME: Return on the window until it has gone.
dismiss() {
    local box
    box=$(wait_window "$1")
    key_when_focused Return "$box" window_gone "$1" || fail "Return left $1 open"
}

# change_password: login, start screen, play field, Backspace, a password typed twice, Change;
# the message is dismissed and the dialog closed. Runs the game with the command given.
change_password() {
    "$@" >"$WORK/game.log" 2>&1 &
    GAME_PID=$!
    press_until Return "$(wait_window Login)" window_gone Login
    press_until Return "$(wait_window 'Deskwreck!')" window_shown Form1
    local field
    field=$(wait_window Form1)
    press_until BackSpace "$field" window_shown 'Deskwreck! Settings'
    local dialog
    dialog=$(wait_window 'Deskwreck! Settings')
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    xdotool type --delay 50 secret
    xdotool key Tab
    xdotool type --delay 50 secret
    xdotool key Tab space
    dismiss OK
    kill -0 "$GAME_PID" || fail "the game died after the password change"
    xdotool mousemove --window "$dialog" 56 428 click 1 # Close
    wait_gone 'Deskwreck! Settings'
    xdotool mousemove 600 500 click 3 || true
    wait_exit
}

change_password "$PREFIX/bin/deskwreck"
[ -f "$FOLDER/MEAS.DAT" ] || fail "the password was not stored in the program folder"
[ ! -e "$PREFIX/bin/MEAS.DAT" ] || fail "the password went beside the link"
[ "$(wc -l <"$FOLDER/MEAS.DAT")" -eq 12 ] || fail "MEAS.DAT does not hold 12 lines"
[ "$(stat -c %a "$FOLDER/MEAS.DAT")" = 600 ] || fail "MEAS.DAT is readable by others"
echo "the settings went into the program folder"

# A folder the player cannot write, as after an install for every user: the player's folder.
rm "$FOLDER/MEAS.DAT"
PLAYER_HOME="$WORK/player"
mkdir -p "$PLAYER_HOME"
mkdir -m 700 "$PLAYER_HOME/runtime"
player_env=(env -u XDG_CONFIG_HOME HOME="$PLAYER_HOME" XDG_RUNTIME_DIR="$PLAYER_HOME/runtime")
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$WORK"
    chown -R nobody:nogroup "$PLAYER_HOME"
    change_password setpriv --reuid=nobody --regid=nogroup --clear-groups \
        "${player_env[@]}" "$PREFIX/bin/deskwreck"
else
    chmod a-w "$FOLDER"
    change_password "${player_env[@]}" "$PREFIX/bin/deskwreck"
    chmod u+w "$FOLDER"
fi
[ ! -e "$FOLDER/MEAS.DAT" ] || fail "the password was written into a read-only folder"
[ "$(wc -l <"$PLAYER_HOME/.config/deskwreck/MEAS.DAT")" -eq 12 ] ||
    fail "the password is not in the player's folder"
[ "$(stat -c %a "$PLAYER_HOME/.config/deskwreck")" = 700 ] || fail "the player's folder is not 0700"
echo "a read-only program folder: the password went to the player's folder"
