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
run="$(mktemp -d)"
trap 'kill -CONT "$server" 2>/dev/null; kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; [ -n "${load:-}" ] && kill "$load" 2>/dev/null; rm -rf "$run"' EXIT
export HOME="$run" XDG_RUNTIME_DIR="$run" PULSE_RUNTIME_PATH="$run/pulse"
export PULSE_SERVER="unix:$run/pulse.sock"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    -L "module-native-protocol-unix socket=$run/pulse.sock auth-anonymous=1" \
    -L "module-null-sink sink_name=losssink rate=22050 channels=2 format=s16le" \
    -L "module-always-sink" >"$run/server.log" 2>&1 &
server=$!
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink losssink
printf 'pcm.!default { type pulse }\nctl.!default { type pulse }\n' >"$HOME/.asoundrc"
if [ "$stress" = 1 ]; then
    stress-ng --cpu 16 --timeout "${KESTRELON_LOSS_SECONDS:-30}"s --quiet &
    load=$!
    sleep 1
fi
KESTRELON_PULSE_PID="$server" "$bench" "${args[@]}"
