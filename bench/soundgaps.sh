#!/usr/bin/env bash
# Starts a private PulseAudio server with a null sink at 22050 Hz (no resampling), points
# ALSA's default device (and so PortAudio) at it, and runs bench_soundgaps against it.
# Needs the pulseaudio and pulseaudio-utils packages. Extra arguments go to the benchmark.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bench="${BENCH:-$here/build/bench/bench_soundgaps}"
source "$here/bench/privatepulse.sh"
trap end_private_pulse EXIT
private_pulse gapsink
KESTRELON_GAP_SINK=gapsink "$bench" "$@"
