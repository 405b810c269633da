#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Orvanta.
# Idempotent: when every package is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libcairo2-dev fonts-dejavu-core
  mingw-w64 g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64
  wine wine32 wine64
  xvfb xdotool x11-utils x11-xserver-utils imagemagick libx11-dev
  libsdl2-dev xfonts-base desktop-file-utils xdg-utils
  libsoapysdr-dev
  libv4l-dev
  libsystemd-dev dbus playerctl openbox
  python3-numpy
  dpkg-dev file lintian appstream man-db groff-base zip unzip
)

need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then need_i386=1; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$need_i386" = 0 ] && [ ${#missing[@]} = 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
if [ "$need_i386" = 1 ]; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
