#!/usr/bin/env python3
"""Prints the benchmark table from the results in a folder: handlers-<platform>.json from
handlers_bench, program-<screen>.txt ("name value" lines) from xdriver, wayland.txt from the
start on sway, and desktops.txt from the starts on GNOME Shell and KWin where they were taken. With --check, exits non-zero only when a figure is missing; speeds never fail
it."""
import argparse
import json
import pathlib
import sys

SCREENS = ["1920x1080", "3840x2160"]
HANDLERS = [
    ("Form_MouseDown", "miss, with its repaint", "<= 1000 us at 4K"),
    ("Picture1_MouseDown", "hit, with its repaint", "<= 1000 us at 4K"),
    ("Form_MouseMove", "pointer move: restore, draw, repaint", "<= 300 us at 4K"),
    ("Timer1_Timer", "target jump, old and new place repainted", "<= 1000 us at 4K"),
    ("Timer2_Timer", "banner tick: next frame drawn, banner repainted", "none set"),
]


def handler_rows(folder, platform):
    path = folder / f"handlers-{platform}.json"
    results = {}
    if path.exists():
        for b in json.loads(path.read_text())["benchmarks"]:
            results[b["name"].replace("/manual_time", "")] = b
    rows = []
    for screen in SCREENS:
        for name, what, goal in HANDLERS:
            b = results.get(f"{name}/{screen}")
            figure = f"{b['real_time']:.1f} us (p99 {b['p99_us']:.0f})" if b else None
            reference = ""
            if name == "Form_MouseDown":
                ref = results.get(f"Form_MouseDown_wholeRepaint/{screen}")
                if b and ref:
                    reference = (f"whole-window repaint {ref['real_time']:.0f} us: "
                                 f"{ref['real_time'] / b['real_time']:.0f}x faster (goal >= 10x)")
                else:
                    figure = None
            rows.append((f"{what} [{platform}]", screen, figure, goal, reference))
    return rows


def program_rows(folder):
    rows = []
    for screen in SCREENS:
        path = folder / f"program-{screen}.txt"
        values = {}
        if path.exists():
            for line in path.read_text().splitlines():
                key, _, value = line.partition(" ")
                values[key] = float(value)
        width, height = map(int, screen.split("x"))
        memory_goal = 40 + 2 * width * height * 4 / 1e6

        def row(what, key, unit, goal, reference="", fmt="{:.1f}"):
            figure = fmt.format(values[key]) + unit if key in values else None
            rows.append((what, screen, figure, goal, reference))

        row("process start to login dialog mapped", "login_mapped_ms", " ms", "<= 200 ms",
            "MapNotify on the root window, monotonic clock, < 1 ms resolution")
        row("OK to start screen mapped (snapshot included)", "start_mapped_ms", " ms",
            "<= 150 ms + 60 ms hide delay")
        row("resident memory on the play field", "rss_field_mb", " MB",
            f"<= {memory_goal:.1f} MB", "40 MB + 2 x width x height x 4 bytes; 2 s after "
            "the field is mapped, the sound device resting")
        row("CPU while the play field idles", "idle_cpu_percent", " %", "<= 1 % (1920x1080)",
            "/proc/PID/stat user+system ticks over the idle time", "{:.2f}")
        if screen != "1920x1080":
            continue
        row("click to first non-silent sample (median)", "sound_latency_ms_median", " ms",
            "<= 30 ms", "upper bound; sample times from parec chunk arrival, +- 5 ms")
        row("click to first non-silent sample (max)", "sound_latency_ms_max", " ms", "<= 30 ms")
        row("click to first non-silent sample, first shot after the sound server restarted",
            "sound_latency_ms_after_restart", " ms", "beside the median above",
            "the lost device found and opened again; PulseAudio stopped and started, 4 s quiet")
        row("ten clicks 50 ms apart: shots heard", "burst_onsets", "", "10", "", "{:.0f}")
        row("ten clicks: energy left after removing ten whole shots", "burst_residue", "",
            "small (shots cut short leave ~1)", "", "{:.3f}")
        row("ten clicks: sound after the last onset", "burst_tail_ms", " ms",
            f">= the shot's own audible length, {values.get('shot_length_ms', 0):.0f} ms (onsets +- 10 ms)")
        row("flood: pointer moves sent", "flood_moves_per_s", " /s", "1000 /s")
        row("flood: clicks handled", "flood_clicks_handled", "", "every click sent",
            f"sent {values.get('flood_clicks_sent', 0):.0f}, lost "
            f"{values.get('flood_clicks_lost', 0):.0f}", "{:.0f}")
        row("flood: click to mark on screen, first sixth", "flood_click_ms_first", " ms",
            "no growth", "median; polled every 5 ms")
        row("flood: click to mark on screen, last sixth", "flood_click_ms_last", " ms",
            "no growth", "median")
        row("flood: click to mark on screen, max", "flood_click_ms_max", " ms", "")
        row("flood: resident memory range after 5 s", "flood_rss_range_mb", " MB", "<= 2 MB")
        row("flood: most resident memory, shots ringing", "flood_rss_most_mb", " MB", "",
            "the sound device's context adds its 8 MB voice table while shots play")
    return rows


def figures(path):
    values = {}
    if path.exists():
        for line in path.read_text().splitlines():
            key, _, value = line.partition(" ")
            values[key] = float(value)
    return values


def wayland_rows(folder):
    values = figures(folder / "wayland.txt")
    rows = []
    for platform, what in (("wayland", "Wayland client"), ("xcb", "X11 client through XWayland")):
        key = f"wayland_start_ms_{platform}"
        figure = (f"{values[key]:.1f} ms (max {values[key + '_max']:.0f})"
                  if key in values else None)
        rows.append((f"OK to start screen on the compositor's screen, portal round trip "
                     f"included [{what}]", "2 x 1280x800 (sway)", figure, "<= 250 ms",
                     "median; sway's window events: the login closing, the start screen mapped"))
    trip = values.get("portal_round_trip_ms")
    rows.append(("the portal's bare round trip, call to answer, in the same session",
                 "2 x 1280x800 (sway)", f"{trip:.1f} ms" if trip is not None else None,
                 "none: the floor of the start", "median; bench/portal_round_trip"))
    return rows


DESKTOPS = [("gnome", "1600x1000 (GNOME Shell 43)",
             "GNOME Shell's window events: the login unmanaged, the start screen shown"),
            ("kde", "1280x800 (KWin 5.27)",
             "Return typed into the login to the start screen's focus")]


def desktop_rows(folder):
    """Rows only where the desktop starts were run: they need root, for their chroots."""
    path = folder / "desktops.txt"
    if not path.exists():
        return []
    values = figures(path)
    rows = []
    for desktop, screen, how in DESKTOPS:
        trip = values.get(f"{desktop}_portal_round_trip_ms")
        goal = f"<= {trip + 150:.0f} ms (round trip + 150)" if trip is not None else "round trip + 150"
        for platform, what in (("wayland", "Wayland client"),
                               ("xcb", "X11 client through XWayland")):
            start = values.get(f"{desktop}_start_ms_{platform}")
            rows.append((f"OK to start screen, portal round trip included [{what}]", screen,
                         f"{start:.1f} ms" if start is not None else None, goal, "median; " + how))
        rows.append(("the portal's bare round trip, call to answer, in the same session", screen,
                     f"{trip:.1f} ms" if trip is not None else None,
                     "none: the floor of the start", "median; bench/portal_round_trip"))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--cpu", default="")
    parser.add_argument("folder", type=pathlib.Path)
    args = parser.parse_args()
    rows = (handler_rows(args.folder, "offscreen") + handler_rows(args.folder, "xcb")
            + program_rows(args.folder) + wayland_rows(args.folder) + desktop_rows(args.folder))
    header = ("measure", "screen", "figure", "goal", "reference")
    print(f"machine: {args.cpu}, software rendering")
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    missing = []
    for row in rows:
        print("| " + " | ".join(cell if cell is not None else "MISSING" for cell in row) + " |")
        if row[2] is None:
            missing.append(f"{row[0]} at {row[1]}")
    if args.check and missing:
        print("no figure for: " + "; ".join(missing), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
