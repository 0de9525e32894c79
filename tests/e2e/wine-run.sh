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
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv=d"
if [ -f "$state/display" ]; then export DISPLAY=$(cat "$state/display"); fi
# A program that cannot open a window sits in its loop; never wait forever.
exec timeout --kill-after=10 "${KURIMARO_E2E_TIMEOUT:-600}" /usr/lib/wine/wine64 "$program" "$@"
