#!/usr/bin/env bash
# Records what the X server maps while the driver runs: xev on the root
# window's children, a line at a time, into a file the driver reads through
# Wine's Z: drive (KURIMARO_E2E_XEVENTS). Only the X server can tell whether a
# window reached the screen for a moment; Wine's state shows only the end.
#   x_events.sh DRIVER [ARGUMENTS...]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
state=${KURIMARO_E2E_STATE:?}
dir=$(mktemp -d "${TMPDIR:-/tmp}/kurimaro-xevents.XXXXXX")
xev_pid=""
finish() {
  [ -n "$xev_pid" ] && kill "$xev_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap finish EXIT
DISPLAY=$(cat "$state/display") stdbuf -oL xev -root -event substructure >"$dir/events" \
  2>"$dir/xev.log" &
xev_pid=$!
export KURIMARO_E2E_XEVENTS="$dir/events"
"$here/wine-run.sh" "$@"
