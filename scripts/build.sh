#!/usr/bin/env bash
# Configures and builds Velmora into ./build (or $VELMORA_BUILD_DIR); arguments name targets
# (all of them when none is given). VELMORA_WERROR=ON|OFF overrides the warnings-as-errors choice.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
velmora_build "$@"
