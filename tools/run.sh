#!/usr/bin/env bash
# Installs what is missing, builds the full edition and starts it under Wine
# with default settings. Without a desktop (no DISPLAY) it runs on a virtual
# display and saves a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "${JOBS:-2}" --target Kurimaro

run_dir=$root/build/run
mkdir -p "$run_dir"
rm -f "$run_dir/KurimaroConf.dat"   # default settings on every start
export WINEPREFIX=$run_dir/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  n=77
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -wr -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  sleep 1
  echo "No DISPLAY: running on the virtual display $DISPLAY."
fi
if [ ! -d "$WINEPREFIX" ]; then
  echo "Preparing a Wine prefix in $WINEPREFIX (once)..."
  "$wine" wineboot -i >/dev/null 2>&1 || true
  for font in "MS UI Gothic" "MS Gothic" "MS PGothic"; do
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d IPAGothic /f >/dev/null 2>&1
  done
fi

cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

cd "$run_dir"
echo "Starting Kurimaro in $run_dir (right-click the character for the menu; Ctrl-C ends it)."
"$wine" "$root/build/windows/bin/Kurimaro.exe" &
if [ -n "$xvfb_pid" ]; then
  sleep 3
  import -display "$DISPLAY" -window root "$run_dir/screenshot.png" 2>/dev/null &&
    echo "Screenshot: $run_dir/screenshot.png"
fi
wait
