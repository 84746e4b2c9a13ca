#!/usr/bin/env bash
# Installs what the build needs (Debian 12 packages) and builds into build/: the targets
# given as arguments and what they need (./run.sh builds only the program), else everything,
# tests and benchmarks included. Shows what it compiles and links as ninja's [n/N] lines;
# quiet and quick when everything is already there.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config ccache qt6-base-dev portaudio19-dev libasound2-dev
          libgtest-dev libgmock-dev libbenchmark-dev gettext xvfb clang libclang-rt-14-dev
          libcurl4-openssl-dev qt6-translations-l10n)
# What tests run beside the program: a private sound server (pulseaudio) with its ALSA plugin
# (libasound2-plugins) and its clients (pulseaudio-utils: parec, pactl, also for the benchmarks);
# an outside Morse decoder (multimon-ng); xwininfo (x11-utils) and the xauth that xvfb-run needs
# (only recommended by xvfb) for the window titles on a real X server.
packages+=(pulseaudio libasound2-plugins pulseaudio-utils multimon-ng x11-utils xauth)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
    $sudo_cmd apt-get update -qq
    # Minutes on a fresh machine: its download and unpacking lines show that it goes on.
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}" \
        | { grep --line-buffered -E '^(Get:|Unpacking |Setting up )' || true; }
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KESTRELON_BUILD_DIR:-$root/build}"
# KESTRELON_CMAKE_ARGS (for instance -DKESTRELON_WERROR=ON) apply to an existing build folder too.
if [ ! -f "$build/build.ninja" ] || [ -n "${KESTRELON_CMAKE_ARGS:-}" ]; then
    echo "Configuring the build in $build"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KESTRELON_CMAKE_ARGS:-} >/dev/null
fi
# moc looks at a target's files again only when its stamp is gone: a file with Q_OBJECT that
# arrived by a merge would otherwise link without its meta-object in an existing build folder.
find "$build" -path '*_autogen/timestamp' -delete 2>/dev/null || true
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
# Those moc checks run on every build; their lines, and ninja's own when there is nothing
# to do, are left out. A failed build still fails (pipefail), with its messages shown.
cmake --build "$build" "${targets[@]}" -- -j"$(nproc)" \
    | { grep --line-buffered -v -e '] Automatic MOC for target ' -e '] Re-checking globbed directories' \
                                -e '^ninja: no work to do' || true; }
