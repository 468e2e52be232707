#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UBSan into ./build-sanitize (or
# $VELMORA_SANITIZE_DIR) and runs the whole test suite there; the first report ends the test
# that made it. Every test CTest knows joins, except the layering compile probes (a compiler's
# verdict on includes, the same in every build). Arguments go to ctest (e.g. -R test_audio).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
source "$root/scripts/lib.sh"
build=${VELMORA_SANITIZE_DIR:-$root/build-sanitize}
velmora_build --in "$build" -DVELMORA_SANITIZE=ON
# Qt, fontconfig and the drivers keep memory until exit by design: leaks are not checked here
# (test_audiobadinput_asan checks the audio code's own).
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
ctest --output-on-failure -j "${VELMORA_TEST_JOBS:-2}" -LE layering "$@"
