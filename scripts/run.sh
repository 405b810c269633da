#!/usr/bin/env bash
# Installs what is missing, builds and starts the panel with the simulated
# tuner card:
#   bash scripts/run.sh          the native Linux program build/native/orvanta
#   bash scripts/run.sh --wine   the Windows program under Wine: build/win32/orvanta.exe, or
#                                where the kernel runs no 32-bit programs build/win64/orvanta.exe
#                                under wine64 (scripts/wine.sh; ORVANTA_WINE_BITS=32|64 forces it)
# Environment:
#   DISPLAY     the X display; without one an Xvfb is started and a
#               screenshot of it is written to build/panel.png
#   WINEPREFIX  (--wine) the Wine prefix to use (default ~/.orvanta-wine for the 32-bit
#               program, ~/.orvanta-wine64 for the 64-bit one; a prefix of the other kind is refused)
# The native program keeps its settings in $XDG_CONFIG_HOME/orvanta/orvanta.ini
# (default ~/.config/orvanta/orvanta.ini); the Windows one in the Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
jobs=$(nproc)

wine_build=0
case "${1:-}" in
  --wine) wine_build=1 ;;
  "") ;;
  *) echo "usage: bash scripts/run.sh [--wine]" >&2; exit 2 ;;
esac

bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
if [ "$wine_build" = 1 ]; then
  . scripts/wine.sh
  wine_choose "$repo" || exit 1
  echo "Windows program: $WINE_WHY"
  cmake --preset "$WINE_PRESET" >/dev/null
  cmake --build --preset "$WINE_PRESET" -j "$jobs"
fi

xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  . scripts/xvfb.sh
  start_xvfb 90 140 || { echo "could not start Xvfb" >&2; exit 1; }
  echo "No DISPLAY: started Xvfb on $DISPLAY (look at it with: import -display $DISPLAY -window root shot.png)."
fi

# run_panel COMMAND...: starts the panel; under our own Xvfb, takes a
# screenshot after 5 s and waits for the panel.
run_panel() {
  if [ -n "$xvfb_pid" ]; then
    "$@" &
    panel=$!
    sleep 5
    import -window root "$repo/build/panel.png" && echo "Screenshot of the screen: build/panel.png"
    echo "The panel runs on $DISPLAY; press Ctrl-C to stop it."
    wait "$panel" || true
  else
    exec "$@"
  fi
}

if [ "$wine_build" = 0 ]; then
  ini=${XDG_CONFIG_HOME:-$HOME/.config}/orvanta/orvanta.ini
  echo "Starting the panel (build/native/orvanta: a radio receiver or SDR when one answers, else the simulated card, which plays) with settings in $ini"
  echo "Remote control: build/native/orvanta-remote station N | volume up|down | mute on|off | show | quit"
  run_panel "$repo/build/native/orvanta"
  exit 0
fi

default_prefix=$HOME/.orvanta-wine
[ "$WINE_BITS" = 64 ] && default_prefix=$HOME/.orvanta-wine64
export WINEPREFIX=${WINEPREFIX:-$default_prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if ! wine_prefix_fits "$WINEPREFIX"; then
  echo "The Wine prefix $WINEPREFIX was not made for $WINEARCH; set WINEPREFIX to another folder" >&2
  exit 1
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX ($WINEARCH, once)..."
  wine_boot >/dev/null 2>&1 || { echo "Wine could not prepare $WINEPREFIX" >&2; exit 1; }
fi

ini=$WINEPREFIX/drive_c/windows/orvanta.ini
if [ ! -f "$ini" ]; then
  printf '[Simulator]\r\nMODE=simulated\r\nSTATIONS=87.6,89.3,91.4,94.8,98.1,101.3,104.6,106.9\r\nTRACE=\r\n' > "$ini"
  echo "Wrote the simulator settings to $ini"
fi

echo "Starting the panel (${WINE_BUILD#"$repo/"}/orvanta.exe) with settings in $ini"
if [ -n "$xvfb_pid" ]; then
  trap 'wineserver -k; wineserver -w; cleanup' INT TERM
fi
run_panel "$WINE_LOADER" "$WINE_BUILD/orvanta.exe"
