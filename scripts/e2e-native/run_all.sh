#!/usr/bin/env bash
# Runs the end-to-end tests of the native program (scripts/e2e-native/test_*.sh,
# or the ones named on the command line) against build/native/orvanta on one
# Xvfb. Prints "e2e-native: N passed, M failed" and exits non-zero when a test failed.
set -uo pipefail
[ -n "${TMPDIR:-}" ] || unset TMPDIR  # an empty one would send Wine and mktemp to relative paths
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)

export ORVANTA_NATIVE=${ORVANTA_NATIVE:-$repo/build/native}
export ORVANTA_RENDER=${ORVANTA_RENDER:-$ORVANTA_NATIVE/tools/headless_render/orvanta_render}
export ORVANTA_SOURCE=$repo
per_test_limit=${E2E_TEST_TIMEOUT:-120}
# No test reaches a real radio or sound device: SoapySDR loads only our fake
# module, and SDL's sound goes to its dummy driver (or where a test sends it).
export SOAPY_SDR_ROOT=/nonexistent
export SOAPY_SDR_PLUGIN_PATH=$ORVANTA_NATIVE/fake_sdr
export SDL_AUDIODRIVER=dummy
unset SDL_DISKAUDIOFILE
# Nor the desktop's session bus: the tests of the player controls start buses of their own.
unset DBUS_SESSION_BUS_ADDRESS

for f in "$ORVANTA_NATIVE/orvanta" "$ORVANTA_NATIVE/orvanta-remote" "$ORVANTA_NATIVE/text.dat"; do
  [ -f "$f" ] || { echo "e2e-native: missing $f (build the native preset first)"; echo "e2e-native: 0 passed, 1 failed"; exit 1; }
done

E2E_ROOT=$(mktemp -d /tmp/orvanta-e2e-native.XXXXXX)
export E2E_ROOT
. "$repo/scripts/xvfb.sh"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [ -n "${E2E_KEEP:-}" ]; then echo "e2e-native: kept $E2E_ROOT"; else rm -rf "$E2E_ROOT"; fi
}
trap cleanup EXIT

# A free display from :160 on, no window manager.
start_xvfb 160 220 "$E2E_ROOT/xvfb.log" || { echo "e2e-native: could not start Xvfb"; echo "e2e-native: 0 passed, 1 failed"; exit 1; }
export E2E_DISPLAY=$DISPLAY
echo "e2e-native: Xvfb on $E2E_DISPLAY"

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
  if timeout -k 5 "$per_test_limit" bash "$t"; then
    echo "e2e-native: PASS $name ($((SECONDS - start)) s)"
    passed=$((passed + 1))
  else
    echo "e2e-native: FAIL $name ($((SECONDS - start)) s)"
    failed=$((failed + 1)); failures+=("$name")
  fi
  if [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_ROOT"/test.*; fi
done
[ "$failed" -gt 0 ] && echo "e2e-native: failed: ${failures[*]}"
echo "e2e-native: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
