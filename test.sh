#!/usr/bin/env bash
# Installs what is missing, builds everything (the program, its tests and benchmarks), and runs
# every test through ctest.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/setup.sh"
cd "${KESTRELON_BUILD_DIR:-$root/build}"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)" "$@"
