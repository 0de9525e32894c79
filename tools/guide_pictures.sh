#!/usr/bin/env bash
# Redraws every picture of the README and the user guide: the preview
# renderer's pictures of the artwork, and screenshots of the real full
# edition under Wine on a virtual display (at two scales, with its menu open
# in Japanese and in English, and its about box). The clock shows the moment
# the pictures were taken.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-2}

bash tools/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target kurimaro_preview >/dev/null
bash tools/preview/make_docs.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target Kurimaro kurimaro_poke >/dev/null

state=$root/build/guide
work=$state/work
mkdir -p "$work"
bash tests/e2e/wine-env.sh start "$state"
export DISPLAY=$(cat "$state/display")
export WINEPREFIX=$state/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv=d"
wine=/usr/lib/wine/wine64
bin=$root/build/windows/bin
compositor=""
cleanup() {
  [ -n "$compositor" ] && kill "$compositor" 2>/dev/null || true
  bash "$root/tests/e2e/wine-env.sh" stop "$state"
}
trap cleanup EXIT
# A compositor applies the shadow window's alpha, as a Windows desktop does.
xcompmgr >/dev/null 2>&1 &
compositor=$!

poke() { "$wine" "$bin/kurimaro_poke.exe" "$@" | tr -d '\r'; }
shot() { import -display "$DISPLAY" -window root -crop "$1" +repage "$2"; }

# Wine takes the program's display language from its locale.
japanese() { export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; }
english() { export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8; }

# Starts the full edition at scale $1, top-left (40, 40), date and alarm rows on.
start() {
  printf '%s\r\n' "\$viewscale = $1" '$shadow = 1' '$alerm = 1' '$24 = 0' '$topmost = 1' \
    '$movelock = 0' '$calendar = 1' '$hide = 0' '$sd = 0' '$al_time = 0' '&sd_file = ""' \
    '$pos_x = 40' '$pos_y = 40' >"$work/KurimaroConf.dat"
  printf '7:30\r\n12:15\r\n18:45\r\n' >"$work/alerm.txt"
  (cd "$work" && exec timeout 60 "$wine" "$bin/Kurimaro.exe") &
  sleep 3
}
stop() { wineserver -k 2>/dev/null || true; sleep 1; }

japanese
# Each picture: the window (88s x 80s), its shadow 3s further, a margin of 10.
for s in 2 4; do
  poke cursor 600 700
  start "$s"
  shot "$((88 * s + 3 * s + 20))x$((80 * s + 3 * s + 20))+30+30" "docs/running_x$s.png"
  stop
done

# The menu opens at the cursor from a right click on the character.
open_menu() {
  poke cursor 170 200
  poke post KurimaroLite 0x0205 0 0   # WM_RBUTTONUP
  sleep 1
  read -r w h x y < <(poke rect '#32768')
  shot "$((x + w + 10 - 30))x$((y + h + 10 - 30))+30+30" "$1"
}

# The same menu on an English desktop, first.
english
start 2
open_menu docs/menu_en.png
stop

japanese
start 2
open_menu docs/menu.png
# The first submenu, with its check marks: Down selects it, Right opens it.
poke post '#32768' 0x0100 0x28 0
poke post '#32768' 0x0100 0x27 0
sleep 1
shot "$((x + 2 * w + 10 - 30))x$((y + h + 10 - 30))+30+30" docs/menu_display.png
poke post '#32768' 0x0100 0x1B 0  # Escape, twice: submenu, then menu
poke post '#32768' 0x0100 0x1B 0
sleep 0.5
poke post KurimaroLite 0x0111 40040 0  # WM_COMMAND: about
sleep 1
read -r w h x y < <(poke rect '#32770')
shot "${w}x${h}+${x}+${y}" docs/about.png
stop
ls -1 docs/*.png
