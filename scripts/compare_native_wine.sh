#!/usr/bin/env bash
# Measures, in one run on this machine, the native program (build/native/orvanta)
# against orvanta.exe under Wine (build/win32/orvanta.exe), both with the
# simulated card on their own Xvfb:
#   start-up   from launch until the window shows the whole panel exactly as
#              the headless back end draws it (clock masked), watched every
#              5 ms by orvanta_paintwatch
#   idle CPU   CPU time used over IDLE_SECONDS (default 60) of an idle panel,
#              for the program alone and, under Wine, with wineserver and the
#              other processes of its prefix
#   peak memory  the peak resident set (VmHWM) of the program, and under
#              Wine the sum over the prefix's processes
# Builds what is missing first (native, then mingw-i686). Not part of the test run.
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
idle=${IDLE_SECONDS:-60}
native=$repo/build/native
. "$repo/scripts/wine.sh"
wine_choose "$repo" || exit 1
win32=$WINE_BUILD  # the Windows program this machine runs (scripts/wine.sh)
render=$native/tools/headless_render/orvanta_render
watch=$native/orvanta_paintwatch

if [ ! -x "$native/orvanta" ] || [ ! -x "$render" ] || [ ! -x "$watch" ]; then
  cmake --preset native >/dev/null && cmake --build --preset native -j2 >/dev/null || exit 1
fi
if [ ! -f "$win32/orvanta.exe" ]; then
  cmake --preset "$WINE_PRESET" >/dev/null && cmake --build --preset "$WINE_PRESET" -j2 >/dev/null || exit 1
fi

work=$(mktemp -d /tmp/orvanta-compare.XXXXXX)
xvfb_pid="" panel_pid=""
cleanup() {
  [ -n "$panel_pid" ] && kill "$panel_pid" 2>/dev/null
  [ -d "$work/prefix" ] && WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/xvfb.sh"
start_xvfb 230 280 || { echo "compare: could not start Xvfb" >&2; exit 1; }

clk=$(getconf CLK_TCK)
now_ms() { date +%s%3N; }

# cpu_ticks PID...: user + system ticks of the processes.
cpu_ticks() {
  local sum=0 p t
  for p in "$@"; do
    t=$(awk '{print $14 + $15}' "/proc/$p/stat" 2>/dev/null) && sum=$((sum + t))
  done
  echo "$sum"
}

# peak_kb PID...: the sum of VmHWM of the processes, in kB.
peak_kb() {
  local sum=0 p k
  for p in "$@"; do
    k=$(awk '/^VmHWM:/ {print $2}' "/proc/$p/status" 2>/dev/null) && sum=$((sum + k))
  done
  echo "$sum"
}

# prefix_pids PREFIX: every process whose environment names this Wine prefix.
prefix_pids() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' < "$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$1" && echo "${p#/proc/}"
  done
}

# The expected panel: the headless drawing for default settings, clock masked.
printf '' > "$work/empty.ini"
"$render" --skin "$native/text.dat" --settings "$work/empty.ini" --out "$work/ref.ppm" || exit 1

# first_full_paint START_MS: watches the screen (every 5 ms, orvanta_paintwatch)
# until the window at (150, 100) shows the panel; prints "elapsed_ms looks".
first_full_paint() {
  "$watch" --ref "$work/ref.ppm" --at 150,100 --mask 28,34,44,10 --since "$1" --timeout 120000
}

percent() {  # CPU ticks over the idle window: milliseconds, and the share of one core
  awk -v t="$1" -v c="$clk" -v s="$idle" 'BEGIN { printf "%d ms = %.3f", t * 1000 / c, t * 100 / c / s }'
}

report() {  # report NAME STARTUP_MS POLLS TICKS_PROGRAM TICKS_ALL PEAK_PROGRAM PEAK_ALL
  printf '%-22s start-up %6s ms (%s looks)  idle CPU %5s %% (with helpers %5s %%)  peak memory %6d kB (with helpers %6d kB)\n' \
    "$1" "$2" "$3" "$(percent "$4")" "$(percent "$5")" "$6" "$7"
}

echo "compare: $(nproc) cores, $(uname -r), Xvfb on $DISPLAY, idle window $idle s"

# --- native ---
mkdir -p "$work/native/config/orvanta" "$work/native/run" "$work/native/app"
chmod 700 "$work/native/run"
cp "$native/orvanta" "$native/text.dat" "$work/native/app/"
start=$(now_ms)
# The native simulated card plays its band through the receiver; here its
# sound goes to SDL's dummy output and no SoapySDR module is asked for a radio.
XDG_CONFIG_HOME=$work/native/config XDG_RUNTIME_DIR=$work/native/run SDL_AUDIODRIVER=dummy SOAPY_SDR_ROOT=/nonexistent \
  "$work/native/app/orvanta" >/dev/null 2>&1 &
panel_pid=$!
read -r n_start n_polls < <(first_full_paint "$start")
t0=$(cpu_ticks "$panel_pid")
sleep "$idle"
n_ticks=$(( $(cpu_ticks "$panel_pid") - t0 ))
n_peak=$(peak_kb "$panel_pid")
kill "$panel_pid"; wait "$panel_pid" 2>/dev/null; panel_pid=""
report "native orvanta" "$n_start" "$n_polls" "$n_ticks" "$n_ticks" "$n_peak" "$n_peak"

# --- Wine ---
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "compare: $WINE_WHY"
wine_boot >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/Orvanta"
cp "$win32/orvanta.exe" "$win32/text.dat" "$WINEPREFIX/drive_c/Orvanta/"
printf '[Simulator]\r\nMODE=simulated\r\n' > "$WINEPREFIX/drive_c/windows/orvanta.ini"
start=$(now_ms)
"$WINE_LOADER" 'C:\Orvanta\orvanta.exe' >/dev/null 2>&1 &
panel_pid=$!
read -r w_start w_polls < <(first_full_paint "$start")
mapfile -t helpers < <(prefix_pids "$WINEPREFIX")
exe=""
for p in "${helpers[@]}"; do
  { tr '\0' ' ' < "/proc/$p/cmdline"; } 2>/dev/null | grep -q 'orvanta\.exe' && exe=$p
done
t0=$(cpu_ticks "${exe:-$panel_pid}"); a0=$(cpu_ticks "${helpers[@]}")
sleep "$idle"
w_ticks=$(( $(cpu_ticks "${exe:-$panel_pid}") - t0 )); w_all=$(( $(cpu_ticks "${helpers[@]}") - a0 ))
w_peak=$(peak_kb "${exe:-$panel_pid}"); w_peak_all=$(peak_kb "${helpers[@]}")
report "orvanta.exe under Wine" "$w_start" "$w_polls" "$w_ticks" "$w_all" "$w_peak" "$w_peak_all"
echo "compare: Wine processes counted as helpers: ${#helpers[@]} (wineserver, the program and the prefix's services)"
