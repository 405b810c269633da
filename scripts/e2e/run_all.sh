#!/usr/bin/env bash
# Runs the end-to-end tests (scripts/e2e/test_*.sh, or the ones named on the
# command line) against the Windows program this machine can run
# (scripts/wine.sh: build/win32/orvanta.exe under the 32-bit loader, else
# build/win64/orvanta.exe under wine64): one Xvfb on a free display, one Wine
# prefix booted once and copied for every test. Prints
# "e2e: N passed, M failed (which build ran and why)" and exits non-zero when
# a test failed or nothing could run.
set -uo pipefail
[ -n "${TMPDIR:-}" ] || unset TMPDIR  # an empty one would send Wine and mktemp to relative paths
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)

. "$repo/scripts/wine.sh"
if ! wine_choose "$repo"; then
  echo "e2e: 0 passed, 1 failed (no Windows program can run here)"; exit 1
fi
export ORVANTA_BUILD=${ORVANTA_BUILD:-$WINE_BUILD}
export ORVANTA_RENDER=${ORVANTA_RENDER:-$repo/build/native/tools/headless_render/orvanta_render}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
per_test_limit=${E2E_TEST_TIMEOUT:-180}
echo "e2e: $WINE_WHY ($ORVANTA_BUILD)"

for f in "$ORVANTA_BUILD/orvanta.exe" "$ORVANTA_BUILD/text.dat"; do
  [ -f "$f" ] || { echo "e2e: missing $f (build the $WINE_PRESET preset first)"; echo "e2e: 0 passed, 1 failed ($WINE_WHY)"; exit 1; }
done

E2E_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/orvanta-e2e.XXXXXX")
export E2E_ROOT
. "$repo/scripts/xvfb.sh"
xvfb_pid=""
cleanup() {
  WINEPREFIX=$E2E_ROOT/base wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [ -n "${E2E_KEEP:-}" ]; then echo "e2e: kept $E2E_ROOT"; else rm -rf "$E2E_ROOT"; fi
}
trap cleanup EXIT

# A free display from :97 on, no window manager.
start_xvfb 97 140 "$E2E_ROOT/xvfb.log" || { echo "e2e: could not start Xvfb"; echo "e2e: 0 passed, 1 failed ($WINE_WHY)"; exit 1; }
export E2E_DISPLAY=$DISPLAY
echo "e2e: Xvfb on $E2E_DISPLAY"

export E2E_BASE_PREFIX=$E2E_ROOT/base
start=$SECONDS
if ! DISPLAY=$E2E_DISPLAY WINEPREFIX=$E2E_BASE_PREFIX timeout 300 "$WINE_LOADER" wineboot -i > "$E2E_ROOT/wineboot.log" 2>&1; then
  cat "$E2E_ROOT/wineboot.log"
  echo "e2e: wineboot failed"; echo "e2e: 0 passed, 1 failed ($WINE_WHY)"; exit 1
fi
WINEPREFIX=$E2E_BASE_PREFIX timeout 60 wineserver -w || true
echo "e2e: Wine prefix ready in $((SECONDS - start)) s"

if [ $# -gt 0 ]; then
  tests=()
  for t in "$@"; do tests+=("$here/test_${t#test_}"); tests[-1]=${tests[-1]%.sh}.sh; done
else
  tests=("$here"/test_*.sh)
fi

passed=0 failed=0 failures=()
for t in "${tests[@]}"; do
  name=$(basename "$t" .sh)
  start=$SECONDS
  if timeout -k 10 "$per_test_limit" bash "$t"; then
    echo "e2e: PASS $name ($((SECONDS - start)) s)"
    passed=$((passed + 1))
  else
    echo "e2e: FAIL $name ($((SECONDS - start)) s)"
    failed=$((failed + 1)); failures+=("$name")
  fi
  for p in "$E2E_ROOT"/test.*/prefix; do   # whatever a timed-out test left running
    [ -d "$p" ] && WINEPREFIX=$p wineserver -k >/dev/null 2>&1
  done
  if [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_ROOT"/test.*; fi
done
[ "$failed" -gt 0 ] && echo "e2e: failed: ${failures[*]}"
echo "e2e: $passed passed, $failed failed ($WINE_WHY)"
[ "$failed" -eq 0 ]
