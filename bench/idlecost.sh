#!/usr/bin/env bash
# What the real program and its sound server cost while idle and while sending, beside xcwcp
# (Debian package xcwcp) on the same server: CPU in percent of one core from /proc, with
# cpu_use.py. The program's window is left alone for IDLE seconds (default 120), then message
# button 1 sends "paris" at 20 wpm for SEND seconds (default 60); xcwcp the same, sending its
# letter groups at 20 wpm from its start button.
#   KESTRELON_PULSE_PID=<the server's pid> bench/idlecost.sh [IDLE [SEND]]
# Needs: an X server on $DISPLAY with no window manager, the PulseAudio server ALSA's default
# device plays into, xdotool; xcwcp where installed. KESTRELON_PROGRAM picks another build.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
program="${KESTRELON_PROGRAM:-$here/build/kestrelon}"
server="${KESTRELON_PULSE_PID:?the process id of the sound server}"
idle="${1:-120}"
send="${2:-60}"
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
measure() { # LABEL PID SECONDS
    "$here/bench/cpu_use.py" "$3" "$2" "$server" | paste -sd ' ' | sed "s/^/$1: /"
}

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_CONFIG_HOME/kestrelon"
printf '[KESTRELON 5.2.9]\r\nSPEED=20\r\nSPACEB=0\r\nMSG=%s\r\n' "$(printf 'paris %.0s' $(seq 40))" \
    >"$XDG_CONFIG_HOME/kestrelon/kestrelon.ini"
"$program" >"$work/program.log" 2>&1 &
prog=$!
pids=("$prog")
window="$(xdotool search --sync --onlyvisible --pid "$prog" | head -1)"
sleep 5
measure "program idle ${idle} s" "$prog" "$idle"
xdotool mousemove --window "$window" 190 478 click 1 # message button 1
sleep 3
measure "program sending ${send} s" "$prog" "$send"
kill "$prog"
wait "$prog" 2>/dev/null || true
pids=()

if command -v xcwcp >/dev/null; then
    xcwcp -s pulseaudio -w 20 >"$work/xcwcp.log" 2>&1 &
    x=$!
    pids=("$x")
    window="$(xdotool search --sync --onlyvisible --pid "$x" | head -1)"
    sleep 5
    measure "xcwcp idle ${idle} s" "$x" "$idle"
    xdotool mousemove --window "$window" 29 41 click 1 # start: letter groups
    sleep 3
    measure "xcwcp sending ${send} s" "$x" "$send"
fi
