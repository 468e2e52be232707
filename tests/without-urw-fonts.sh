#!/usr/bin/env bash
# Runs a command as on a machine without the Ghostscript fonts (fonts-urw-base35), which a plain
# install of ImageMagick brings along through its recommended packages: in a private mount
# namespace the package's font folders, its fontconfig rules and the font caches are covered with
# empty ones, so neither ImageMagick nor fontconfig sees those fonts. Nothing outside the namespace
# changes. Exits 77 (a skip for CTest) where no mount namespace can be made.
#
#   tests/without-urw-fonts.sh <command> [arguments...]
set -euo pipefail

if [[ ${VELMORA_IN_FONT_NAMESPACE:-} != 1 ]]; then
    options=(--mount --propagation private)
    # Without root a user namespace makes the mounts possible.
    [[ $(id -u) -ne 0 ]] && options+=(--map-root-user)
    if ! unshare "${options[@]}" true 2>/dev/null; then
        echo "SKIP: no mount namespace can be made here (unshare ${options[*]})"
        exit 77
    fi
    VELMORA_IN_FONT_NAMESPACE=1 exec unshare "${options[@]}" "$0" "$@"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for folder in /usr/share/fonts/type1/urw-base35 /usr/share/fonts/opentype/urw-base35 \
              /usr/share/fonts/X11/Type1 /var/cache/fontconfig; do
    [[ -d $folder ]] && mount -t tmpfs -o mode=0755 velmora-no-fonts "$folder"
done
# The package's fontconfig rules (61-urw-*.conf) go with it.
mkdir "$scratch/conf.d"
cp -RP /etc/fonts/conf.d/. "$scratch/conf.d/"
rm -f "$scratch"/conf.d/*urw*
mount --bind "$scratch/conf.d" /etc/fonts/conf.d
export XDG_CACHE_HOME=$scratch/cache

# The setup must look as such a machine does: no URW font in the image tool's list, and an
# unknown font an error (exit 1), not a warning.
convert=${VELMORA_CONVERT:-convert}
if "$convert" -list font | grep -q 'Font: AvantGarde-Book'; then
    echo "FAIL: the image tool still lists the Ghostscript fonts" >&2
    exit 1
fi
if "$convert" -size 8x8 xc:white -font No-Such-Font-Anywhere -annotate +0+4 x "bmp:$scratch/probe.bmp" \
       >"$scratch/probe.txt" 2>&1; then
    echo "FAIL: an unknown font is not an error in this setup:" >&2
    cat "$scratch/probe.txt" >&2
    exit 1
fi
echo "Setup without fonts-urw-base35: $("$convert" -list font | grep -c 'Font: ') fonts, an unknown font: $(grep -o '@ error/[a-z.]*/[A-Za-z]*' "$scratch/probe.txt" | head -1)"
"$@"
