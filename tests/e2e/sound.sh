#!/usr/bin/env bash
# Hears the alarms: runs the driver with a sound server of this run's own (a
# null sink, never the machine's server) whose monitor is recorded the whole
# time, 16-bit mono at 8000 Hz. The driver reads the recording through Wine's
# Z: drive and ties it to the wall clock itself.
#   sound.sh DRIVER [ARGUMENTS...]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
dir=$(mktemp -d "${TMPDIR:-/tmp}/kurimaro-sound.XXXXXX")
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap finish EXIT

# Its socket, cookie and state in the run's own folder.
export HOME="$dir" XDG_RUNTIME_DIR="$dir" XDG_CONFIG_HOME="$dir" PULSE_RUNTIME_PATH="$dir"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --realtime=no \
  --high-priority=no --load="module-null-sink sink_name=t" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" >"$dir/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$dir/native" ] && break; sleep 0.05; done
export PULSE_SERVER="unix:$dir/native"
# Fragments of 10 ms: a sample reaches the file about that soon after it is heard.
parec -d t.monitor --format=s16le --rate=8000 --channels=1 --latency-msec=10 \
  >"$dir/heard.raw" 2>"$dir/parec.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$dir/heard.raw" ] && break; sleep 0.05; done
if [ ! -s "$dir/heard.raw" ]; then
  echo "sound.sh: nothing recorded" >&2
  cat "$dir/pulse.log" "$dir/parec.log" >&2
  exit 1
fi
export KURIMARO_E2E_RECORDING="$dir/heard.raw"
"$here/wine-run.sh" "$@"
