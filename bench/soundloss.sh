#!/usr/bin/env bash
# Starts a private PulseAudio server with a null sink at 22050 Hz, points ALSA's default
# device (and so PortAudio) at it, and runs bench_soundloss against it with the server's
# process id. `--stress` runs stress-ng --cpu 16 beside LongestSilence. Needs pulseaudio,
# pulseaudio-utils and (for --stress) stress-ng. Other arguments go to the benchmark.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bench="${BENCH:-$here/build/bench/bench_soundloss}"
stress=0
args=()
for a in "$@"; do
    if [ "$a" = --stress ]; then stress=1; else args+=("$a"); fi
done
source "$here/bench/privatepulse.sh"
trap 'end_private_pulse; [ -n "${load:-}" ] && kill "$load" 2>/dev/null; true' EXIT
private_pulse losssink
if [ "$stress" = 1 ]; then
    stress-ng --cpu 16 --timeout "${KESTRELON_LOSS_SECONDS:-30}"s --quiet &
    load=$!
    sleep 1
fi
KESTRELON_PULSE_PID="$server" "$bench" "${args[@]}"
