# The start on GNOME Shell and KWin, sourced by run_bench.sh: the desktop runs' start tests
# (tests/desktops), DESKTOP_STARTS starts each way in a headless session of each desktop, read
# back as "<desktop>_start_ms_<platform> MEDIAN" and "<desktop>_portal_round_trip_ms MEDIAN"
# lines into the file given. The sessions run in chroots, so only root takes these figures.

# desktop_figures DESKTOP LOG FILE: the medians the run printed into LOG, as figure lines.
desktop_figures() {
    awk -v d="$1" '
        /^(wayland|xcb)(:| at scale 1:)/ && /median/ {
            platform = $1; sub(/:$/, "", platform)
            for (i = NF; i > 0; i--) if ($i == "median") { printf "%s_start_ms_%s %s\n", d, platform, $(i + 1); break }
        }
        /^the portal.s bare round trip/ { printf "%s_portal_round_trip_ms %s\n", d, $(NF - 1) }' "$2" >>"$3"
}

# desktop_starts STARTS FILE
desktop_starts() {
    local desktop test
    for test in gnome:test_gnome_starts kde:test_kde; do
        desktop=${test%%:*}
        echo "$desktop start on a headless session..." >&2
        DESKTOP_STARTS=$1 BUILD_DIR=$BUILD_DIR SOURCE_DIR=$SOURCE_DIR \
            bash "$SOURCE_DIR/tests/desktops/${test#*:}.sh" \
            >"$WORK/$desktop.log" 2>&1 || echo "the $desktop start failed: see below" >&2
        grep -E 'median|FAIL' "$WORK/$desktop.log" >&2 || true
        desktop_figures $desktop "$WORK/$desktop.log" "$2"
    done
}
