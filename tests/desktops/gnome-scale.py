#!/usr/bin/env python3
"""gnome-scale.py SCALE: puts GNOME's only monitor at SCALE for the rest of the session, through
mutter's own display configuration (as GNOME's display settings do), and prints the scale and
layout mode mutter then reports (1 logical, 2 physical: monitors laid out in device pixels)."""
import sys

import dbus

NAME = "org.gnome.Mutter.DisplayConfig"
PATH = "/org/gnome/Mutter/DisplayConfig"
TEMPORARY = 1


def display_config():
    return dbus.Interface(dbus.SessionBus().get_object(NAME, PATH), NAME)


def main():
    scale = float(sys.argv[1])
    config = display_config()
    serial, monitors, _, _ = config.GetCurrentState()
    (connector, _, _, _), modes, _ = monitors[0]
    mode = next(m for m in modes if m[6].get("is-current"))
    if scale not in [float(s) for s in mode[5]]:
        sys.exit(f"mode {mode[0]} offers the scales {list(map(float, mode[5]))}, not {scale}")
    monitor = (dbus.Int32(0), dbus.Int32(0), dbus.Double(scale), dbus.UInt32(0), True,
               [(connector, mode[0], dbus.Dictionary({}, signature="sv"))])
    config.ApplyMonitorsConfig(serial, dbus.UInt32(TEMPORARY), [monitor],
                               dbus.Dictionary({}, signature="sv"))
    _, _, logical, properties = config.GetCurrentState()
    print(f"scale {float(logical[0][2]):g} layout-mode {int(properties.get('layout-mode', 0))}")


if __name__ == "__main__":
    main()
