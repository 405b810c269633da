#!/usr/bin/env bash
# Prints the panel's figures, all measured in this one run on this machine:
#   1. the paint benchmarks of an optimised (Release) native build, each as a
#      ratio to the plain copy of the face (the floor any repaint pays);
#   2. start to the first full paint of orvanta.exe under one warm Wine,
#      against a trivial Win32 window of the same size under the same Wine
#      (tools/trivial_window): the medians of several runs and their ratio;
#   3. the CPU time of the idle panel over 60 s, and its peak memory;
#   4. the sizes and import tables of the Windows programs;
#   5. our FM receiver's CPU per second of IQ (stereo, mono) and its stereo
#      separation on 20 s of synthesized 2.048 MS/s CS8, and, where GNU Radio
#      is installed, its stock receiver on the same file (scripts/gnuradio_receiver.py);
#   6. the CPU of the native program playing the SDR card (our fake module) over 60 s;
#   7. what RDS costs: the receiver with and without its RDS decoding on the
#      same 20 s (goal: under 1 % of one core), and the simulated band's
#      synthesizer with and without its station's RDS.
# Usage: bash scripts/figures.sh
#   FIGURES_RUNS          start-up runs per program (default 7)
#   FIGURES_IDLE_SECONDS  idle measurement (default 60)
# Builds what it needs (build/native, build/figures/release, build/win32) and
# runs Wine on its own Xvfb with its own prefix (build/figures/prefix).
set -euo pipefail
trap 'echo "figures: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
repo=$(pwd)
out=$repo/build/figures
runs=${FIGURES_RUNS:-7}
idle_seconds=${FIGURES_IDLE_SECONDS:-60}
jobs=$(nproc)
mkdir -p "$out"
log=$out/build.log

bash scripts/setup.sh
. scripts/wine.sh
wine_choose "$repo" || exit 1
{
  cmake --preset native && cmake --build --preset native -j "$jobs"
  cmake -S . -B "$out/release" -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build "$out/release" -j "$jobs" --target orvanta_bench iqbench orvanta orvantafake skin
  cmake --preset mingw-i686 && cmake --build --preset mingw-i686 -j "$jobs"
  if [ "$WINE_PRESET" != mingw-i686 ]; then cmake --preset "$WINE_PRESET" && cmake --build --preset "$WINE_PRESET" -j "$jobs"; fi
  g++ -O2 -std=c++17 -Wall -Wextra tools/first_paint/first_paint.cpp -o "$out/first_paint" -lX11
} > "$log" 2>&1 || { tail -n 40 "$log"; echo "figures: the build failed (log: $log)"; exit 1; }

win=$repo/build/win32   # the product, whose files section 4 describes
run_win=$WINE_BUILD     # the build that runs under Wine here
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "Orvanta figures, $(date -u '+%Y-%m-%d %H:%M UTC'), $(uname -m), $jobs cores ($cpu), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# median FILE: the median of the numbers in FILE, one a line.
median() { sort -g "$1" | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# ---- 1. paint benchmarks
echo "1. Paint benchmarks (headless back end, Release build, CPU time, median of 9 interleaved repetitions)"
"$out/release/orvanta_bench" --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_format=csv > "$out/bench.csv" 2> "$out/bench.err"
awk -F, '
  /_median"?,/ {
    name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
    ns = $4; unit = $5; gsub(/"/, "", unit)
    if (unit == "us") ns *= 1000; else if (unit == "ms") ns *= 1e6; else if (unit == "s") ns *= 1e9
    names[++n] = name; time[name] = ns
  }
  END {
    floor = time["FaceCopyFloor"]
    printf "   %-24s %12s %18s\n", "benchmark", "CPU time", "x plain face copy"
    for (i = 1; i <= n; i++)
      printf "   %-24s %9.1f us %18.2f\n", names[i], time[names[i]] / 1000, time[names[i]] / floor
  }' "$out/bench.csv"
if grep -q 'built as DEBUG' "$out/bench.err"; then
  echo "   (the distribution's benchmark library says it was built as DEBUG: that is the library's own"
  echo "    build; the code measured here is compiled -O3 -DNDEBUG)"
fi
echo

# ---- Wine on its own display and prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$out/prefix-$WINEARCH
xvfb_pid="" panel_pid=""
cleanup() {
  [ -n "$panel_pid" ] && kill -9 "$panel_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
for n in $(seq 150 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp > "$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then export DISPLAY=":$n"; break; fi
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "figures: could not start Xvfb"; exit 1; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 300 "$WINE_LOADER" wineboot -i > "$out/wineboot.log" 2>&1 || { tail "$out/wineboot.log"; echo "figures: wineboot failed"; exit 1; }
  timeout 60 wineserver -w || true
fi
wineserver -p || true  # stays up between the runs: one warm Wine
app=$WINEPREFIX/drive_c/Orvanta
mkdir -p "$app"
cp "$run_win/orvanta.exe" "$run_win/text.dat" "$run_win/trivial_window.exe" "$app/"
settings() { printf '[Simulator]\r\nMODE=simulated\r\n' > "$WINEPREFIX/drive_c/windows/orvanta.ini"; }

# ---- 2. start to first full paint
# measure NAME EXE: one start; appends the milliseconds to the first full paint to $out/NAME.ms.
measure() {
  settings
  local line
  line=$(cd "$app" && "$out/first_paint" "$1" 1500 60000 "$WINE_LOADER" "C:\\Orvanta\\$2") || return 1
  echo "$1 $line" >> "$out/first_paint.log"
  sed -n 's/.*paint_ms=\([0-9.]*\).*/\1/p' <<<"$line" >> "$out/$1.ms"
}
rm -f "$out/Orvanta.ms" "$out/Trivial.ms" "$out/first_paint.log"
measure Orvanta orvanta.exe && measure Trivial trivial_window.exe  # warm-up, not counted
rm -f "$out/Orvanta.ms" "$out/Trivial.ms"
for _ in $(seq "$runs"); do
  measure Orvanta orvanta.exe || { echo "figures: orvanta.exe showed no window"; exit 1; }
  measure Trivial trivial_window.exe || { echo "figures: trivial_window.exe showed no window"; exit 1; }
done
panel_ms=$(median "$out/Orvanta.ms")
trivial_ms=$(median "$out/Trivial.ms")
echo "2. Start to first full paint under one warm Wine ($("$WINE_LOADER" --version); $WINE_WHY), median of $runs runs each"
printf '   orvanta.exe         %8.0f ms  (runs: %s)\n' "$panel_ms" "$(sort -g "$out/Orvanta.ms" | xargs printf '%.0f ')"
printf '   trivial_window.exe  %8.0f ms  (runs: %s)\n' "$trivial_ms" "$(sort -g "$out/Trivial.ms" | xargs printf '%.0f ')"
awk -v a="$panel_ms" -v b="$trivial_ms" 'BEGIN { printf "   ratio               %8.2f\n", a / b }'
echo "   (the panel's start includes the first tuning of the card, which waits 160 ms for the"
echo "    synthesizer and the status line, and the wipe of seven passes of 12 ms)"
echo

# ---- 3. idle CPU and peak memory
# cpu_ns PID: nanoseconds on the CPU of all threads of the process so far.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%.0f\n", t }'; }
settings
(cd "$app" && exec "$WINE_LOADER" 'C:\Orvanta\orvanta.exe') > "$out/idle.log" 2>&1 &
panel_pid=$!
sleep 5
server_pid=""
for p in $(pgrep wineserver || true); do
  if tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then server_pid=$p; fi
done
panel_before=$(cpu_ns "$panel_pid")
server_before=$([ -n "$server_pid" ] && cpu_ns "$server_pid" || echo 0)
sleep "$idle_seconds"
panel_after=$(cpu_ns "$panel_pid")
server_after=$([ -n "$server_pid" ] && cpu_ns "$server_pid" || echo 0)
peak_kb=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$panel_pid/status")
rss_kb=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$panel_pid/status")
kill -9 "$panel_pid" 2>/dev/null; wait "$panel_pid" 2>/dev/null || true; panel_pid=""
echo "3. The idle panel over $idle_seconds s (clock tick every 3 s), and its memory"
awk -v t=$((panel_after - panel_before)) -v s="$idle_seconds" \
  'BEGIN { printf "   orvanta.exe CPU     %8.1f ms = %.3f %% of one core\n", t / 1e6, 100 * t / 1e9 / s }'
[ -n "$server_pid" ] && awk -v t=$((server_after - server_before)) -v s="$idle_seconds" \
  'BEGIN { printf "   wineserver CPU      %8.1f ms = %.3f %% of one core\n", t / 1e6, 100 * t / 1e9 / s }'
printf '   peak memory         %8.1f MB  (resident now %.1f MB; the Wine process, Wine itself included)\n' \
  "$(awk -v k="$peak_kb" 'BEGIN { print k / 1024 }')" "$(awk -v k="$rss_kb" 'BEGIN { print k / 1024 }')"
echo

# ---- 4. sizes and imports
echo "4. Programs (i686, stripped)"
for exe in orvanta.exe orvanta_remote.exe trivial_window.exe; do
  imports=$(i686-w64-mingw32-objdump -p "$win/$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -f | xargs)
  printf '   %-20s %7d bytes  imports: %s\n' "$exe" "$(stat -c %s "$win/$exe")" "$imports"
done
echo

# ---- 5. the receiver, and GNU Radio's stock receiver on the same samples
echo "5. Our FM receiver on 20 s of synthesized 2.048 MS/s CS8 (Release build, one thread, RDS decoding included)"
"$out/release/iqbench" --write "$out/band.cs8" > "$out/iqbench.txt" 2> "$out/iqbench.err" \
  || { cat "$out/iqbench.err"; echo "figures: iqbench failed"; exit 1; }
sed 's/^/   /' "$out/iqbench.txt"
ours=$(sed -n 's/^stereo: \([0-9.]*\).*/\1/p' "$out/iqbench.txt")
if /usr/bin/python3 -c 'import gnuradio' 2>/dev/null; then
  if /usr/bin/python3 scripts/gnuradio_receiver.py "$out/band.cs8" 256000 "$out" > "$out/gnuradio.txt" 2> "$out/gnuradio.err"; then
    theirs=$(sed -n 's/^cpu: //p' "$out/gnuradio.txt")
    echo "   GNU Radio $(/usr/bin/python3 -c 'from gnuradio import gr; print(gr.version())'), stock chain (freq_xlating_fir_filter_ccc, wfm_rcv_pll, rational_resampler_fff), same file:"
    echo "   stereo: $theirs CPU-s per s of IQ (all its threads)"
    echo "   $(sed -n 's/^separation/separation/p' "$out/gnuradio.txt")"
    awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "   CPU ours / GNU Radio: %.2f\n", a / b }'
  else
    echo "   GNU Radio is installed but its receiver failed: $(tail -n 1 "$out/gnuradio.err")"
  fi
else
  echo "   (GNU Radio is not installed here: no comparison. apt-get install gnuradio to have one; never in CI)"
fi
rm -f "$out/band.cs8" "$out"/gr_*.f32
echo

# ---- 6. the running program with the SDR card
# The fake SoapySDR module replays pre-made loops of its stations in real
# time as a dongle would, turning each station's phase by its RDS as it
# plays (no other synthesis); SDL's dummy output takes the sound; the panel
# is idle on the figures' Xvfb.
sdr_home=$(mktemp -d "$out/sdr.XXXXXX")
mkdir -p "$sdr_home/config/orvanta" "$sdr_home/runtime"
chmod 700 "$sdr_home/runtime"
printf '[Card]\nMODE=sdr\nSDR=driver=orvantafake\n' > "$sdr_home/config/orvanta/orvanta.ini"
XDG_CONFIG_HOME=$sdr_home/config XDG_RUNTIME_DIR=$sdr_home/runtime SDL_AUDIODRIVER=dummy \
  SOAPY_SDR_ROOT=/nonexistent SOAPY_SDR_PLUGIN_PATH=$out/release/fake_sdr FAKE_SDR_STATIONS=98.1,98.6 \
  "$out/release/orvanta" > "$sdr_home/panel.log" 2>&1 &
panel_pid=$!
sleep 5
kill -0 "$panel_pid" 2>/dev/null || { cat "$sdr_home/panel.log"; echo "figures: the program with the SDR card ended"; exit 1; }
sdr_before=$(cpu_ns "$panel_pid")
sleep "$idle_seconds"
sdr_after=$(cpu_ns "$panel_pid")
kill "$panel_pid" 2>/dev/null; wait "$panel_pid" 2>/dev/null; panel_pid=""
echo "6. The native program playing the SDR card over $idle_seconds s (fake module replaying 1.024 MS/s CS8, Release build)"
echo "   $(grep -m 1 'card:' "$sdr_home/panel.log")"
awk -v t=$((sdr_after - sdr_before)) -v s="$idle_seconds" \
  'BEGIN { printf "   CPU                 %8.1f ms = %.2f %% of one core (goal: under 5 %%)\n", t / 1e6, 100 * t / 1e9 / s }'
rm -rf "$sdr_home"

# ---- 7. what RDS costs
echo
echo "7. What RDS costs (Release build, one thread, CPU time; goal: decoding under 1 % of one core)"
"$out/release/iqbench" --rds-cost > "$out/rds_cost.txt" 2> "$out/rds_cost.err" \
  || { cat "$out/rds_cost.err"; echo "figures: iqbench --rds-cost failed"; exit 1; }
sed 's/^/   /' "$out/rds_cost.txt"
echo "   (the receiver's RDS works at its 256 kS/s multiplex rate, whatever the device's rate)"
