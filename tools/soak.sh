#!/usr/bin/env bash
# A soak of the full edition under Wine, a measurement rather than a test:
# SOAK_MINUTES (10) at x10 with an alarm every 20 seconds, the size changed
# back and forth and the program stored in the tray and taken out again,
# while the memory of the program's Wine process (VmRSS and VmHWM from /proc)
# is read every SAMPLE_SECONDS (10). Prints the samples, then the first and
# the last minute side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
minutes=${SOAK_MINUTES:-10}
every=${SAMPLE_SECONDS:-10}
seconds=$((minutes * 60))

cmake --preset windows >/dev/null
cmake --build --preset windows -j "${JOBS:-2}" --target Kurimaro kurimaro_soak >/dev/null

build=$root/build/windows
state=$build/soak-state
log=$state/soak.log
# A display and a prefix of its own, kept between runs.
bash tests/e2e/wine-env.sh start "$state"
trap 'bash tests/e2e/wine-env.sh stop "$state"' EXIT
export KURIMARO_E2E_STATE=$state KURIMARO_E2E_TIMEOUT=$((seconds + 120))

bash tests/e2e/wine-run.sh "$build/bin/kurimaro_soak.exe" "$seconds" >"$log" 2>&1 &
driver=$!

# The program's own Wine process: named after the .exe, in this prefix.
pid=""
for _ in $(seq 300); do
  for p in $(pgrep -x Kurimaro.exe || true); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$state/prefix"; then
      pid=$p
    fi
  done
  [ -n "$pid" ] && break
  sleep 0.1
done
if [ -z "$pid" ]; then
  echo "the program did not start" >&2
  cat "$log" >&2
  exit 1
fi

# Samples start when the driver has the program at x10.
for _ in $(seq 600); do
  grep -q "started at x10" "$log" 2>/dev/null && break
  sleep 0.1
done

kib() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$pid/status" 2>/dev/null; }
samples=$state/samples.txt
: >"$samples"
start=$(date +%s)
echo "$(/usr/lib/wine/wine64 --version), $(nproc) cores; Kurimaro.exe is pid $pid"
printf '%8s %12s %12s\n' seconds "VmRSS KiB" "VmHWM KiB"
while kill -0 "$pid" 2>/dev/null; do
  rss=$(kib VmRSS)
  hwm=$(kib VmHWM)
  [ -z "$rss" ] && break
  t=$(($(date +%s) - start))
  printf '%8d %12d %12d\n' "$t" "$rss" "$hwm" | tee -a "$samples"
  sleep "$every"
done
status=0
wait "$driver" || status=$?

echo
tr -d '\r' <"$log"
echo
# First and last minute of samples, side by side. The size changes back and
# forth, so the lowest and highest readings of each minute are what compare.
awk '
  { t[NR] = $1; rss[NR] = $2; hwm[NR] = $3 }
  END {
    lo1 = lo2 = 1e12
    for (i = 1; i <= NR; i++) {
      if (t[i] < 60) { if (rss[i] < lo1) lo1 = rss[i]; if (rss[i] > hi1) hi1 = rss[i]; h1 = hwm[i] }
      if (t[i] >= t[NR] - 60) { if (rss[i] < lo2) lo2 = rss[i]; if (rss[i] > hi2) hi2 = rss[i]; h2 = hwm[i] }
    }
    printf "%-22s %14s %14s\n", "", "first minute", "last minute"
    printf "%-22s %14d %14d\n", "VmRSS lowest, KiB", lo1, lo2
    printf "%-22s %14d %14d\n", "VmRSS highest, KiB", hi1, hi2
    printf "%-22s %14d %14d\n", "VmHWM at its end, KiB", h1, h2
  }' "$samples"
exit "$status"
