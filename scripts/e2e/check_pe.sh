#!/usr/bin/env bash
# Checks orvanta.exe's tables: it imports from KERNEL32, USER32, GDI32 and
# msvcrt only (the compiler runtime is linked in), and it exports exactly
# MainWndProc and About under those undecorated names.
# Usage: check_pe.sh PATH/orvanta.exe [objdump]
set -uo pipefail
exe=${1:?usage: check_pe.sh orvanta.exe [objdump]}
objdump=${2:-i686-w64-mingw32-objdump}

dump=$("$objdump" -p "$exe") || { echo "FAIL: $objdump -p $exe"; exit 1; }
fail=0

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr '[:lower:]' '[:upper:]' | sort -u | tr '\n' ' ')
expected="GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL "
echo "imports: $imports"
if [ "$imports" != "$expected" ]; then
  echo "FAIL: the import table should name exactly $expected"
  fail=1
fi

# The export name table: lines like "	[   0] About" after "[Ordinal/Name Pointer] Table".
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" \
  | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ')
echo "exports: $exports"
if [ "$exports" != "About MainWndProc " ]; then
  echo "FAIL: the export table should name exactly About and MainWndProc"
  fail=1
fi

subsystem=$(sed -n 's/^Subsystem[[:space:]]*//p' <<<"$dump")
echo "subsystem: $subsystem"
case $subsystem in
  *"Windows GUI"*) ;;
  *) echo "FAIL: not a GUI program"; fail=1 ;;
esac

[ "$fail" = 0 ] && echo "orvanta.exe tables: ok"
exit $fail
