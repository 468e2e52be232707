#!/usr/bin/env bash
# Song cover benchmark: readSongInfo (tags, cover copy and its check) on MP3s whose ID3 tag holds a
# 600x600 JPEG, a 3000x3000 JPEG, a 12000x8000 JPEG and a 15000x15000 PNG, with the median time
# and the peak memory of a process that reads only that song. The songs are made once and kept in
# $VELMORA_BENCH_MEDIA (default: <build>/bench-cover-media).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
media=${VELMORA_BENCH_MEDIA:-$build/bench-cover-media}
ffmpeg=$(velmora_tool ffmpeg)
convert=$(velmora_tool convert)

velmora_build bench_cover
bench=$build/bench/cover/bench_cover
mkdir -p "$media"

song() { # name, cover picture
    local out=$media/$1
    [[ -s $out ]] && return
    echo "making $out" >&2
    "$ffmpeg" -hide_banner -nostdin -loglevel error -y -f lavfi -i sine=duration=10 -i "$2" \
        -map 0:a -map 1:v -c:a libmp3lame -c:v copy -id3v2_version 3 -disposition:v attached_pic "$out"
}
for size in 600x600 3000x3000 12000x8000; do
    [[ -s $media/cover-$size.jpg ]] ||
        "$convert" -size "$size" gradient:navy-orange -attenuate 0.3 +noise Uniform -quality 90 "$media/cover-$size.jpg"
    song "cover-$size.mp3" "$media/cover-$size.jpg"
done
# The image tool refuses to paint 225 megapixels: the PNG is written here, one gray row repeated.
if [[ ! -s $media/cover-15000x15000.mp3 ]]; then
    python3 - "$media/cover-15000x15000.png" <<'PY'
import struct, sys, zlib
side = 15000
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
packer = zlib.compressobj(9)
row = b'\0' + b'\x30\x60\x90' * side
idat = b''.join(packer.compress(row) for _ in range(side)) + packer.flush()
with open(sys.argv[1], 'wb') as f:
    f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', side, side, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', idat) + chunk(b'IEND', b''))
PY
    song cover-15000x15000.mp3 "$media/cover-15000x15000.png"
fi
echo "== readSongInfo (warm cache; median of 5; peak memory of the whole process)"
for f in "$media"/cover-600x600.mp3 "$media"/cover-3000x3000.mp3 "$media"/cover-12000x8000.mp3 \
         "$media"/cover-15000x15000.mp3; do
    "$bench" "$f" 5
done
