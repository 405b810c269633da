#!/usr/bin/env bash
# Skins as today's image editors save them: the shipped artwork written with a
# 124-byte (V5) info header, and with top-down rows, looks exactly like the
# shipped skin (compared with the headless drawing of the shipped skin).
set -uo pipefail
. "$(dirname "$0")/lib.sh"

skinart=${ORVANTA_SKINART:-$(dirname "$ORVANTA_RENDER")/../skinart/skinart}
[ -x "$skinart" ] || fail "skin tool $skinart is missing (build the native preset)"

for variant in "v5:--header 124" "topdown:--top-down" "v5-topdown:--header 124 --top-down"; do
  name=${variant%%:*}
  new_prefix
  # shellcheck disable=SC2086
  "$skinart" --out "$APP_DIR/text.dat" ${variant#*:} || fail "skinart ${variant#*:} failed"
  start_panel
  id=$(wait_window Orvanta 60) || fail "$name: no window named Orvanta within 60 s"
  shot=$(stable_shot "$id" "$name") || fail "$name: no screenshot"
  same_as_render "$shot" "$name"
  stop_panel
done
