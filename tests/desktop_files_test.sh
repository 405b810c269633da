#!/usr/bin/env bash
# The desktop entry, the AppStream metainfo, the Debian changelog and the
# manual pages agree on the program's name, version and release day, and each
# passes its own checker: desktop-file-validate, appstreamcli (no warnings)
# and groff (no warnings of any kind).
# Usage: desktop_files_test.sh SOURCE_DIR MAN_DIR VERSION DATE
set -uo pipefail
src=${1:?source folder} man=${2:?folder of the built manual pages} version=${3:?version} date=${4:?release day}
id=org.orvanta.Orvanta
desktop=$src/src/resources/$id.desktop
metainfo=$src/packaging/$id.metainfo.xml
failed=0
fail() { echo "FAIL: $*"; failed=1; }

[ -f "$desktop" ] || fail "no desktop entry $desktop"
[ -f "$metainfo" ] || fail "no metainfo $metainfo"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's icon is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metainfo does not launch $id.desktop"

# The newest release of the metainfo and of the changelog is this version, on this day.
newest=$(grep -m 1 -o '<release [^>]*>' "$metainfo")
[ "$newest" = "<release version=\"$version\" date=\"$date\">" ] || fail "newest metainfo release '$newest', expected $version on $date"
head -n 1 "$src/packaging/changelog" | grep -q "^orvanta ($version) " || fail "the changelog starts with '$(head -n 1 "$src/packaging/changelog")'"
day=$(grep -m 1 '^ -- ' "$src/packaging/changelog" | sed 's/.*>  //')
[ "$(date -u -d "$day" +%F 2>/dev/null)" = "$date" ] || fail "the changelog's newest entry is of '$day', expected $date"
[ "$(date -u -d "$day" '+%a, %d %b %Y %T %z' 2>/dev/null)" = "$day" ] || fail "the changelog's date '$day' is not in RFC 5322 form with its weekday"

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
fi
if command -v appstreamcli >/dev/null; then
  out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli: $out"
  if grep -qE '^[EW]:' <<<"$out"; then fail "appstreamcli: $out"; fi
fi
if command -v groff >/dev/null; then
  for page in orvanta orvanta-remote; do
    [ -f "$man/$page.1" ] || { fail "no manual page $man/$page.1"; continue; }
    out=$(groff -man -ww -z "$man/$page.1" 2>&1)
    [ -z "$out" ] || fail "groff on $page.1: $out"
    grep -q "^\.TH ${page^^} 1 \"$date\" \"Orvanta $version\"" "$man/$page.1" || fail "$page.1 is not of $version, $date"
  done
fi
exit "$failed"
