#!/usr/bin/env bash
# Builds the timer, element-clock and sound-output tests with ThreadSanitizer in a build folder
# of their own (build-tsan/) and runs those whose threads share state: the timers, the element
# clock, the sound output's mixer and stream watch with their audio threads, and the real-time
# request of a new stream beside the last one's. Extra arguments go to the test programs (for
# instance --gtest_repeat=20).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KESTRELON_TSAN_BUILD_DIR:-$root/build-tsan}"

if [ ! -f "$build/build.ninja" ] || [ -n "${KESTRELON_CMAKE_ARGS:-}" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKESTRELON_SANITIZE=thread -DKESTRELON_BENCH=OFF ${KESTRELON_CMAKE_ARGS:-} >/dev/null
fi
cmake --build "$build" --target test_devices test_engine test_platform -- --quiet

export QT_QPA_PLATFORM=offscreen
# Any report fails the run; Qt's own libraries are not instrumented, so races inside them
# are not ours to judge (the tests touch Qt only through the shared main).
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp ${TSAN_OPTIONS:-}"
"$build/tests/test_devices" --gtest_filter='TMMTimer*:TimerService*' "$@"
"$build/tests/test_engine" --gtest_filter='ElementClock*' "$@"
# The sound library is not started here (the sound server's client library is not instrumented
# either). The real-time request runs in a child process where real-time scheduling is refused,
# started alone: a process that has started a child is no ground for what follows.
"$build/tests/test_platform" --gtest_filter='OutputMixer*:StreamOutput*:-StreamOutput.TheProgramsOutput*' "$@"
"$build/tests/test_platform" --gtest_filter='RealStream.AStreamArmed*' "$@"
