#!/usr/bin/env bash
# Installs the Debian packages the game needs to build (and, with "test", to run its tests;
# with "fuzz", to fuzz it),
# asking apt-get only for what is missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkgconf qt6-base-dev libopenal-dev libsndfile1-dev libpulse0
          libxcb1-dev libwayland-dev)
if [ "${1:-}" = test ] || [ "${1:-}" = bench ]; then
    packages+=(xvfb xdotool pulseaudio pulseaudio-utils imagemagick x11-utils x11-xserver-utils
               desktop-file-utils appstream sox libbenchmark-dev libxcb-xtest0-dev python3
               dbus)
    # The runs under headless sway: XWayland, the desktop portal, virtual keyboard and pointer.
    packages+=(sway swaybg grim wtype xwayland qt6-wayland xdg-desktop-portal
               xdg-desktop-portal-wlr xdg-desktop-portal-gtk pipewire dbus-bin libglib2.0-bin
               libwayland-bin)
    # A sound server restarted under the game: PipeWire's PulseAudio service and its session
    # manager, as GNOME and Plasma run them.
    packages+=(pipewire-pulse wireplumber)
    # The runs under KWin: the protocol of its fake input, which their key client speaks.
    packages+=(plasma-wayland-protocols)
fi
if [ "${1:-}" = test ] || [ "${1:-}" = package ]; then
    packages+=(dpkg-dev)
fi
if [ "${1:-}" = test ]; then
    # The package's test installs it into a Debian 12 system of its own.
    packages+=(lintian debootstrap)
fi
if [ "${1:-}" = test ] || [ "${1:-}" = fuzz ]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi
if [ "${1:-}" = bench ]; then
    packages+=(valgrind)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "This needs root. Run as root, then this again:" >&2
        echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    # sudo clears the environment, so the front end is set on its far side.
    apt=(sudo "${apt[@]}")
fi
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
