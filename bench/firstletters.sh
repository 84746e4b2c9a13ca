#!/usr/bin/env bash
# The real program's first letters after a fresh start, and a text through a stalled server, as
# heard: parec records the sink from before the start, then holes_heard.py counts the elements.
#   bench/firstletters.sh DELAY [RUNS]          "eeeee" at 12 wpm, message 1 clicked DELAY s
#                                               after the start
#   bench/firstletters.sh --stall SECONDS [RUNS] "paris" five times at 30 wpm, clicked 4 s after
#                                               the start, the sink suspended SECONDS from 1 s
#                                               into it
# parec asks for no latency of its own, so the sink works in its large blocks, as a desktop's
# server does with a recorder at its defaults: a new stream then takes its first sound up to
# two seconds after it opens. Needs: an X server on $DISPLAY with no window manager, a
# PulseAudio server whose sink ALSA's default device plays into ($KESTRELON_SINK, default: the
# server's default sink), xdotool, parec, pactl. KESTRELON_PROGRAM picks another build,
# KESTRELON_TASKSET a core list to pin the program to (with the busy loops put there by you).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
program="${KESTRELON_PROGRAM:-$here/build/kestrelon}"
stall=""
if [ "${1:-}" = --stall ]; then
    stall="$2"
    shift 2
    delay=4
    settings='SPEED=30\r\nSPACEB=0\r\nMSG=paris paris paris paris paris\r\n'
    dot=833 # frames of a dot at 30 wpm as the program times it
    after=$((17 + ${stall%.*}))
else
    delay="$1"
    shift
    settings='SPEED=12\r\nSPACEB=0\r\nMSG=eeeee\r\n'
    dot=2205
    after=10
fi
runs="${1:-1}"
sink="${KESTRELON_SINK:-$(pactl get-default-sink)}"
pin=()
[ -n "${KESTRELON_TASKSET:-}" ] && pin=(taskset -c "$KESTRELON_TASKSET")
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; pactl suspend-sink "$sink" 0; rm -rf "$work"' EXIT
for run in $(seq "$runs"); do
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
    mkdir -p "$XDG_CONFIG_HOME/kestrelon"
    printf "[KESTRELON 5.2.9]\r\n$settings" >"$XDG_CONFIG_HOME/kestrelon/kestrelon.ini"
    parec -d "$sink.monitor" --format=s16le --rate=22050 --channels=2 >"$work/heard.raw" &
    pids=($!)
    sleep 0.5
    start=$(date +%s.%N)
    "${pin[@]}" "$program" >"$work/program.log" 2>&1 &
    prog=$!
    pids+=("$prog")
    window="$(xdotool search --sync --onlyvisible --pid "$prog" | head -1)"
    wait_s=$(echo "$start + $delay - $(date +%s.%N)" | bc)
    [ "${wait_s#-}" = "$wait_s" ] && sleep "$wait_s"
    clicked=$(echo "$(date +%s.%N) - $start" | bc)
    xdotool mousemove --window "$window" 190 478 click 1 # message button 1
    if [ -n "$stall" ]; then
        sleep 1
        pactl suspend-sink "$sink" 1
        sleep "$stall"
        pactl suspend-sink "$sink" 0
    fi
    sleep "$after"
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null || true
    pids=()
    printf 'run %s (clicked %.2f s after the start): %s\n' "$run" "$clicked" \
        "$("$here/bench/holes_heard.py" "$work/heard.raw" "$dot")"
    rm -rf "$work/config" "$work/data"
done
