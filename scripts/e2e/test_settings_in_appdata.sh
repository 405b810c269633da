#!/usr/bin/env bash
# A standard user on Windows Vista and later cannot write into the Windows
# directory (the manifest turns file virtualization off): the program keeps
# its settings in %APPDATA%\Orvanta\orvanta.ini instead, and reads them from
# there at the next start. The prefix belongs to an unprivileged user and its
# Windows directory is read-only; where the tests run as root (who may write
# anywhere), Wine runs as user nobody.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null || fail "setpriv (util-linux) is needed to run Wine as an unprivileged user"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  user=$(id -un 65534)
else
  as_user=()
  user=$(id -un)
fi
TEST_DIR=$(mktemp -d "$E2E_ROOT/test.XXXXXX")
chmod 755 "$E2E_ROOT" "$TEST_DIR"
home=$TEST_DIR/home
mkdir -p "$home"
[ "$(id -u)" = 0 ] && chown 65534:65534 "$home"
PREFIX=$home/prefix
# run_as_user COMMAND...: runs COMMAND as the prefix's user, with its home and prefix.
run_as_user() { "${as_user[@]}" env HOME="$home" USER="$user" LOGNAME="$user" WINEPREFIX="$PREFIX" "$@"; }
run_as_user test -w "$home" || fail "$user cannot reach $home (TMPDIR=${TMPDIR:-}): it must lie under folders everyone may enter"

stop_user_wine() {
  run_as_user wineserver -k >/dev/null 2>&1 || true
  [ -n "$PANEL_PID" ] && wait "$PANEL_PID" 2>/dev/null
  PANEL_PID=""
}
trap stop_user_wine EXIT

run_as_user timeout 300 "$WINE_LOADER" wineboot -i > "$TEST_DIR/wineboot.log" 2>&1 || fail "wineboot as $user failed: $(tail -n 3 "$TEST_DIR/wineboot.log")"
run_as_user wineserver -w
APP_DIR=$PREFIX/drive_c/Orvanta
run_as_user mkdir -p "$APP_DIR"
run_as_user cp "$ORVANTA_BUILD/orvanta.exe" "$ORVANTA_BUILD/text.dat" "$ORVANTA_BUILD/orvanta_remote.exe" "$APP_DIR/"
windows=$PREFIX/drive_c/windows
chmod a-w "$windows"
if run_as_user touch "$windows/probe" 2>/dev/null; then fail "$user can still write $windows"; fi
INI=$PREFIX/drive_c/users/$user/AppData/Roaming/Orvanta/orvanta.ini
TRACE=$PREFIX/drive_c/trace.txt

start_user_panel() {
  (cd "$APP_DIR" && exec "${as_user[@]}" env HOME="$home" USER="$user" LOGNAME="$user" WINEPREFIX="$PREFIX" \
    "$WINE_LOADER" 'C:\Orvanta\orvanta.exe') > "$TEST_DIR/wine.log" 2>&1 &
  PANEL_PID=$!
}
remote() {
  run_as_user "$WINE_LOADER" 'C:\Orvanta\orvanta_remote.exe' "$@" >> "$TEST_DIR/wine.log" 2>&1
}

# First start, no settings anywhere: preset 7 chosen by the remote is kept in the user's folder.
start_user_panel
wait_window Orvanta 60 >/dev/null || fail "no window named Orvanta within 60 s"
wait_until 30 remote station 7 || fail "orvanta_remote station 7 found no panel"
wait_until 10 setting_is STATION 7 || fail "STATION=7 is not in $INI; files named orvanta.ini: $(find "$PREFIX/drive_c" -iname orvanta.ini)"
[ ! -e "$windows/orvanta.ini" ] || fail "a settings file appeared in the read-only Windows directory"
[ -z "$(find "$windows" -maxdepth 1 -iname 'orv*.tmp')" ] || fail "the writability probe left a file"
note "settings kept in C:\\users\\$user\\AppData\\Roaming\\Orvanta\\orvanta.ini"
stop_user_wine

# Second start: the settings are read from there (preset 7, now 98.1 MHz, is tuned).
sed -i 's/^\[RadioStation\]\r*$/&\nStation7=98.1\r/' "$INI"
printf '[Simulator]\r\nMODE=simulated\r\nTRACE=C:\\trace.txt\r\n' >> "$INI"
start_user_panel
wait_window Orvanta 60 >/dev/null || fail "no window named Orvanta within 60 s (second start)"
wait_until 20 first_transfer >/dev/null || fail "no transfer in the trace at the second start"
[ "$(first_transfer)" = "T 4352 85" ] || fail "second start: first transfer '$(first_transfer)', expected preset 7's 'T 4352 85'"
note "second start read them: $(first_transfer)"
