#!/usr/bin/env bash
# Photographs the real full edition running under Wine on a virtual display,
# with the date and alarm rows on and a translucent shadow, into
# docs/running.png. The picture shows the clock at the moment it was taken.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "${JOBS:-2}" --target Kurimaro >/dev/null

state=$root/build/shoot
work=$state/work
mkdir -p "$work"
bash tests/e2e/wine-env.sh start "$state"
export DISPLAY=$(cat "$state/display")
export WINEPREFIX=$state/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv=d"
trap 'kill "${compositor:-}" 2>/dev/null || true; bash "$root/tests/e2e/wine-env.sh" stop "$state"' EXIT

# A compositor applies the shadow window's alpha, as a Windows desktop does.
xcompmgr >/dev/null 2>&1 &
compositor=$!

printf '%s\r\n' '$viewscale = 3' '$shadow = 1' '$alerm = 1' '$24 = 0' '$topmost = 1' \
  '$movelock = 0' '$calendar = 1' '$hide = 0' '$sd = 0' '$al_time = 0' '&sd_file = ""' \
  '$pos_x = 40' '$pos_y = 40' >"$work/KurimaroConf.dat"
printf '7:30\r\n12:15\r\n18:45\r\n' >"$work/alerm.txt"

cd "$work"
timeout 20 /usr/lib/wine/wine64 "$root/build/windows/bin/Kurimaro.exe" &
sleep 4
# Window 264 x 240 at (40, 40), the shadow 9 pixels further; a margin of desktop around.
import -display "$DISPLAY" -window root -crop 293x269+30+30 +repage "$root/docs/running.png"
wineserver -k 2>/dev/null || true
echo "docs/running.png"
