# Sourced by the sound benchmarks' scripts: private_pulse SINK starts a private PulseAudio
# server with a null sink SINK at 22050 Hz, 2 channels (no resampling), makes it the default,
# points ALSA's default device (and so PortAudio) at it, and sets `server` to its process id
# and `run` to its folder. The caller's EXIT trap ends it (end_private_pulse).
private_pulse() {
    run="$(mktemp -d)"
    export HOME="$run" XDG_RUNTIME_DIR="$run" PULSE_RUNTIME_PATH="$run/pulse"
    export PULSE_SERVER="unix:$run/pulse.sock"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
        -L "module-native-protocol-unix socket=$run/pulse.sock auth-anonymous=1" \
        -L "module-null-sink sink_name=$1 rate=22050 channels=2 format=s16le" \
        -L "module-always-sink" >"$run/server.log" 2>&1 &
    server=$!
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl set-default-sink "$1"
    printf 'pcm.!default { type pulse }\nctl.!default { type pulse }\n' >"$HOME/.asoundrc"
}

end_private_pulse() {
    if [ -n "${server:-}" ]; then
        kill -CONT "$server" 2>/dev/null
        kill "$server" 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    [ -n "${run:-}" ] && rm -rf "$run"
    return 0
}
