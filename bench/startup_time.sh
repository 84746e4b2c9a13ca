#!/usr/bin/env bash
# Time from starting kestrelon to the first painting of its main window.
#
# The program writes the wall-clock time of its first paint to stderr when
# KESTRELON_REPORT_STARTUP is set; this script notes the time just before it starts the
# program, takes the difference, then ends the program with SIGTERM. Each run gets fresh
# XDG folders (no settings file: a first start).
#
# Usage: bench/startup_time.sh [runs] [--xvfb]
#   --xvfb   run on an X server (Xvfb) instead of Qt's offscreen platform
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="${KESTRELON_BINARY:-$root/build/kestrelon}"
runs=10
platform=offscreen
for arg in "$@"; do
    case "$arg" in
        --xvfb) platform=xcb ;;
        *) runs="$arg" ;;
    esac
done
if [ "$platform" = xcb ] && [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
[ -x "$program" ] || { echo "no program at $program (build first)"; exit 1; }

times=()
for ((i = 1; i <= runs; i++)); do
    work="$(mktemp -d)"
    start=$(date +%s%N)
    QT_QPA_PLATFORM=$platform KESTRELON_REPORT_STARTUP=1 \
        XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
        "$program" 2>"$work/stderr" &
    pid=$!
    for ((wait = 0; wait < 1000; wait++)); do
        grep -q "first window shown" "$work/stderr" && break
        sleep 0.01
    done
    shown=$(awk '/first window shown/ { print $NF; exit }' "$work/stderr")
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" || true
    rm -rf "$work"
    [ -n "$shown" ] || { echo "run $i: no window within 10 s"; exit 1; }
    times+=($(( (shown - start) / 1000000 )))
done

sorted=($(printf '%s\n' "${times[@]}" | sort -n))
count=${#sorted[@]}
median=${sorted[$((count / 2))]}
echo "platform $platform, $count runs: min ${sorted[0]} ms, median $median ms, max ${sorted[$((count - 1))]} ms"
echo "each run (ms): ${times[*]}"
if [ "$median" -lt 300 ]; then echo "target under 300 ms: met"; else echo "target under 300 ms: NOT met"; fi
