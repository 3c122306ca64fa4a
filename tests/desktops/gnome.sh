# GNOME Shell 43 for the desktop runs, sourced after common.sh: a headless session in a Debian 12
# chroot (gnome-session.sh), seen and driven from outside through the shell's own calls in unsafe
# mode: Eval for its state and for a virtual keyboard and pointer of mutter's, Screenshot for
# pictures of the monitor. The game runs as a Wayland client or through XWayland.

GNOME_PACKAGES=(gnome-shell mutter xdg-desktop-portal xdg-desktop-portal-gnome xwayland dbus
                dbus-x11 dbus-user-session gnome-settings-daemon gnome-session-bin
                gsettings-desktop-schemas dconf-gsettings-backend dconf-service pipewire
                wireplumber libgl1-mesa-dri adwaita-icon-theme libglib2.0-bin python3-dbus)
# Mutter offers scale 2 only where the monitor stays at least 800x480 logical pixels.
MONITOR_W=1600
MONITOR_H=1000

# start_gnome: the session, its wallpaper a picture of the monitor's size.
start_gnome() {
    local root
    root=$(desktop_chroot gnome "${GNOME_PACKAGES[@]}" "${GAME_PACKAGES[@]}")
    mkdir -p "$WORK/bin" "$WORK/shots"
    cp "$SOURCE_DIR"/tests/desktops/gnome-session.sh "$SOURCE_DIR"/tests/desktops/gnome-scale.py \
        "$WORK/bin/"
    desktop_picture ${MONITOR_W}x$MONITOR_H "$WORK/desktop.png"
    chown $PLAYER_UID:$PLAYER_UID "$WORK/shots"
    start_desktop "$root" bash "$WORK/bin/gnome-session.sh" "$WORK" ${MONITOR_W}x$MONITOR_H
    SCALE=1
}

# gnome_scale SCALE: the monitor at that scale from now on.
gnome_scale() {
    echo "GNOME: $(in_session python3 "$WORK/bin/gnome-scale.py" "$1")"
    SCALE=$1
}

# shell_eval JS: the value of JS in GNOME Shell, as JSON.
shell_eval() {
    local reply
    reply=$(in_session gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1")
    [[ $reply == "(true, '"* ]] || fail "GNOME Shell could not evaluate $1: $reply"
    reply=${reply#"(true, '"}
    echo "${reply%"')"}"
}

# The virtual devices live in the shell's JavaScript context from their first use on.
INPUT_JS='(() => {
    const Clutter = imports.gi.Clutter;
    if (!globalThis.deskwreckInput) {
        const seat = Clutter.get_default_backend().get_default_seat();
        globalThis.deskwreckInput = {
            keyboard: seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE),
            pointer: seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE),
        };
    }
    return globalThis.deskwreckInput;
})()'
NOW_JS='imports.gi.GLib.get_monotonic_time()'

# gnome_keys KEY...: presses and releases each key (a keysym name, or one character). Qt's
# Wayland client loses the first key a new keyboard sends it, so a Shift goes first.
gnome_keys() {
    local key keyvals=(0xffe1)
    for key in "$@"; do
        case $key in
        Return) keyvals+=(0xff0d) ;;
        Tab) keyvals+=(0xff09) ;;
        Escape) keyvals+=(0xff1b) ;;
        ?) keyvals+=("$(printf '%d' "'$key")") ;;
        *) fail "no keysym for $key" ;;
        esac
    done
    shell_eval "{ const keyboard = $INPUT_JS.keyboard, Clutter = imports.gi.Clutter;
        for (const keyval of [$(IFS=,; echo "${keyvals[*]}")]) {
            keyboard.notify_keyval($NOW_JS, keyval, Clutter.KeyState.PRESSED);
            keyboard.notify_keyval($NOW_JS, keyval, Clutter.KeyState.RELEASED);
        } }" >/dev/null
}

# gnome_type TEXT: the characters of TEXT, each as a key.
gnome_type() {
    local text=$1 keys=() i
    for ((i = 0; i < ${#text}; i++)); do keys+=("${text:i:1}"); done
    gnome_keys "${keys[@]}"
}

# gnome_click X Y [BUTTON]: the pointer to that pixel of the monitor and a click there (Clutter's
# buttons: 1 left, 3 right).
gnome_click() {
    shell_eval "{ const pointer = $INPUT_JS.pointer, Clutter = imports.gi.Clutter;
        pointer.notify_absolute_motion($NOW_JS, $1, $2);
        pointer.notify_button($NOW_JS, ${3:-1}, Clutter.ButtonState.PRESSED);
        pointer.notify_button($NOW_JS, ${3:-1}, Clutter.ButtonState.RELEASED); }" >/dev/null
}

# gnome_move X Y: the pointer to that pixel of the monitor.
gnome_move() {
    shell_eval "$INPUT_JS.pointer.notify_absolute_motion($NOW_JS, $1, $2)" >/dev/null
}

# gnome_shot FILE: the monitor's device pixels, without the pointer.
gnome_shot() {
    local name
    name=$(basename "$1")
    in_session gdbus call --session --dest org.gnome.Shell.Screenshot \
        --object-path /org/gnome/Shell/Screenshot --method org.gnome.Shell.Screenshot.Screenshot \
        false false "$WORK/shots/$name" >/dev/null
    mv "$WORK/shots/$name" "$1"
}

focused_title() { shell_eval 'global.display.focus_window?.get_title() ?? null'; }
window_shown() { shell_eval 'global.get_window_actors().map(a => a.meta_window.get_title())' | grep -qF "\"$1\""; }
focused() { [ "$(focused_title)" = "\"$1\"" ]; }
focused_any() { local title; for title in "$@"; do focused "$title" && return 0; done; return 1; }
# GNOME's question about screenshots is a modal dialog of the shell, with the screen dimmed.
question_shown() { [ "$(shell_eval 'imports.ui.main.modalCount > 0')" = true ]; }
question_gone() { ! question_shown; }

# start_game PLATFORM: the game as a Wayland client (wayland) or through XWayland (xcb).
GAME_ARGS=() # Qt's own options for the game, as -stylesheet FILE
start_game() {
    in_session env QT_QPA_PLATFORM="$1" "$GAME_DIR/deskwreck" "${GAME_ARGS[@]}" \
        >"$WORK/game.log" 2>&1 &
    GAME_PID=$!
    wait_for "no login dialog" 60 window_shown Login
}

# login_by_keys: a name typed into the login and Return, then Return on the start screen once
# it has the focus; prints the time from OK to the start screen.
login_by_keys() {
    local ok
    wait_for "the login dialog has not the keyboard focus" 30 focused Login
    gnome_type player
    ok=$(date +%s.%N)
    gnome_keys Return
    # In about one run in ten the start screen never came: Return again while the login still
    # holds the focus 20 s on, and say what had the focus if it still does not come.
    local attempt deadline
    for attempt in 1 2; do
        deadline=$((SECONDS + 20))
        until focused 'Deskwreck!' || [ $SECONDS -ge $deadline ]; do sleep 0.2; done
        focused Login && { echo "Return again: the login kept the focus" >&2; gnome_keys Return; }
    done
    focused 'Deskwreck!' || echo "focused after OK: $(focused_title)" >&2
    wait_for "no start screen with the keyboard focus after OK" 80 focused 'Deskwreck!'
    echo "OK to start screen: $(awk -v a="$ok" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f s", b - a }')"
    gnome_keys Return
    wait_for "no play field after Start" 60 focused Form1
}

# field_shows_desktop NAME FUZZ MINIMUM: waits until the field, in $WORK/field-NAME.png, matches
# the desktop picture taken before the game to MINIMUM %, and prints the match.
field_shows_desktop() {
    local deadline=$((SECONDS + 60)) match
    while :; do
        gnome_shot "$WORK/field-$1.png"
        match=$(field_match "$WORK/field-$1.png" "$WORK/desktop-shot.png" "$GAME_SCALE" "$2")
        at_least "$match" "$3" && break
        [ $SECONDS -lt $deadline ] || fail "$1: the play field shows the desktop to $match %, not $3 %"
        sleep 0.5
    done
    echo "$1: the play field matches the desktop to $match % (fuzz $2)"
}

# shoot_at X Y: a left click there, and a wait until the pixels around it change.
shoot_at() {
    gnome_shot "$WORK/before-shot.png"
    gnome_click "$1" "$2"
    wait_for "the shot at $1,$2 left no mark" 30 changed_around "$1" "$2"
}
changed_around() {
    gnome_shot "$WORK/after-shot.png"
    [ "$(differing_pixels "$WORK/before-shot.png" "$WORK/after-shot.png" \
        "60x60+$(($1 - 30))+$(($2 - 30))")" -gt 0 ]
}

# gun_follows_pointer: a pointer move over the field brings the launcher into the gun strip
# along the bottom of the monitor (the bottom 44 of the game's pixels).
gun_follows_pointer() {
    gnome_move $((MONITOR_W / 2 - 100)) $((MONITOR_H / 2))
    gnome_move $((MONITOR_W / 2)) $((MONITOR_H / 2))
    wait_for "no launcher in the gun strip at the bottom of the screen" 30 changed_in \
        "${MONITOR_W}x$((44 * GAME_SCALE))+0+$((MONITOR_H - 44 * GAME_SCALE))"
}
changed_in() {
    gnome_shot "$WORK/strip.png"
    [ "$(differing_pixels "$WORK/strip.png" "$WORK/desktop-shot.png" "$1")" -gt 0 ]
}

# end_game: a right click on the field ends the game. A game once went on running after it:
# then what the screen showed and where each of its threads stood are kept.
end_game() {
    gnome_click 700 500 3
    game_ends_within 30 || { keep_stuck_game; fail "the game is still running after a right click"; }
    wait "$GAME_PID" || true
}

# pictures_since FILE: picture files in the player's home newer than FILE.
pictures_since() {
    find "$WORK/home" -type f -newer "$1" \( -iname '*.png' -o -iname '*.jpg' -o -iname '*.jpeg' \
        -o -iname '*.bmp' -o -iname '*.webp' \)
}

# click_ok: a left click on the login's OK button (495, 1020 twips, 1140 x 390, at 15 twips a
# pixel), wherever GNOME put the dialog.
click_ok() {
    local client
    client=$(shell_eval '(() => { const w = global.get_window_actors().map(a => a.meta_window)
        .find(w => w.get_title() === "Login"); const r = w.frame_rect_to_client_rect(w.get_frame_rect());
        return [r.x, r.y]; })()')
    client=${client#[} client=${client%]}
    gnome_click $((${client%,*} + 71 * GAME_SCALE)) $((${client#*,} + 81 * GAME_SCALE))
}

# The game's id as GNOME tells it, and the desktop entry GNOME matched its window to.
focused_app_id() { shell_eval 'global.display.focus_window.get_wm_class()'; }
focused_app() {
    shell_eval 'imports.gi.Shell.WindowTracker.get_default().get_window_app(global.display.focus_window)?.get_id() ?? null'
}

# install_desktop_entry: the game's desktop entry, as an install puts it, in the player's home.
install_desktop_entry() {
    mkdir -p "$WORK/home/.local/share/applications"
    sed "s|@DESKWRECK_EXEC@|$GAME_DIR/deskwreck|" "$SOURCE_DIR/data/org.example.Deskwreck.desktop.in" \
        >"$WORK/home/.local/share/applications/org.example.Deskwreck.desktop"
    chown -R $PLAYER_UID:$PLAYER_UID "$WORK/home"
}

# forget_answer: the player's answer to GNOME's question is forgotten, as before a first run.
forget_answer() {
    in_session gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
        --object-path /org/freedesktop/impl/portal/PermissionStore \
        --method org.freedesktop.impl.portal.PermissionStore.DeletePermission \
        screenshot screenshot '' >/dev/null
}

# grant_screenshots ANSWER: the player's answer to GNOME's question, as the portal stores it,
# for a program whose id the portal cannot tell (every program started in this session).
grant_screenshots() {
    in_session gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
        --object-path /org/freedesktop/impl/portal/PermissionStore \
        --method org.freedesktop.impl.portal.PermissionStore.SetPermission \
        screenshot true screenshot '' "['$1']" >/dev/null
}
game_ends_within() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$GAME_PID" 2>/dev/null; do
        [ $SECONDS -lt "$deadline" ] || return 1
        sleep 0.2
    done
}
keep_stuck_game() {
    local pid
    gnome_shot "$WORK/stuck.png" || true
    pid=$(pgrep -f "^$GAME_DIR/deskwreck" | head -n 1)
    [ -z "$pid" ] || gdb -p "$pid" -batch -ex "set sysroot /proc/$pid/root" \
        -ex 'thread apply all bt' >"$WORK/stuck-threads.txt" 2>&1 || true
}
