#!/usr/bin/env bash
# Runs both end-to-end suites (Wine, native) RUNS times in a row (default
# 10) with two busy CPU hogs beside them (stress-ng --cpu 2), as a busy
# build machine would, and counts the runs in which every test passed.
# Not part of the test run: build first (bash scripts/test.sh, or the
# native and Windows presets). ORVANTA_WINE_BITS applies as everywhere.
#   bash scripts/e2e_under_load.sh [RUNS]
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
if ! command -v stress-ng >/dev/null; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq stress-ng >/dev/null || { echo "load: stress-ng could not be installed"; exit 1; }
fi
out=build/under-load
mkdir -p "$out"
stress-ng --cpu 2 --timeout 0 >/dev/null 2>&1 &
hogs=$!
trap 'kill $hogs 2>/dev/null; wait $hogs 2>/dev/null' EXIT
echo "load: stress-ng --cpu 2 beside the suites, $runs runs, logs in $out"

good=0
for run in $(seq "$runs"); do
  start=$SECONDS
  bash scripts/e2e/run_all.sh > "$out/run$run-wine.log" 2>&1; wine_rc=$?
  bash scripts/e2e-native/run_all.sh > "$out/run$run-native.log" 2>&1; native_rc=$?
  wine_line=$(grep -E '^e2e: [0-9]+ passed' "$out/run$run-wine.log" | tail -n 1)
  native_line=$(grep -E '^e2e-native: [0-9]+ passed' "$out/run$run-native.log" | tail -n 1)
  verdict=FAILED
  if [ "$wine_rc" = 0 ] && [ "$native_rc" = 0 ]; then verdict=passed; good=$((good + 1)); fi
  echo "load: run $run $verdict in $((SECONDS - start)) s (load $(cut -d' ' -f1 /proc/loadavg)): ${wine_line:-e2e: no result}; ${native_line:-e2e-native: no result}"
  grep -h '^e2e.*: FAIL\|^FAIL' "$out/run$run-wine.log" "$out/run$run-native.log" | sed 's/^/    /'
done
echo "load: $good of $runs runs passed every test"
[ "$good" = "$runs" ]
