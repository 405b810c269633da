#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. native preset: unit and behaviour tests, and a seeded soak of 20,000 events (ctest)
#   2. native-asan preset: the same tests under AddressSanitizer and UBSan
#   3. mingw-i686 preset: orvanta.exe, the product, and checks of the programs' import and export
#      tables and sizes, on every machine
#   4. the fuzz targets (skin loader, settings store), about 20 s each (fuzz/run.sh)
#   5. end-to-end tests: the Windows program under Wine on Xvfb (scripts/e2e). Where the kernel
#      runs no 32-bit programs (or ORVANTA_WINE_BITS=64), Wine's 32-bit loader cannot start, so
#      the mingw-x86_64 build is made too and runs under wine64 (scripts/wine.sh chooses)
#   6. end-to-end tests of the native program orvanta on Xvfb (scripts/e2e-native)
#   7. what people install (scripts/package_test.sh): the Debian package and the Windows zip,
#      built by scripts/package.sh, unpacked and run, with lintian, appstreamcli and man
# Exits non-zero when anything failed; ends with a summary of every step.
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
jobs=$(nproc)
logs=$repo/build/logs
started=$SECONDS

summary=()
total_passed=0 total_failed=0 broken=0

bash scripts/setup.sh || { echo "setup failed"; exit 1; }
mkdir -p "$logs"

# step NAME COMMAND...: runs a build step, logging it; false when it failed.
step() {
  local name=$1; shift
  local t=$SECONDS
  echo "== $name"
  if "$@" > "$logs/$name.log" 2>&1; then
    echo "   ok ($((SECONDS - t)) s)"
    return 0
  fi
  tail -n 60 "$logs/$name.log"
  echo "   FAILED: $name (log: $logs/$name.log)"
  summary+=("$name: FAILED")
  broken=1
  return 1
}

# run_ctest NAME ARGS...: runs ctest and keeps its closing line for the summary.
run_ctest() {
  local name=$1; shift
  echo "== $name tests"
  ctest "$@" -j "$jobs" 2>&1 | tee "$logs/$name-ctest.log" | grep -vE '^ *([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|Start +[0-9]+: )'
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$name-ctest.log" | tail -n 1)
  if [ -z "$line" ]; then
    summary+=("$name: no test ran (ctest exit $rc)")
    broken=1
    return 1
  fi
  summary+=("$name: $line")
  local n f
  n=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  f=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total_passed=$((total_passed + n - f))
  total_failed=$((total_failed + f))
  [ "$rc" = 0 ] || broken=1
  return "$rc"
}

native_ok=0
if step native-configure cmake --preset native && step native-build cmake --build --preset native -j "$jobs"; then
  native_ok=1
  run_ctest native --preset native
fi

if step asan-configure cmake --preset native-asan && step asan-build cmake --build --preset native-asan -j "$jobs"; then
  run_ctest native-asan --preset native-asan
fi

win32_ok=0
if [ "$native_ok" = 1 ]; then
  if step win32-configure cmake --preset mingw-i686 && step win32-build cmake --build --preset mingw-i686 -j "$jobs"; then
    win32_ok=1
    run_ctest win32 --preset mingw-i686
    ls -l build/win32/orvanta.exe
  fi
else
  summary+=("win32: not built (the native build failed)")
  broken=1
fi

# The Windows programs the end-to-end suite runs: the product itself, or the
# 64-bit build where the 32-bit loader cannot run.
. scripts/wine.sh
wine_ok=0
if ! wine_choose "$repo"; then
  summary+=("e2e: no Windows program can run here")
  broken=1
elif [ "$WINE_BITS" = 32 ]; then
  wine_ok=$win32_ok
elif [ "$native_ok" = 1 ]; then
  echo "== $WINE_WHY"
  if step win64-configure cmake --preset mingw-x86_64 && step win64-build cmake --build --preset mingw-x86_64 -j "$jobs"; then
    wine_ok=1
  fi
fi

if [ -f fuzz/run.sh ]; then
  if step fuzz timeout -k 10 600 env FUZZ_SECONDS="${FUZZ_SECONDS:-20}" bash fuzz/run.sh; then
    done_lines=$(grep -E "^== .*: fuzzing|Done [0-9]+ runs" "$logs/fuzz.log" \
      | sed -E 's/^== (.*): fuzzing.*/\1:/; s/^ *//' | paste -sd ' ' - | sed 's/ \([a-z_]*:\)/; \1/g')
    summary+=("fuzz: ${done_lines:-ok}")
  fi
fi

if [ "$wine_ok" = 1 ]; then
  echo "== end-to-end tests"
  bash scripts/e2e/run_all.sh 2>&1 | tee "$logs/e2e.log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$logs/e2e.log" | tail -n 1)
  summary+=("${line:-e2e: did not finish}")
  if [ -n "$line" ]; then
    read -r p f < <(sed -E 's/^e2e: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/' <<<"$line")
    total_passed=$((total_passed + p))
    total_failed=$((total_failed + f))
  fi
  [ "$rc" = 0 ] && [ -n "$line" ] || broken=1
else
  summary+=("e2e: not run (orvanta.exe was not built for ${WINE_PRESET:-either})")
  broken=1
fi

# run_e2e NAME SCRIPT: an end-to-end runner whose closing line is "NAME: N passed, M failed".
run_e2e() {
  local name=$1 script=$2 rc line p f
  echo "== $name tests"
  bash "$script" 2>&1 | tee "$logs/$name.log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E "^$name: [0-9]+ passed, [0-9]+ failed" "$logs/$name.log" | tail -n 1)
  summary+=("${line:-$name: did not finish}")
  if [ -n "$line" ]; then
    read -r p f < <(sed -E "s/^$name: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/" <<<"$line")
    total_passed=$((total_passed + p))
    total_failed=$((total_failed + f))
  fi
  [ "$rc" = 0 ] && [ -n "$line" ] || broken=1
}

if [ "$native_ok" = 1 ] && [ -x build/native/orvanta ]; then
  run_e2e e2e-native scripts/e2e-native/run_all.sh
else
  summary+=("e2e-native: not run (build/native/orvanta was not built)")
  broken=1
fi

if [ "$native_ok" = 1 ] && [ "$win32_ok" = 1 ]; then
  run_e2e package scripts/package_test.sh
else
  summary+=("package: not run (the native or the mingw-i686 build failed)")
  broken=1
fi

echo
echo "== summary ($((SECONDS - started)) s)"
printf '%s\n' "${summary[@]}"
echo "total: $total_passed passed, $total_failed failed"
[ "$broken" = 0 ] && [ "$total_failed" = 0 ]
