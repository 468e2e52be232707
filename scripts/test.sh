#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs the whole test suite through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${VELMORA_BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure -j "${VELMORA_TEST_JOBS:-2}" "$@"
