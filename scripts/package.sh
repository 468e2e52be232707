#!/usr/bin/env bash
# Builds Velmora and makes its Debian package, velmora_<version>_amd64.deb, in ./build (or
# $VELMORA_BUILD_DIR). Install it with: sudo apt install ./build/velmora_<version>_amd64.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
source "$root/scripts/lib.sh"
# Only what the package holds: the program, its icon, man page and guide.
velmora_build velmora velmora_install_files
cd "$build"
cpack --config CPackConfig.cmake -B "$build" | grep "package:.*generated" || exit 1
rm -rf "$build/_CPack_Packages"
