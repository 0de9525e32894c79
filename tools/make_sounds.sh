#!/usr/bin/env bash
# Makes the two built-in alarm sounds from speech: a short laugh (LAUGH) and a
# spoken "OK". Each is cut to the exact length the program ships: 16-bit PCM,
# mono, 44100 Hz, a 44-byte header, then the samples.
# Needs espeak-ng and sox (tools/setup.sh installs both).
set -euo pipefail

out_dir="$(cd "$(dirname "$0")/.." && pwd)/resources/sounds"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out_dir"

# speech.wav -> out.wav with exactly `samples` samples: silence trimmed at both
# ends, levelled, a short fade at each end so a loop does not click, then padded
# with silence. -D: no dither, so the same speech gives the same bytes.
finish() {
  local in="$1" out="$2" samples="$3"
  sox -V1 -D "$in" -r 44100 -c 1 -b 16 -e signed-integer "$work/cut.wav" \
    silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse gain -n -2
  sox -V1 -D "$work/cut.wav" "$work/faded.wav" fade t 0.004 -0 0.02
  sox -V1 -D "$work/faded.wav" -t wavpcm "$out" pad 0.02 1 trim 0 "${samples}s"
}

# Three falling "ha"s.
espeak-ng -m -v en+m3 -s 190 -a 120 -w "$work/laugh.wav" \
  '<speak><prosody pitch="+70%">ha</prosody><prosody pitch="+45%">ha</prosody><prosody pitch="+20%">ha!</prosody></speak>'
finish "$work/laugh.wav" "$out_dir/laugh.wav" 29388

# "O K", spelt, a little slow and bright.
espeak-ng -v en+m3 -s 130 -p 60 -a 120 -w "$work/ok.wav" "O K!"
finish "$work/ok.wav" "$out_dir/ok.wav" 32222

ls -l "$out_dir"
