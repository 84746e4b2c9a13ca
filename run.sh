#!/usr/bin/env bash
# Installs what is missing, builds the program (not the tests: ./test.sh builds those), and
# starts Kestrelon.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/setup.sh" kestrelon
exec "${KESTRELON_BUILD_DIR:-$root/build}/kestrelon" "$@"
