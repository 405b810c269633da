#!/usr/bin/env bash
# Checks what people install (made by scripts/package.sh) as they would use it:
#   - the Debian package: its control fields and files (modes, owner, stripped
#     programs without RPATH, icon sizes); unpacked with dpkg-deb -x, its
#     program starts on its own Xvfb with the simulated card, finds its skin,
#     shows the 367 x 132 panel, hands its web manual to the opener on H and
#     takes orvanta-remote's commands; its manual pages render (man -l, and
#     groff prints no warning); its metainfo and desktop entry validate;
#     lintian reports no error, and the package carries no override;
#   - the Windows zip: exactly its six files, README.txt with CRLF line ends,
#     the programs' import tables; unpacked into C:\Orvanta of a fresh Wine
#     prefix the panel runs and H opens a window titled "Orvanta Help". Where
#     this machine runs no 32-bit programs (scripts/wine.sh) the win64 zip is
#     the one run.
# Prints "package: N passed, M failed"; exits non-zero when a check failed.
set -uo pipefail
[ -n "${TMPDIR:-}" ] || unset TMPDIR
cd "$(dirname "$0")/.."
repo=$(pwd)
version=$(sed -n 's/^project(orvanta VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
id=org.orvanta.Orvanta
deb=$repo/build/orvanta_${version}_amd64.deb
zip32=$repo/build/orvanta-$version-win32.zip

. scripts/xvfb.sh
. scripts/wine.sh
. scripts/e2e/shots.sh  # the X tools, connecting again when Xvfb drops a connection
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

work=$(mktemp -d /tmp/orvanta-package.XXXXXX)
chmod 755 "$work"  # man drops its privileges when run as root
root=$work/root
xvfb_pid="" panel_pid="" wine_pid="" opener_pid=""
cleanup() {
  local p
  [ -n "$opener_pid" ] && kill "$opener_pid" 2>/dev/null
  for p in $panel_pid $wine_pid; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  [ -d "$work/wine" ] && WINEPREFIX=$work/wine wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [ -n "${PACKAGE_KEEP:-}" ]; then echo "package: kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 1' TERM INT

passed=0 failed=0 failures=()
# check NAME: runs the function check_NAME; its complaints go to standard error.
check() {
  local t=$SECONDS
  if "check_$1"; then
    echo "package: PASS $1 ($((SECONDS - t)) s)"
    passed=$((passed + 1))
  else
    echo "package: FAIL $1 ($((SECONDS - t)) s)"
    failed=$((failed + 1)); failures+=("$1")
  fi
}
finish() {
  [ "$failed" -gt 0 ] && echo "package: failed: ${failures[*]}"
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}
complain() { echo "  $*" >&2; return 1; }
note() { echo "  $*"; }

# wait_until SECONDS COMMAND...: retries COMMAND every 0.2 s until it succeeds.
wait_until() {
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

# The xwininfo line of the window named exactly $1; false when there is none.
window_named() {
  xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" 'index($0, name) { print; found = 1; exit } END { exit !found }'
}

# ---------------------------------------------------------------- building
check_build() {
  bash scripts/package.sh > "$work/package.log" 2>&1 || { tail -n 30 "$work/package.log" >&2; return 1; }
  [ -f "$deb" ] || complain "no $deb"
  [ -f "$zip32" ] || complain "no $zip32"
}
check build
[ "$failed" = 0 ] || finish

# ---------------------------------------------------------------- the Debian package
check_deb_control() {
  local status=0 field
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = orvanta ] || { status=1; complain "Package: $(field Package)"; }
  [ "$(field Version)" = "$version" ] || { status=1; complain "Version: $(field Version)"; }
  [ "$(field Architecture)" = amd64 ] || { status=1; complain "Architecture: $(field Architecture)"; }
  [ "$(field Section)" = sound ] || { status=1; complain "Section: $(field Section)"; }
  [ "$(field Maintainer)" = "Orvanta developers <maintainers@orvanta.example>" ] || { status=1; complain "Maintainer: $(field Maintainer)"; }
  [ "$(field Recommends)" = soapysdr0.8-module-rtlsdr ] || { status=1; complain "Recommends: $(field Recommends)"; }
  # Depends: what dpkg-shlibdeps found (SDL2, the C and C++ runtimes) and xdg-utils.
  local depends
  depends=$(field Depends)
  for p in xdg-utils libsdl2-2.0-0 libc6 libstdc++6; do
    tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF "$p" || { status=1; complain "Depends lacks $p: $depends"; }
  done
  note "Depends: $depends"
  return "$status"
}

check_deb_files() {
  local status=0 listing expected
  listing=$(dpkg-deb -c "$deb") || return 1
  # Regular files, exactly these, owned by root, programs 0755 and data 0644.
  expected=$(printf '%s\n' ./usr/bin/orvanta ./usr/bin/orvanta-remote \
    ./usr/share/applications/$id.desktop ./usr/share/doc/orvanta/changelog.gz ./usr/share/doc/orvanta/copyright \
    ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/$id.png \
    ./usr/share/man/man1/orvanta-remote.1.gz ./usr/share/man/man1/orvanta.1.gz \
    ./usr/share/metainfo/$id.metainfo.xml ./usr/share/orvanta/orvanta.html ./usr/share/orvanta/text.dat | sort)
  [ "$(awk '$1 ~ /^-/ { print $6 }' <<<"$listing" | sort)" = "$expected" ] ||
    { status=1; complain "files differ: $(diff <(awk '$1 ~ /^-/ { print $6 }' <<<"$listing" | sort) - <<<"$expected" | grep '^[<>]' | tr '\n' ' ')"; }
  local bad
  bad=$(awk '$2 != "root/root" || ($1 ~ /^d/ && $1 != "drwxr-xr-x") ||
             ($6 ~ /\/bin\// && $1 !~ /^d/ && $1 != "-rwxr-xr-x") ||
             ($1 ~ /^-/ && $6 !~ /\/bin\// && $1 != "-rw-r--r--") { print $1, $2, $6 }' <<<"$listing")
  [ -z "$bad" ] || { status=1; complain "wrong mode or owner: $bad"; }
  rm -rf "$root" && dpkg-deb -x "$deb" "$root" || return 1
  for prog in orvanta orvanta-remote; do
    file "$root/usr/bin/$prog" | grep -q ', stripped' || { status=1; complain "$prog is not stripped"; }
    ! readelf -d "$root/usr/bin/$prog" | grep -qE 'RPATH|RUNPATH' || { status=1; complain "$prog has an RPATH"; }
  done
  for size in 16 32 48 64 128 256; do
    [ "$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png")" = "${size}x$size" ] ||
      { status=1; complain "the ${size}x$size icon has another size"; }
  done
  return "$status"
}

check_panel_from_package() {
  local config=$work/config runtime=$work/runtime log=$work/panel.log line
  mkdir -p "$config/orvanta" "$runtime" "$work/bin" && chmod 700 "$runtime"
  printf '[Card]\nMODE=simulated\n' > "$config/orvanta/orvanta.ini"
  printf '#!/bin/sh\necho "$1" > "%s/opened"\necho $$ > "%s/opener.pid"\nexec sleep 30\n' "$work" "$work" > "$work/bin/xdg-open"
  chmod +x "$work/bin/xdg-open"
  XDG_CONFIG_HOME=$config XDG_RUNTIME_DIR=$runtime PATH=$work/bin:$PATH "$root/usr/bin/orvanta" > "$log" 2>&1 &
  panel_pid=$!
  wait_until 30 window_named Orvanta > /dev/null || { tail -n 5 "$log" >&2; complain "no window named Orvanta within 30 s"; return 1; }
  line=$(window_named Orvanta)
  grep -q ' 367x132+' <<<"$line" || complain "the panel window is not 367 x 132: $line" || return 1
  grep -q '^orvanta: card: simulated card' "$log" || complain "not the simulated card: $(head -n 3 "$log")" || return 1
  note "panel: $line"
  xdotool key --window "$(awk '{ print $1 }' <<<"$line")" h
  wait_until 10 test -s "$work/opened" || complain "H did not start the opener" || return 1
  opener_pid=$(cat "$work/opener.pid" 2>/dev/null)
  [ "$(realpath "$(cat "$work/opened")")" = "$root/usr/share/orvanta/orvanta.html" ] ||
    complain "H opened '$(cat "$work/opened")', not the package's web manual" || return 1
  note "H opened $(cat "$work/opened")"
  XDG_RUNTIME_DIR=$runtime "$root/usr/bin/orvanta-remote" station 4 || complain "orvanta-remote exited $?" || return 1
  wait_until 10 grep -qx 'STATION=4' "$config/orvanta/orvanta.ini" || complain "orvanta-remote did not reach the panel" || return 1
  kill "$panel_pid"; wait "$panel_pid" 2>/dev/null; panel_pid=""
}

check_man_pages() {
  local status=0 page out
  for page in orvanta orvanta-remote; do
    out=$(MANWIDTH=80 man -l "$root/usr/share/man/man1/$page.1.gz" 2>"$work/man.err") || { status=1; complain "man -l $page.1.gz failed"; }
    [ -s "$work/man.err" ] && { status=1; complain "man -l $page.1.gz: $(cat "$work/man.err")"; }
    for section in NAME SYNOPSIS DESCRIPTION ENVIRONMENT FILES 'SEE ALSO'; do
      grep -qx "$section" <<<"$out" || { status=1; complain "$page(1) has no $section"; }
    done
    out=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
    [ -z "$out" ] || { status=1; complain "groff on $page.1: $out"; }
  done
  return "$status"
}

check_metainfo() {
  local out
  out=$(appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" 2>&1) || complain "$out" || return 1
  ! grep -qE '^[EW]:' <<<"$out" || complain "$out" || return 1
  note "appstreamcli: $(tr '\n' ' ' <<<"$out")"
}

check_desktop_entry() {
  local entry=$root/usr/share/applications/$id.desktop out
  out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] || complain "desktop-file-validate: $out" || return 1
  [ -x "$root/usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")" ] || complain "Exec names no program of the package" || return 1
  grep -qx "Icon=$id" "$entry" || complain "the entry's icon is not $id"
}

check_lintian() {
  local out
  [ -z "$(dpkg-deb -c "$deb" | grep 'lintian/overrides')" ] || complain "the package carries lintian overrides" || return 1
  out=$(lintian --allow-root --tag-display-limit 0 "$deb" 2>&1)
  printf '%s\n' "$out" > "$work/lintian.txt"
  [ -z "$out" ] || note "lintian: $(tr '\n' '|' <<<"$out")"
  ! grep -qE '^E:' <<<"$out" || complain "lintian reports errors" || return 1
}

# ---------------------------------------------------------------- the Windows zips
# imports_are EXE OBJDUMP "DLL ...": the import table names exactly those DLLs.
imports_are() {
  local got
  got=$("$2" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:lower:]' '[:upper:]' | sort -u | xargs)
  [ "$got" = "$3" ] || complain "$(basename "$1") imports $got, expected $3"
}

check_windows_zip() {
  local status=0 dir=$work/zip32
  [ "$(unzip -Z1 "$zip32" | sort | xargs)" = "README.txt orvanta.exe orvanta.hlp orvanta.html orvanta_remote.exe text.dat" ] ||
    { status=1; complain "zip holds: $(unzip -Z1 "$zip32" | xargs)"; }
  rm -rf "$dir" && mkdir -p "$dir" && unzip -q "$zip32" -d "$dir" || return 1
  [ "$(grep -c $'\r$' "$dir/README.txt")" = "$(wc -l < "$dir/README.txt")" ] || { status=1; complain "README.txt has lines without CRLF"; }
  grep -q "Orvanta $version" "$dir/README.txt" || { status=1; complain "README.txt does not name version $version"; }
  imports_are "$dir/orvanta.exe" i686-w64-mingw32-objdump "GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL" || status=1
  imports_are "$dir/orvanta_remote.exe" i686-w64-mingw32-objdump "KERNEL32.DLL MSVCRT.DLL USER32.DLL" || status=1
  i686-w64-mingw32-objdump -f "$dir/orvanta.exe" | grep -q 'file format pei-i386' || { status=1; complain "orvanta.exe is not a 32-bit program"; }
  return "$status"
}

visible_panel() {
  xdotool search --onlyvisible --name '^Orvanta$' 2>/dev/null | head -n 1 | grep .
}
help_window() {
  xdotool search --onlyvisible --name '^Orvanta Help' 2>/dev/null | head -n 1 | grep .
}

check_windows_zip_runs() {
  local zip=$zip32 app id
  wine_choose "$repo" || return 1
  [ "$WINE_BITS" = 64 ] && zip=$repo/build/orvanta-$version-win64.zip
  note "$WINE_WHY: $(basename "$zip")"
  export WINEPREFIX=$work/wine
  timeout 300 "$WINE_LOADER" wineboot -i > "$work/wineboot.log" 2>&1 || { tail -n 5 "$work/wineboot.log" >&2; complain "wineboot failed"; return 1; }
  timeout 60 wineserver -w
  app=$WINEPREFIX/drive_c/Orvanta
  mkdir -p "$app" && unzip -q "$zip" -d "$app" || return 1
  printf '[Card]\r\nMODE=simulated\r\n' > "$WINEPREFIX/drive_c/windows/orvanta.ini"
  (cd "$app" && exec "$WINE_LOADER" 'C:\Orvanta\orvanta.exe') > "$work/wine.log" 2>&1 &
  wine_pid=$!
  wait_until 60 visible_panel > /dev/null || { tail -n 5 "$work/wine.log" >&2; complain "no window named Orvanta within 60 s"; return 1; }
  id=$(visible_panel)
  xwininfo -id "$id" | grep -q 'Width: 367' || complain "the panel is not 367 pixels wide" || return 1
  sleep 1
  xdotool windowfocus "$id" 2>/dev/null
  xdotool key --window "$id" h
  wait_until 30 help_window > /dev/null || complain "no window titled 'Orvanta Help...' within 30 s after H" || return 1
  note "help: '$(xdotool getwindowname "$(help_window)")'"
  wineserver -k; wait "$wine_pid" 2>/dev/null; wine_pid=""
}

if start_xvfb 230 290 "$work/xvfb.log"; then
  echo "package: Xvfb on $DISPLAY"
else
  echo "package: could not start Xvfb"
fi
for c in deb_control deb_files panel_from_package man_pages metainfo desktop_entry lintian windows_zip windows_zip_runs; do
  check "$c"
done
finish
