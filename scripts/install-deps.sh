#!/usr/bin/env bash
# Installs what Korvello needs on Debian 12: the build tools and libraries (libexif
# for photos' orientation, SDL2 for gamepads, Qt's image format plug-ins for WebP covers,
# zlib and liblz4 for compressed disc images, Qt's Wayland platform plug-in so that Wayland
# desktops run the window natively), and
# with --test also what the tests and benchmarks use (a private X server,
# xdotool for the hot key and the keyboard walk, openbox as the window manager of the
# window tests, a D-Bus daemon for the desktop portal tests, ImageMagick as the artwork
# benchmark's peer, the freedesktop validators desktop-file-validate and appstreamcli, and
# clang with its sanitizer and libFuzzer libraries for the sanitizer suite and fuzzing, xorriso
# and chdman (mame-tools) for the disc images the disc identity tests make).
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev libqt6sql6-sqlite libjpeg62-turbo-dev
          libxcb1-dev libxcb-keysyms1-dev fonts-liberation libexif-dev qt6-image-formats-plugins qt6-wayland ccache
          libsdl2-dev zlib1g-dev liblz4-dev)
if [[ "${1:-}" == "--test" ]]; then
  packages+=(xvfb xauth xdotool x11-apps openbox imagemagick dbus-daemon desktop-file-utils appstream
             clang libclang-rt-14-dev llvm xorriso mame-tools)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if (( ${#missing[@]} )); then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
