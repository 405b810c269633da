# start_xvfb FIRST LAST [LOG [OPTION...]]: starts Xvfb (1024 x 768 x 24, no
# window manager, with the given further options) on the first free display
# from :FIRST to :LAST and waits until it answers. Sets xvfb_pid and exports
# DISPLAY; false when no display could be started.
start_xvfb() {
  local n first=$1 last=$2 log=${3:-/dev/null}
  shift $(($# < 3 ? $# : 3))
  xvfb_pid=""
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp "$@" > "$log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break
      sleep 0.1
    done
    if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=""
  done
  return 1
}
