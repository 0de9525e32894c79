#!/usr/bin/env bash
# Renders the pictures under docs/ from the committed artwork.
# usage: tools/preview/make_docs.sh [path to kurimaro_preview]
set -euo pipefail
cd "$(dirname "$0")/../.."
preview=${1:-build/native/tools/kurimaro_preview}
moment=(--scale 4 --mask --date 2024-06-15 --time 10:08:37 --pointer 0,0)
for pose in 0 1 2 3 4; do
  "$preview" "${moment[@]}" --pose "$pose" --mode "$((pose > 1 ? 2 : 0))" "docs/frame$pose.png"
done
"$preview" "${moment[@]}" --no-calendar docs/clock_12h.png
"$preview" "${moment[@]}" --no-calendar --hour24 --time 19:08:37 docs/clock_24h.png
"$preview" "${moment[@]}" --date 2024-12-08 docs/clock_calendar.png
"$preview" "${moment[@]}" --alerm --alarms 7:00,12:30,18:45 docs/clock_alarm.png
