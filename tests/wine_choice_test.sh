#!/usr/bin/env bash
# How Windows programs run (scripts/wine.sh): a 32-bit loader that the kernel
# cannot start ("Exec format error", as where 32-bit emulation is off) makes
# the 64-bit build run under wine64 and says why; ORVANTA_WINE_BITS forces a
# choice and a forced 32 fails loudly where it cannot work; prefixes of the
# other kind are never reused. Runs no Windows program.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}

# An x86 ELF header for another machine type: the kernel refuses it with ENOEXEC.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\267\000' > "$work/wine32"
head -c 256 /dev/zero >> "$work/wine32"
chmod +x "$work/wine32"
printf '#!/bin/sh\necho wine-test\n' > "$work/wine64"
chmod +x "$work/wine64"

choose() {  # choose ENV...: prints "BITS|BUILD|LOADER|WINEARCH|WHY" or "refused: MESSAGE"
  env "$@" bash -c '
    . "$0/scripts/wine.sh"
    wine_loader64=$WINE64_UNDER_TEST
    if wine_choose /repo 2>"$1/err"; then
      echo "$WINE_BITS|$WINE_BUILD|$WINE_LOADER|$WINEARCH|$WINE_WHY"
    else
      echo "refused: $(cat "$1/err")"
    fi' "$repo" "$work"
}

check "no 32-bit programs: the 64-bit build under wine64" \
  "64|/repo/build/win64|$work/wine64|win64|64-bit build under wine64: this kernel runs no 32-bit programs" \
  "$(choose ORVANTA_WINE_LOADER32="$work/wine32" WINE64_UNDER_TEST="$work/wine64" ORVANTA_WINE_BITS=)"
check "no 32-bit loader installed" \
  "64|/repo/build/win64|$work/wine64|win64|64-bit build under wine64: $work/none is not installed" \
  "$(choose ORVANTA_WINE_LOADER32="$work/none" WINE64_UNDER_TEST="$work/wine64" ORVANTA_WINE_BITS=)"
check "forced 32 where it cannot run" \
  "refused: wine: ORVANTA_WINE_BITS=32, but the 32-bit loader cannot run: this kernel runs no 32-bit programs" \
  "$(choose ORVANTA_WINE_LOADER32="$work/wine32" WINE64_UNDER_TEST="$work/wine64" ORVANTA_WINE_BITS=32)"
check "forced 64 where 32 would run" \
  "64|/repo/build/win64|$work/wine64|win64|64-bit build under wine64: ORVANTA_WINE_BITS=64" \
  "$(choose ORVANTA_WINE_LOADER32="$work/wine64" WINE64_UNDER_TEST="$work/wine64" ORVANTA_WINE_BITS=64)"
check "a 32-bit loader that runs: the product" \
  "32|/repo/build/win32|$work/wine64|win32|32-bit product under wine" \
  "$(choose ORVANTA_WINE_LOADER32="$work/wine64" WINE64_UNDER_TEST="$work/wine64" ORVANTA_WINE_BITS=)"
check "neither loader runs" "refused" \
  "$(choose ORVANTA_WINE_LOADER32="$work/wine32" WINE64_UNDER_TEST="$work/wine32" ORVANTA_WINE_BITS= | cut -d: -f1)"
check "a bad forced value" "refused: wine: ORVANTA_WINE_BITS must be 32 or 64, not '3'" \
  "$(choose ORVANTA_WINE_LOADER32="$work/wine64" WINE64_UNDER_TEST="$work/wine64" ORVANTA_WINE_BITS=3)"

# Prefixes: Wine writes its architecture into system.reg.
. "$repo/scripts/wine.sh"
mkdir -p "$work/p32" "$work/p64"
printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n' > "$work/p32/system.reg"
printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n' > "$work/p64/system.reg"
WINEARCH=win64
wine_prefix_fits "$work/p32"; check "a 32-bit prefix is not reused for the 64-bit build" 1 $?
wine_prefix_fits "$work/p64"; check "a 64-bit prefix is" 0 $?
wine_prefix_fits "$work/new"; check "a prefix still to be made fits" 0 $?

[ "$failures" = 0 ]
