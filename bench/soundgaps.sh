#!/usr/bin/env bash
# Starts a private PulseAudio server with a null sink at 22050 Hz (no resampling), points
# ALSA's default device (and so PortAudio) at it, and runs bench_soundgaps against it
# (BENCH=<program> runs another, e.g. build/bench/bench_sidetone).
# Needs the pulseaudio and pulseaudio-utils packages.
#   --busy   twice as many busy loops as cores while the benchmark runs (stress-ng when there)
#   --no-rt  the benchmark without the right to real-time scheduling (no CAP_SYS_NICE,
#            RLIMIT_RTPRIO 0), as an ordinary user on a desktop without RealtimeKit
# Other arguments go to the benchmark.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bench="${BENCH:-$here/build/bench/bench_soundgaps}"
busy=0 nort=0
while [ $# -gt 0 ]; do
    case "$1" in
        --busy) busy=1 ;;
        --no-rt) nort=1 ;;
        *) break ;;
    esac
    shift
done
loads=()
source "$here/bench/privatepulse.sh"
trap 'end_private_pulse; for p in "${loads[@]}"; do kill "$p" 2>/dev/null; done; true' EXIT
private_pulse gapsink
if [ "$busy" = 1 ]; then
    n=$((2 * $(nproc)))
    if command -v stress-ng >/dev/null; then
        stress-ng --cpu "$n" --quiet >/dev/null 2>&1 &
        loads+=($!)
    else
        for _ in $(seq "$n"); do
            bash -c 'while :; do :; done' &
            loads+=($!)
        done
    fi
    sleep 2
fi
prefix=()
if [ "$nort" = 1 ]; then
    prefix=(prlimit --rtprio=0 setpriv --inh-caps=-sys_nice --bounding-set=-sys_nice --)
fi
KESTRELON_GAP_SINK=gapsink "${prefix[@]}" "$bench" "$@"
