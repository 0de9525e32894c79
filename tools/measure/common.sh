# Shared by the measurement scripts: CPU time and wake-ups of a process.

# CPU time of a process, all its threads, in nanoseconds: the scheduler's own
# account. The user and system ticks of /proc/PID/stat are sampled at the
# clock tick, and for a program that runs in short bursts on a timer they can
# be off by half or double.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%.0f\n", n }'; }
ns_seconds() { awk -v n="$1" 'BEGIN { printf "%.3f", n / 1e9 }'; }

# Wake-ups a second of a process, all its threads, over $2 seconds: its
# system calls traced with their times, and every run of them after 2 ms or
# more without one counted as a wake. A round trip to a server within a run
# is part of the same wake. Traced apart from the CPU figures, which the
# tracing would raise. $3 is a scratch file.
wakeups() {
  timeout "$2" strace -f -q -ttt -p "$1" -o "$3" 2>/dev/null || true
  awk '{ for (i = 1; i <= 3; i++) if ($i ~ /^[0-9]+\.[0-9]+$/) { print $i; break } }' "$3" |
    sort -n | awk -v t="$2" '
      NR > 1 && $1 - last >= 0.002 { n++ }
      { last = $1 }
      END { printf "%.1f", n / t }'
}
