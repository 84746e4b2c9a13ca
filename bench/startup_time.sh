#!/usr/bin/env bash
# Time from starting kestrelon to the first painting of its main window.
#
# The program writes the wall-clock time of its first paint to stderr when
# KESTRELON_REPORT_STARTUP is set; this script notes the time just before it starts the
# program, takes the difference, then ends the program with SIGTERM. Each run gets fresh
# XDG folders (no settings file: a first start).
#
# Without a sound card the program would stop at its "Can't open the sound card !" message
# and never show its window; on such a machine (or with --null-sound) each run gets a HOME
# whose ALSA default device swallows the sound.
#
# Usage: bench/startup_time.sh [runs] [--xvfb] [--null-sound]
#   --xvfb        run on an X server (Xvfb) instead of Qt's offscreen platform
#   --null-sound  sound to a device that swallows it, even where there is a sound card
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="${KESTRELON_BINARY:-$root/build/kestrelon}"
runs=10
platform=offscreen
null_sound=0
for arg in "$@"; do
    case "$arg" in
        --xvfb) platform=xcb ;;
        --null-sound) null_sound=1 ;;
        *) runs="$arg" ;;
    esac
done
grep -qE '^ *[0-9]+ ' /proc/asound/cards 2>/dev/null || null_sound=1
if [ "$platform" = xcb ] && [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
[ -x "$program" ] || { echo "no program at $program (build first)"; exit 1; }

times=()
for ((i = 1; i <= runs; i++)); do
    work="$(mktemp -d)"
    home="$HOME"
    if [ "$null_sound" = 1 ]; then
        home="$work/home"
        mkdir -p "$home"
        echo 'pcm.!default { type file; slave.pcm "null"; file "/dev/null"; format "raw" }' >"$home/.asoundrc"
    fi
    start=$(date +%s%N)
    HOME="$home" QT_QPA_PLATFORM=$platform KESTRELON_REPORT_STARTUP=1 \
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
    [ -n "$shown" ] || { echo "run $i: no window within 10 s"; grep kestrelon: "$work/stderr"; rm -rf "$work"; exit 1; }
    rm -rf "$work"
    times+=($(( (shown - start) / 1000000 )))
done

sorted=($(printf '%s\n' "${times[@]}" | sort -n))
count=${#sorted[@]}
median=${sorted[$((count / 2))]}
sound="default device"; [ "$null_sound" = 1 ] && sound="null sound device"
echo "platform $platform, $sound, $count runs: min ${sorted[0]} ms, median $median ms, max ${sorted[$((count - 1))]} ms"
echo "each run (ms): ${times[*]}"
if [ "$median" -lt 300 ]; then echo "target under 300 ms: met"; else echo "target under 300 ms: NOT met"; fi
