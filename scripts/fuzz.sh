#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# in a build folder of their own (build-fuzz/) and runs each briefly from its seed corpus. Any
# crash or sanitizer report fails. FUZZ_SECONDS sets the time per target (default 30).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KESTRELON_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DKESTRELON_FUZZ=ON -DKESTRELON_TESTS=OFF -DKESTRELON_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target fuzz_newspage -- --quiet

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp "$root/fuzz/corpus/newspage/"* "$corpus/"
"$build/fuzz/fuzz_newspage" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -5
