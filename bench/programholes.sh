#!/usr/bin/env bash
# The real program as a user has it: types "paris" six times at 30 wpm into the typing box while
# parec records the sound server's sink, then counts the holes inside the elements heard
# (holes_heard.py). With --busy, twice as many busy loops as cores start 3 s before the typing.
#   bench/programholes.sh [--busy] [RUNS]
# Needs: an X server on $DISPLAY with no window manager, a PulseAudio server whose default sink
# ALSA's default device plays into ($KESTRELON_SINK, default: the server's default sink),
# xdotool, parec, stress-ng. KESTRELON_PROGRAM picks another build of the program.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
program="${KESTRELON_PROGRAM:-$here/build/kestrelon}"
busy=0
[ "${1:-}" = --busy ] && { busy=1; shift; }
runs="${1:-1}"
sink="${KESTRELON_SINK:-$(pactl get-default-sink)}"
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
for run in $(seq "$runs"); do
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
    mkdir -p "$XDG_CONFIG_HOME/kestrelon"
    printf '[KESTRELON 5.2.9]\r\nSPEED=30\r\n' >"$XDG_CONFIG_HOME/kestrelon/kestrelon.ini"
    "$program" >"$work/program.log" 2>&1 &
    prog=$!; pids=("$prog")
    window="$(xdotool search --sync --onlyvisible --pid "$prog" | head -1)"
    sleep 2
    xdotool mousemove --window "$window" 267 69 click 1 # the typing box
    parec -d "$sink.monitor" --format=s16le --rate=22050 --channels=2 --latency-msec=10 >"$work/heard.raw" &
    pids+=($!)
    if [ "$busy" = 1 ]; then
        stress-ng --cpu $((2 * $(nproc))) --timeout 60s --quiet >/dev/null 2>&1 &
        pids+=($!)
    fi
    sleep 3
    load="$(cut -d' ' -f1,4 /proc/loadavg)"
    xdotool type --delay 40 "paris paris paris paris paris paris"
    sleep 16
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null || true
    pids=()
    # A dot at 30 wpm: 1.2 s / 30 = 833 frames at 22050 Hz.
    echo "run $run (load average, runnable: $load): $("$here/bench/holes_heard.py" "$work/heard.raw" 833)"
    rm -rf "$work/config" "$work/data"
done
