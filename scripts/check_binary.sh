#!/usr/bin/env bash
# Checks that a Windows program stays small and imports only what it may.
# Usage: check_binary.sh PROGRAM.exe MAX_BYTES "DLL1.DLL DLL2.DLL ..." [objdump]
# The DLL list is upper case and sorted; the program must import exactly those.
set -uo pipefail
exe=${1:?usage: check_binary.sh PROGRAM.exe MAX_BYTES DLLS [objdump]}
limit=${2:?maximum size in bytes}
expected=${3:?expected DLL names}
objdump=${4:-i686-w64-mingw32-objdump}
fail=0

size=$(stat -c %s "$exe") || exit 1
echo "$(basename "$exe"): $size bytes (limit $limit)"
if [ "$size" -gt "$limit" ]; then
  echo "FAIL: $(basename "$exe") has grown past $limit bytes"
  fail=1
fi

imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:lower:]' '[:upper:]' | sort -u | xargs)
echo "imports: $imports"
if [ "$imports" != "$(xargs <<<"$expected")" ]; then
  echo "FAIL: the import table should name exactly $expected"
  fail=1
fi
exit $fail
