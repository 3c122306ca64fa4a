#!/usr/bin/env bash
# Start after start on GNOME Shell 43, as a Wayland client and through XWayland, with a login and
# start screen painted magenta: no field holds any of either, each matching the desktop as it was
# before the game; and the time from the login's going to the start screen's coming, as GNOME
# Shell saw them, beside the desktop portal's bare round trip in the same session.
# DESKTOP_STARTS starts each way: 1 by default, 20 for the full proof.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/gnome.sh"

STARTS=${DESKTOP_STARTS:-1}
install_game
tiny_target
cp "$BUILD_DIR/bench/portal_round_trip" "$GAME_DIR/"
echo 'QDialog { background-color: #ff00ff; }' >"$GAME_DIR/magenta.qss"
GAME_ARGS=(-stylesheet "$GAME_DIR/magenta.qss")
start_gnome
grant_screenshots yes
GAME_SCALE=1

# GNOME Shell's own moments, in microseconds of its clock: each window's showing and going.
shell_eval '(() => {
    const GLib = imports.gi.GLib;
    globalThis.deskwreckWindows = [];
    const note = (what, window) => globalThis.deskwreckWindows.push(
        [what, window.get_title(), GLib.get_monotonic_time()]);
    // A Wayland window has its title only once it shows; an X11 one may show as it comes.
    global.display.connect("window-created", (display, window) => {
        note("new", window);
        window.connect("shown", () => note("new", window));
        window.connect("unmanaged", () => note("gone", window));
    });
    return true;
})()' >/dev/null
# login_to_start: milliseconds from the last login's going to the start screen's coming.
login_to_start() {
    shell_eval 'globalThis.deskwreckWindows.splice(0)' | tr '[]' '\n\n' |
        awk -F, '/"gone","Login"/ { t0 = $3 } t0 && /"new","Deskwreck!"/ {
            printf "%.1f\n", ($3 - t0) / 1000; exit }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "%.1f", v[int((NR + 1) / 2)] }'; }

for platform in wayland xcb; do
    times=()
    for run in $(seq "$STARTS"); do
        gnome_shot "$WORK/desktop-shot.png"
        start_game "$platform"
        login_by_keys >/dev/null
        times+=("$(login_to_start)")
        field_shows_desktop "$platform-$run" 0 99 >/dev/null
        end_game
    done
    echo "$platform: $STARTS starts, none with a window of the game in the field;" \
        "login gone to start screen: ${times[*]} ms, median $(printf '%s\n' "${times[@]}" | median) ms"
done
trips=$(for run in $(seq 7); do in_session "$GAME_DIR/portal_round_trip" 1; done)
echo "the portal's bare round trip: $(echo $trips) ms, median $(echo "$trips" | median) ms"
