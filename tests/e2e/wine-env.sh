#!/usr/bin/env bash
# Brings up and tears down what the end-to-end tests run in: a virtual X
# display and a throwaway Wine prefix, both under the given state directory.
#   wine-env.sh start STATE_DIR   |   wine-env.sh stop STATE_DIR
set -euo pipefail
action=$1
state=$(realpath -m "$2")
mkdir -p "$state"

export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv=d"
wine=/usr/lib/wine/wine64

stop() {
  wineserver -k 2>/dev/null || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
  rm -f "$state/display"
}

start() {
  stop
  # A free display number: the first with neither a lock file nor a socket.
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  # White root, so a black shadow shows on screenshots.
  Xvfb ":$n" -screen 0 1280x1024x24 -wr -nolisten tcp >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  echo ":$n" >"$state/display"
  export DISPLAY=":$n"

  if [ ! -f "$WINEPREFIX/.kurimaro-ready" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    # No window manager here: without this every hide waits two seconds.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    for font in "MS UI Gothic" "MS Gothic" "MS PGothic"; do
      "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d IPAGothic /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.kurimaro-ready"
  fi
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop STATE_DIR" >&2; exit 2 ;;
esac
