#!/usr/bin/env bash
# Installs the Debian 12 packages Velmora needs to build, run and test. Safe to run again:
# apt-get is only called when something is missing.
set -euo pipefail

packages=(
    # build
    cmake g++ make pkg-config ccache
    # Qt 6 widgets, SVG, TIFF and the platform plugins
    qt6-base-dev qt6-svg-dev libqt6svg6 qt6-image-formats-plugins qt6-qpa-plugins libgl-dev
    # audio decoding and output
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libsdl2-dev
    # window positions from the X server
    libxcb1-dev
    # the three external tools and the caption fonts
    imagemagick ffmpeg fonts-dejavu-core fonts-liberation2
    # the fonts a plain ImageMagick install recommends: the picture tests run with and without them
    fonts-urw-base35
    # the caption tests: a CJK and an emoji font for the per-character fallback, and harfbuzz's
    # renderer for a reference of shaped text
    fonts-wqy-zenhei fonts-noto-color-emoji libharfbuzz-bin
    # headless runs, screenshots and tests
    xvfb xauth x11-utils sox dbus-daemon dbus-x11 at-spi2-core
    # real X input (keys, clicks) for the tests that drive the program from outside
    xdotool
    # the accessibility check reads the AT-SPI tree with the distribution's Python
    python3-pyatspi
    # the Debian package and its checks (dependencies, desktop entry, metainfo) and the desktop
    # tests: a window manager
    dpkg-dev file desktop-file-utils appstream openbox
    # velmora-render on many machines: GNU parallel, and a one-node Slurm cluster the test starts
    parallel slurmctld slurmd slurm-client munge python3-yaml
)

# The fuzz targets (scripts/fuzz.sh, run by CI) need clang with libFuzzer and the sanitizers.
if [[ ${CI:-} == true || ${VELMORA_FUZZ:-} == 1 ]]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
