#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kestrelon.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/setup.sh"
exec "${KESTRELON_BUILD_DIR:-$root/build}/kestrelon" "$@"
