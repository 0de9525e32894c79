#!/usr/bin/env bash
# Measures the Linux full edition (kurimaro) on a virtual display with a
# window manager (openbox) and a compositor (xcompmgr), and prints a table:
#   1. CPU and wake-ups while idling, at x2 and x10, beside a bare GTK program
#      that only runs a 17 ms and a 1000 ms timer (the floor), xeyes and oclock;
#   2. time from the start to the first painted frame, beside a bare GTK
#      window filled with one colour;
#   3. resident memory at x10, beside a bare GTK program holding two windows
#      of the x10 size;
#   4. how late alarms start, over several trials;
#   5. CPU and wake-ups while idling under sway (nested in a virtual display of
#      its own): the native layer-shell path and the XWayland one (--x11),
#      beside xeyes through XWayland, with the CPU and context switches of
#      sway and of Xwayland over the same time.
# A measurement, not a test: it is in neither CTest nor tools/test.sh.
# IDLE_SECONDS, FRAME_RUNS and ALARM_TRIALS shorten a run for a quick look.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
idle_seconds=${IDLE_SECONDS:-60}
frame_runs=${FRAME_RUNS:-5}
alarm_trials=${ALARM_TRIALS:-10}

bash tools/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "${JOBS:-2}" --target kurimaro bare_gtk xprobe >/dev/null

build=$root/build/native
kurimaro=$build/gtk/kurimaro
bare=$build/tools/bare_gtk
xprobe=$build/tools/xprobe
work=$build/measure-linux
rm -rf "$work"
mkdir -p "$work"
# Nothing of the user's: GTK's own files and the programs' settings stay here.
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export NO_AT_BRIDGE=1

n=90
while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=:$n
session_pids=()
cleanup() {
  local p
  for p in "${session_pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
session_pids+=("$xvfb_pid")
for _ in $(seq 100); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
xcompmgr >/dev/null 2>&1 &
comp_pid=$!
session_pids=("$comp_pid" "$wm_pid" "$xvfb_pid")
sleep 2

# The settings file as the program writes it, defaults but for scale and alarm.
write_conf() {
  mkdir -p "$1"
  printf '$viewscale = %d\n$shadow = 1\n$alerm = %d\n$24 = 0\n$topmost = 1\n$movelock = 0\n$calendar = 1\n$hide = 0\n$sd = 0\n$al_time = 0\n&sd_file = ""\n$pos_x = 100\n$pos_y = 100\n' \
    "$2" "$3" >"$1/KurimaroConf.dat"
}

source tools/measure/common.sh
# Voluntary context switches of a process, all its threads: a round trip to
# the X server is one as well as a wake-up.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches:/ { n += $2 } END { print n + 0 }'; }
trace_seconds=${TRACE_SECONDS:-10}
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

# Starts a program, lets it settle, and prints its CPU seconds over
# idle_seconds, those of Xvfb and of the compositor over the same time, its
# context switches a second, its resident memory at the end in KiB and its
# wake-ups a second, traced afterwards.
idle() {
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 3  # start-up is not idling
  if [ ! -e "/proc/$pid/stat" ]; then echo "gone"; return; fi
  local p0 x0 c0 w0 p1 x1 c1 w1 rss
  p0=$(cpu_ns "$pid"); x0=$(cpu_ns "$xvfb_pid"); c0=$(cpu_ns "$comp_pid"); w0=$(switches "$pid")
  sleep "$idle_seconds"
  if [ ! -e "/proc/$pid/stat" ]; then echo "gone"; return; fi
  p1=$(cpu_ns "$pid"); x1=$(cpu_ns "$xvfb_pid"); c1=$(cpu_ns "$comp_pid"); w1=$(switches "$pid")
  rss=$(rss_kb "$pid")
  local k
  k=$(wakeups "$pid" "$trace_seconds" "$work/trace.$pid")
  stop "$pid"
  awk -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v c=$((c1 - c0)) -v w=$((w1 - w0)) -v k="$k" \
    -v t="$idle_seconds" -v r="$rss" 'BEGIN { printf "%.3f %.3f %.3f %.1f %d %.1f\n", p / 1e9, x / 1e9, c / 1e9, w / t, r, k }'
}

median() { sort -n | awk '{ a[NR] = $1 } END { if (NR == 0) print ""; else if (NR % 2) print a[(NR + 1) / 2]; else printf "%.1f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

echo
echo "kurimaro built from $(git log -1 --format='%h %s' HEAD | cut -c1-70)$(git status --porcelain --untracked-files=no | grep -q . && echo ' (with uncommitted changes)' || true)"
echo "Xvfb 1280x1024x24 on $DISPLAY with openbox and xcompmgr, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

# 1. Idle CPU.
write_conf "$work/x2" 2 0
write_conf "$work/x10" 10 0
read -r floor_p floor_x floor_c floor_w floor_r floor_k < <(idle "$bare" timers)
read -r x2_p x2_x x2_c x2_w x2_r x2_k < <(idle "$kurimaro" --dir "$work/x2")
read -r x10_p x10_x x10_c x10_w x10_r x10_k < <(idle "$kurimaro" --dir "$work/x10")
read -r eyes_p eyes_x eyes_c eyes_w eyes_r eyes_k < <(idle xeyes)
read -r oclock_p oclock_x oclock_c oclock_w oclock_r oclock_k < <(idle oclock)

cpu_row() {
  local name=$1 p=$2 x=$3 c=$4 w=$5 k=$6 judge=$7
  if [ "$p" = gone ]; then
    printf '  %-30s not measured: the program was not running through the whole time\n' "$name"
    return
  fi
  awk -v n="$name" -v p="$p" -v x="$x" -v c="$c" -v w="$w" -v k="$k" -v f="$floor_p" -v j="$judge" 'BEGIN {
    r = f > 0 ? p / f : 0
    rs = f > 0 ? sprintf("%.2f", r) : "-"
    v = ""
    if (j == "judge") v = r <= 0.3 && k <= 8 ? "ok" : r > 0.3 ? "over 0.3 x the floor" : "over 8 wake-ups a second"
    printf "  %-30s %8.3f %8s %8.1f %8.1f %7.3f %10.3f   %s\n", n, p, rs, k, w, x, c, v
  }'
}
echo
echo "1. Idle, pointer still and no alarm, over $idle_seconds s: CPU of the program in seconds (the"
echo "   scheduler's account, all threads), its voluntary context switches a second, and the CPU"
echo "   of Xvfb and xcompmgr over the same time; then its wake-ups a second over $trace_seconds s traced"
echo "   (target: at most 0.3 x the floor, at most 8 wake-ups a second)"
printf '  %-30s %8s %8s %8s %8s %7s %10s\n' "" program "x floor" "wakes/s" "sw/s" Xvfb xcompmgr
cpu_row "bare GTK, 17+1000 ms (floor)" "$floor_p" "$floor_x" "$floor_c" "$floor_w" "$floor_k" ""
cpu_row "kurimaro x2, shadow" "$x2_p" "$x2_x" "$x2_c" "$x2_w" "$x2_k" judge
cpu_row "kurimaro x10, shadow" "$x10_p" "$x10_x" "$x10_c" "$x10_w" "$x10_k" judge
cpu_row "xeyes" "$eyes_p" "$eyes_x" "$eyes_c" "$eyes_w" "$eyes_k" ""
cpu_row "oclock" "$oclock_p" "$oclock_x" "$oclock_c" "$oclock_w" "$oclock_k" ""

# 2. Start to first frame: the first time the character's hair colour shows
# on the screen inside its window, beside a bare window of the same size
# filled with that colour.
colour=$(awk '$1 == "H" { printf "%02X%02X%02X", $3, $4, $5 }' resources/art/palette.txt)
write_conf "$work/frame" 2 0
read -r _ x2_w x2_h < <("$xprobe" size character "$kurimaro" --dir "$work/frame")
read -r _ x10_w x10_h < <("$xprobe" size character "$kurimaro" --dir "$work/x10")
frame() {
  if [ "$1" = full ]; then "$xprobe" firstframe "$colour" character "$kurimaro" --dir "$work/frame"
  else "$xprobe" firstframe "$colour" character "$bare" windows 1 "$x2_w" "$x2_h" "$colour"; fi
}
full_times=() bare_times=() notes=()
frame bare >/dev/null  # the first start of a program pays for loading it
frame full >/dev/null
for _ in $(seq "$frame_runs"); do
  for which in full bare; do
    line=$(frame "$which")
    if [[ $line == "firstframe none"* ]]; then notes+=("$which: ${line#firstframe none }"); continue; fi
    if [ "$which" = full ]; then full_times+=("$(awk '{ print $3 }' <<<"$line")")
    else bare_times+=("$(awk '{ print $3 }' <<<"$line")"); fi
  done
done
full_median=$(printf '%s\n' "${full_times[@]}" | grep . | median || true)
bare_median=$(printf '%s\n' "${bare_times[@]}" | grep . | median || true)
echo
echo "2. Start to first painted frame, ms, median of $frame_runs runs (hair colour #$colour on the"
echo "   screen; target: at most 50 ms over the bare window)"
printf '  %-30s %8s   (runs: %s)\n' "bare GTK window ${x2_w}x${x2_h}" "${bare_median:-none}" "${bare_times[*]}"
printf '  %-30s %8s   (runs: %s)' "kurimaro x2" "${full_median:-none}" "${full_times[*]}"
awk -v a="$full_median" -v b="$bare_median" 'BEGIN {
  if (a == "" || b == "") { print ""; exit }
  d = a - b; printf "   %+.0f ms   %s\n", d, d <= 50 ? "ok" : "over +50 ms" }'
for note in "${notes[@]}"; do echo "  not measured once: $note"; done

# 3. Resident memory after settling.
settled_rss() {
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 5
  rss_kb "$pid"
  stop "$pid"
}
kurimaro_rss=$(settled_rss "$kurimaro" --dir "$work/x10")
bare_rss=$(settled_rss "$bare" windows 2 "$x10_w" "$x10_h" "$colour")
echo
echo "3. Resident memory 5 s after the start, MiB (target: at most 4 MiB over the bare program)"
awk -v b="$bare_rss" -v k="$kurimaro_rss" -v i="$x10_r" -v w="$x10_w" -v h="$x10_h" 'BEGIN {
  printf "  %-32s %7.1f\n", "bare GTK, two windows " w "x" h, b / 1024
  d = (k - b) / 1024
  printf "  %-32s %7.1f   %+.1f MiB   %s\n", "kurimaro x10", k / 1024, d, d <= 4 ? "ok" : "over +4 MiB"
  if (i != "") printf "  %-32s %7.1f\n", "kurimaro x10 after idling", i / 1024
}'

# 4. Alarm start latency: from the alarm's second to the first change of the
# character window's shape. The dance holds its first frame for 500 ms by
# design, so the last column takes those off.
write_conf "$work/alarm" 2 1
echo
echo "4. Alarm start latency, $alarm_trials trials (ms from the alarm's second to the first change of outline)"
alarm_out=$("$xprobe" alarm "$work/alarm" "$alarm_trials" "$kurimaro" --dir "$work/alarm")
if [[ $alarm_out == "alarm none"* ]]; then
  echo "  not measurable: ${alarm_out#alarm none }"
else
  printf '  %5s  %8s  %7s  %8s\n' trial alarm raw "less 500"
  awk -v trials="$alarm_trials" -f tools/measure/latency_table.awk <<<"$alarm_out"
fi

# 5. Idle under sway, nested through its X11 backend in an X display of its
# own. sway refuses to run as root: there it runs as the user tools/setup.sh
# makes for it.
if ! command -v sway >/dev/null; then
  echo; echo "5. Idle under sway: not measured, sway is not installed"; exit 0
fi
m=$((n + 1))
while [ -e "/tmp/.X$m-lock" ] || [ -e "/tmp/.X11-unix/X$m" ]; do m=$((m + 1)); done
Xvfb ":$m" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
outer_pid=$!
session_pids+=("$outer_pid")
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$m" ] && break; sleep 0.1; done
sway_dir=$(mktemp -d /tmp/kurimaro-measure-sway-XXXXXX)
chmod 0755 "$sway_dir"
mkdir -m 0700 "$sway_dir/run"
printf '%s\n' "xwayland force" "seat seat0 fallback true" "focus_follows_mouse no" \
  "output * bg #FFFFFF solid_color" "output * mode 800x600" >"$sway_dir/config"
chmod 0644 "$sway_dir/config"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown kurimaro-desktop "$sway_dir/run"
  as_user=(setpriv --reuid=kurimaro-desktop --regid=kurimaro-desktop --clear-groups)
fi
x_before=$(ls /tmp/.X11-unix)
env -u WAYLAND_DISPLAY -u SWAYSOCK DISPLAY=":$m" HOME="$sway_dir" XDG_CONFIG_HOME="$sway_dir" \
  XDG_RUNTIME_DIR="$sway_dir/run" WLR_BACKENDS=x11 WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  "${as_user[@]}" sway -c "$sway_dir/config" >"$work/sway.log" 2>&1 &
sway_pid=$!
session_pids=("$sway_pid" "${session_pids[@]}")
# sway starts Xwayland detached from itself, on the first free display.
xwayland_display="" xwayland_pid=""
for _ in $(seq 100); do
  new_x=$(comm -13 <(echo "$x_before") <(ls /tmp/.X11-unix) | sed -n 's/^X//p' | head -1)
  [ -n "$new_x" ] && xwayland_pid=$(pgrep -f "^Xwayland :$new_x " | head -1 || true)
  [ -n "$xwayland_pid" ] && [ -n "$(ls "$sway_dir/run" | grep -x 'wayland-[0-9]*' || true)" ] && break
  sleep 0.1
done
xwayland_display=":$new_x"
wayland_socket=$(ls "$sway_dir/run" | grep -x 'wayland-[0-9]*' | head -1)
# Xwayland lets in only sway's user; the programs run as this one.
DISPLAY="$xwayland_display" "${as_user[@]}" xhost "+si:localuser:$(id -un)" >/dev/null
# The pointer at rest in the far corner of sway's output, off him and xeyes.
DISPLAY=":$m" xdotool mousemove 799 599
sleep 2

# The same as idle, with sway and Xwayland in the places of Xvfb and the
# compositor, and their context switches a second after the rest.
idle_sway() {
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 3
  if [ ! -e "/proc/$pid/stat" ]; then echo "gone"; return; fi
  local p0 s0 x0 w0 sw0 xw0 p1 s1 x1 w1 sw1 xw1 k
  p0=$(cpu_ns "$pid"); s0=$(cpu_ns "$sway_pid"); x0=$(cpu_ns "$xwayland_pid")
  w0=$(switches "$pid"); sw0=$(switches "$sway_pid"); xw0=$(switches "$xwayland_pid")
  sleep "$idle_seconds"
  if [ ! -e "/proc/$pid/stat" ]; then echo "gone"; return; fi
  p1=$(cpu_ns "$pid"); s1=$(cpu_ns "$sway_pid"); x1=$(cpu_ns "$xwayland_pid")
  w1=$(switches "$pid"); sw1=$(switches "$sway_pid"); xw1=$(switches "$xwayland_pid")
  k=$(wakeups "$pid" "$trace_seconds" "$work/trace.$pid")
  stop "$pid"
  awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v w=$((w1 - w0)) \
    -v sw=$((sw1 - sw0)) -v xw=$((xw1 - xw0)) -v k="$k" -v t="$idle_seconds" \
    'BEGIN { printf "%.3f %.1f %.1f %.3f %.1f %.3f %.1f\n", p / 1e9, k, w / t, s / 1e9, sw / t, x / 1e9, xw / t }'
}
sway_env=(env XDG_RUNTIME_DIR="$sway_dir/run" WAYLAND_DISPLAY="$wayland_socket" DISPLAY="$xwayland_display")
write_conf "$work/sway" 2 0
alone=$(idle_sway sleep $((idle_seconds + 30)))
native=$(idle_sway "${sway_env[@]}" "$kurimaro" --dir "$work/sway")
xwayland=$(idle_sway "${sway_env[@]}" "$kurimaro" --x11 --dir "$work/sway")
eyes=$(idle_sway "${sway_env[@]}" xeyes)
echo
echo "5. Idle under sway 800x600 (nested in Xvfb, pixman), pointer still and no alarm, over"
echo "   $idle_seconds s: the program's CPU seconds, wake-ups a second (traced over $trace_seconds s) and"
echo "   context switches a second; sway's and Xwayland's CPU seconds and context switches a second"
printf '  %-30s %8s %8s %8s %8s %8s %9s %8s\n' "" program "wakes/s" "sw/s" sway "sw/s" Xwayland "sw/s"
sway_row() {
  if [ "$2" = gone ] || [ -z "$2" ]; then
    printf '  %-30s not measured: the program was not running through the whole time\n' "$1"
    return
  fi
  read -r p k w s sw x xw <<<"$2"
  printf '  %-30s %8.3f %8.1f %8.1f %8.3f %8.1f %9.3f %8.1f\n' "$1" "$p" "$k" "$w" "$s" "$sw" "$x" "$xw"
}
sway_row "nothing (sway alone)" "$alone"
sway_row "kurimaro x2, layer shell" "$native"
sway_row "kurimaro x2, XWayland (--x11)" "$xwayland"
sway_row "xeyes, XWayland" "$eyes"
rm -rf "$sway_dir"
