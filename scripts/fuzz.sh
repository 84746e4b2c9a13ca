#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# in a build folder of their own (build-fuzz/) and runs each briefly from its seed corpus
# (fuzz/corpus/<name>/). Any crash or sanitizer report fails. FUZZ_SECONDS sets the time per
# target (default 30).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KESTRELON_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"
targets=(newspage lessonfile)

if [ ! -f "$build/build.ninja" ] || [ -n "${KESTRELON_CMAKE_ARGS:-}" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DKESTRELON_FUZZ=ON -DKESTRELON_TESTS=OFF -DKESTRELON_BENCH=OFF ${KESTRELON_CMAKE_ARGS:-} >/dev/null
fi
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -- --quiet

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
for target in "${targets[@]}"; do
    mkdir "$corpus/$target"
    cp "$root/fuzz/corpus/$target/"* "$corpus/$target/"
    echo "fuzz_$target:"
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus/$target" 2>&1 \
        | tail -5
done
