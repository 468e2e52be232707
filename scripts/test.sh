#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs the whole test suite through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
source "$root/scripts/lib.sh"
# shellcheck disable=SC2119 # the script's arguments are ctest's
velmora_build
cd "$build"
ctest --output-on-failure -j "${VELMORA_TEST_JOBS:-2}" "$@"
# CI also runs the whole suite under AddressSanitizer and UBSan, and each fuzz target briefly;
# VELMORA_SANITIZE=1 asks for the sanitizer run by hand.
if [[ ${CI:-} == true || ${VELMORA_SANITIZE:-} == 1 ]]; then
    "$root/scripts/sanitize.sh" "$@"
fi
if [[ ${CI:-} == true ]]; then
    "$root/scripts/fuzz.sh"
fi
