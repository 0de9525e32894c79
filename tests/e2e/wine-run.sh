#!/usr/bin/env bash
# Runs one Windows program under Wine on the display and prefix that
# wine-env.sh made. The state directory comes from KURIMARO_E2E_STATE, or
# e2e-state beside the program.
set -euo pipefail
program=$1
shift
state=${KURIMARO_E2E_STATE:-$(dirname "$(realpath "$program")")/../e2e-state}
export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
# Sound only where a recording listens (sound.sh); elsewhere no driver at all,
# which also keeps ALSA's "cannot find card" lines out of the output.
if [ -n "${KURIMARO_E2E_RECORDING:-}" ]; then audio="winealsa.drv=d"; else audio="winealsa.drv,winepulse.drv=d"; fi
export WINEDLLOVERRIDES="mscoree,mshtml=;$audio"
if [ -f "$state/display" ]; then export DISPLAY=$(cat "$state/display"); fi
# A program that cannot open a window sits in its loop; never wait forever.
exec timeout --kill-after=10 "${KURIMARO_E2E_TIMEOUT:-600}" /usr/lib/wine/wine64 "$program" "$@"
