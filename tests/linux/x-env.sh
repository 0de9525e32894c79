#!/usr/bin/env bash
# Brings up and tears down the desktop the Linux end-to-end tests run on: a
# virtual X display with the openbox window manager, under the state directory.
#   x-env.sh start STATE_DIR   |   x-env.sh stop STATE_DIR
set -euo pipefail
action=$1
state=$(realpath -m "$2")
mkdir -p "$state"

stop() {
  for name in openbox xvfb; do
    if [ -f "$state/$name.pid" ]; then
      kill "$(cat "$state/$name.pid")" 2>/dev/null || true
      rm -f "$state/$name.pid"
    fi
  done
  rm -f "$state/display"
}

start() {
  stop
  # A free display number: the first with neither a lock file nor a socket.
  local n=120
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  # White root, so a black shadow shows on screenshots.
  Xvfb ":$n" -screen 0 1280x1024x24 -wr -nolisten tcp >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  # No session bus: nothing of the host's desktop may answer the programs.
  env -u DBUS_SESSION_BUS_ADDRESS openbox --sm-disable >"$state/openbox.log" 2>&1 &
  echo $! >"$state/openbox.pid"
  # Ready once it owns the screen's window-manager selection.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  echo ":$n" >"$state/display"
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop STATE_DIR" >&2; exit 2 ;;
esac
